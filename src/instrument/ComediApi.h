#pragma once
// The few libcomedi calls the Comedi card makes, as one small table, so that the tests can stand
// in for the library. LibComedi binds the table to the real library; no other file sees
// comedilib.h. Arguments and results are libcomedi's own (a negative result is a failure).

#include <cstdint>
#include <optional>
#include <string>

namespace corvin::instrument {

// What the library opened; only the library looks inside.
struct ComediDevice;

class ComediApi {
public:
    // The values of the libcomedi constants the card passes (checked against comedilib.h where the
    // real table is bound).
    static constexpr int kAnalogueInput = 1;     // COMEDI_SUBD_AI
    static constexpr int kDigitalInOut = 5;      // COMEDI_SUBD_DIO
    static constexpr unsigned kUnitVolt = 0;     // UNIT_volt
    static constexpr unsigned kGroundRef = 0;    // AREF_GROUND
    static constexpr unsigned kLineIsOutput = 1; // COMEDI_OUTPUT

    struct Volts {
        double min;
        double max;
    };

    virtual ~ComediApi() = default;

    // The device, or nullptr with the reason (an errno value such as ENOENT or EACCES) in `error`.
    virtual ComediDevice* open(const std::string& path, int& error) = 0;
    virtual int close(ComediDevice* device) = 0;
    // The board name the driver gives, empty when it gives none.
    virtual std::string boardName(ComediDevice* device) = 0;
    virtual int findSubdeviceByType(ComediDevice* device, int type, unsigned startSubdevice) = 0;
    virtual int channelCount(ComediDevice* device, unsigned subdevice) = 0;
    // The index of the smallest range of the channel that holds min..max in `unit`.
    virtual int findRange(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit,
                          double min, double max) = 0;
    // The physical ends of a range; nothing when the library does not know it.
    virtual std::optional<Volts> range(ComediDevice* device, unsigned subdevice, unsigned channel,
                                       unsigned rangeIndex) = 0;
    // The largest raw sample of the channel (0 = unknown).
    virtual uint32_t maxData(ComediDevice* device, unsigned subdevice, unsigned channel) = 0;
    // Selects the input in the hardware ahead of a read, so that it settles.
    virtual int dataReadHint(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                             unsigned reference) = 0;
    virtual int dataRead(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                         unsigned reference, uint32_t& sample) = 0;
    virtual int dioConfig(ComediDevice* device, unsigned subdevice, unsigned line, unsigned direction) = 0;
    virtual int dioWrite(ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) = 0;
};

} // namespace corvin::instrument
