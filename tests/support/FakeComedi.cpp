#include "support/FakeComedi.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace corvin::testing {

using instrument::ComediDevice;

FakeComedi::Device& FakeComedi::of(ComediDevice* device) {
    Device& d = *reinterpret_cast<Device*>(device);
    EXPECT_TRUE(d.open) << "a call on " << d.path << " while it is closed";
    return d;
}

int FakeComedi::record(ComediDevice* device, const char* name, std::initializer_list<unsigned> args) {
    of(device);
    QStringList parts;
    for (unsigned a : args)
        parts.append(QString::number(a));
    m_log.append(QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QLatin1Char(','))));
    return 0;
}

ComediDevice* FakeComedi::open(const std::string& path, int& error) {
    m_log.append(QStringLiteral("open(%1)").arg(QString::fromStdString(path)));
    const auto it = m_devices.find(path);
    error = m_refusals.count(path) ? m_refusals[path] : ENOENT;
    if (m_refusals.count(path) || it == m_devices.end())
        return nullptr;
    it->second.open = true;
    it->second.path = path;
    return reinterpret_cast<ComediDevice*>(&it->second);
}

int FakeComedi::close(ComediDevice* device) {
    Device& d = of(device);
    d.open = false;
    m_log.append(QStringLiteral("close(%1)").arg(QString::fromStdString(d.path)));
    return 0;
}

int FakeComedi::findSubdeviceByType(ComediDevice* device, int type, unsigned start) {
    const FakeComediBoard& b = of(device).board;
    const int found = type == kAnalogueInput ? b.analogue : type == kDigitalInOut ? b.digital : -1;
    return found >= static_cast<int>(start) ? found : -1;
}

int FakeComedi::channelCount(ComediDevice* device, unsigned subdevice) {
    const FakeComediBoard& b = of(device).board;
    return static_cast<int>(subdevice) == b.analogue ? b.analogueChannels : 24;
}

int FakeComedi::findRange(ComediDevice* device, unsigned subdevice, unsigned, unsigned unit, double min,
                          double max) {
    // The board knows its ±5 V range only when asked for exactly that, in volts.
    const FakeComediBoard& b = of(device).board;
    const bool asked =
        static_cast<int>(subdevice) == b.analogue && unit == kUnitVolt && min == -5 && max == 5;
    return asked ? b.rangeIndex : -1;
}

std::optional<FakeComedi::Volts> FakeComedi::range(ComediDevice* device, unsigned, unsigned,
                                                   unsigned rangeIndex) {
    if (static_cast<int>(rangeIndex) != of(device).board.rangeIndex)
        return std::nullopt;
    return Volts{-5.0, 5.0};
}

int FakeComedi::dataReadHint(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                             unsigned reference) {
    return record(device, "dataReadHint", {subdevice, channel, rangeIndex, reference});
}

int FakeComedi::dataRead(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                         unsigned reference, uint32_t& sample) {
    record(device, "dataRead", {subdevice, channel, rangeIndex, reference});
    sample = m_samples.count(channel) ? m_samples[channel] : 0;
    return 1;
}

int FakeComedi::dioConfig(ComediDevice* device, unsigned subdevice, unsigned line, unsigned direction) {
    return record(device, "dioConfig", {subdevice, line, direction});
}

int FakeComedi::dioWrite(ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) {
    return record(device, "dioWrite", {subdevice, line, bit}) + 1;
}

} // namespace corvin::testing
