#pragma once
// A stand-in for libcomedi behind the Comedi call table: devices are scripted by path, calls that
// act on a device are logged in order ("open(/dev/comedi0)", "dioConfig(2,5,1)",
// "dataRead(0,9,1,0)"), and reads play back scripted samples. Lookups (board name, subdevices,
// ranges) answer from the scripted board without being logged.
//
//     FakeComedi comedi;
//     comedi.addDevice("/dev/comedi0");                 // a PCI230+ as the driver shows it
//     comedi.refuseDevice("/dev/comedi1", EACCES);      // opening it is not allowed
//     comedi.setSample(11, 40000);                      // input 11 reads 40000
//     comedi.calls("dioWrite")                          // the log filtered by name

#include "instrument/ComediApi.h"

#include <QStringList>
#include <map>
#include <set>
#include <string>

namespace corvin::testing {

class FakeComedi : public instrument::ComediApi {
public:
    // A board as the driver describes it; by default a PCI230+ (16-bit inputs, ±5 V as range 1,
    // the 8255 block as subdevice 2). A subdevice or range of -1 is missing.
    struct Board {
        std::string name = "pci230+";
        int analogue = 0;
        int analogueChannels = 16;
        int digital = 2;
        int digitalLines = 24;
        int rangeIndex = 1;
        Volts volts{-5.0, 5.0};
        uint32_t maxData = 65535;
    };

    void addDevice(const std::string& path, const Board& board) { m_devices[path].board = board; }
    void addDevice(const std::string& path) { addDevice(path, Board{}); }
    // Opening `path` fails with this errno value (a path never added fails with ENOENT).
    void refuseDevice(const std::string& path, int error) { m_refusals[path] = error; }
    void setSample(unsigned channel, uint32_t sample) { m_samples[channel] = sample; }
    void failReads(unsigned channel) { m_failingReads.insert(channel); }
    void failDioConfig(unsigned line) { m_failingLines.insert(line); }

    const QStringList& log() const { return m_log; }
    QStringList calls(const char* name) const;
    void clearLog() { m_log.clear(); }
    bool isOpen(const std::string& path) const;
    int openCount() const;

    instrument::ComediDevice* open(const std::string& path, int& error) override;
    int close(instrument::ComediDevice* device) override;
    std::string boardName(instrument::ComediDevice* device) override;
    int findSubdeviceByType(instrument::ComediDevice* device, int type, unsigned startSubdevice) override;
    int channelCount(instrument::ComediDevice* device, unsigned subdevice) override;
    int findRange(instrument::ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit,
                  double min, double max) override;
    std::optional<Volts> range(instrument::ComediDevice* device, unsigned subdevice, unsigned channel,
                               unsigned rangeIndex) override;
    uint32_t maxData(instrument::ComediDevice* device, unsigned subdevice, unsigned channel) override;
    int dataReadHint(instrument::ComediDevice* device, unsigned subdevice, unsigned channel,
                     unsigned rangeIndex, unsigned reference) override;
    int dataRead(instrument::ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                 unsigned reference, uint32_t& sample) override;
    int dioConfig(instrument::ComediDevice* device, unsigned subdevice, unsigned line,
                  unsigned direction) override;
    int dioWrite(instrument::ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) override;

private:
    struct Device {
        Board board;
        std::string path;
        bool open = false;
    };
    // The device behind a pointer handed out by open(); fails the test on a stranger.
    Device& deviceOf(instrument::ComediDevice* device);
    void record(const char* name, std::initializer_list<long> args);

    std::map<std::string, Device> m_devices;
    std::map<std::string, int> m_refusals;
    std::map<unsigned, uint32_t> m_samples;
    std::set<unsigned> m_failingReads;
    std::set<unsigned> m_failingLines;
    QStringList m_log;
};

} // namespace corvin::testing
