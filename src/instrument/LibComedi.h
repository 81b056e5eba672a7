#pragma once
// The Comedi call table bound to the real libcomedi.

#include "instrument/ComediApi.h"

namespace corvin::instrument {

class LibComedi : public ComediApi {
public:
    ComediDevice* open(const std::string& path, int& error) override;
    int close(ComediDevice* device) override;
    std::string boardName(ComediDevice* device) override;
    int findSubdeviceByType(ComediDevice* device, int type, unsigned startSubdevice) override;
    int channelCount(ComediDevice* device, unsigned subdevice) override;
    int findRange(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit, double min,
                  double max) override;
    std::optional<Volts> range(ComediDevice* device, unsigned subdevice, unsigned channel,
                               unsigned rangeIndex) override;
    uint32_t maxData(ComediDevice* device, unsigned subdevice, unsigned channel) override;
    int dataReadHint(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                     unsigned reference) override;
    int dataRead(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                 unsigned reference, uint32_t& sample) override;
    int dioConfig(ComediDevice* device, unsigned subdevice, unsigned line, unsigned direction) override;
    int dioWrite(ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) override;
};

} // namespace corvin::instrument
