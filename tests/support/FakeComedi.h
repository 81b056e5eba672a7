#pragma once
// A stand-in for libcomedi behind the Comedi call table. Devices are scripted by path (a path never
// added fails to open with ENOENT); the calls that act on a device are logged in order
// ("open(/dev/comedi0)", "dioConfig(2,5,1)", "dataRead(0,9,1,0)"); reads play back set samples.
// Lookups (board name, subdevices, ranges) answer from the scripted board without being logged.

#include "instrument/ComediApi.h"

#include <QRegularExpression>
#include <QStringList>
#include <map>
#include <string>

namespace corvin::testing {

// A board as the driver shows it; by default a PCI230+ (16-bit inputs with ±5 V as range 1, the
// 8255 block as subdevice 2). A subdevice or range of -1 is missing.
struct FakeComediBoard {
    std::string name = "pci230+";
    int analogue = 0;
    int analogueChannels = 16;
    int digital = 2;
    int rangeIndex = 1;
};

class FakeComedi : public instrument::ComediApi {
public:
    void addDevice(const std::string& path, const FakeComediBoard& board = {}) {
        m_devices[path].board = board;
    }
    void refuseDevice(const std::string& path, int error) { m_refusals[path] = error; }
    void setSample(unsigned channel, uint32_t sample) { m_samples[channel] = sample; }

    const QStringList& log() const { return m_log; }
    QStringList calls(const QString& name) const {
        return m_log.filter(QRegularExpression("^" + name + "\\("));
    }
    void clearLog() { m_log.clear(); }
    bool isOpen(const std::string& path) const { return m_devices.count(path) && m_devices.at(path).open; }

    instrument::ComediDevice* open(const std::string& path, int& error) override;
    int close(instrument::ComediDevice* device) override;
    std::string boardName(instrument::ComediDevice* device) override { return of(device).board.name; }
    int findSubdeviceByType(instrument::ComediDevice* device, int type, unsigned start) override;
    int channelCount(instrument::ComediDevice* device, unsigned subdevice) override;
    int findRange(instrument::ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit,
                  double min, double max) override;
    std::optional<Volts> range(instrument::ComediDevice* device, unsigned subdevice, unsigned channel,
                               unsigned rangeIndex) override;
    uint32_t maxData(instrument::ComediDevice*, unsigned, unsigned) override { return 65535; }
    int dataReadHint(instrument::ComediDevice* device, unsigned subdevice, unsigned channel,
                     unsigned rangeIndex, unsigned reference) override;
    int dataRead(instrument::ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                 unsigned reference, uint32_t& sample) override;
    int dioConfig(instrument::ComediDevice* device, unsigned subdevice, unsigned line,
                  unsigned direction) override;
    int dioWrite(instrument::ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) override;

private:
    struct Device {
        FakeComediBoard board;
        std::string path;
        bool open = false;
    };
    // The device behind a pointer from open(); a call on a closed one fails the test.
    Device& of(instrument::ComediDevice* device);
    int record(instrument::ComediDevice* device, const char* name, std::initializer_list<unsigned> args);

    std::map<std::string, Device> m_devices;
    std::map<std::string, int> m_refusals;
    std::map<unsigned, uint32_t> m_samples;
    QStringList m_log;
};

} // namespace corvin::testing
