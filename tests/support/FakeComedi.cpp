#include "support/FakeComedi.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace corvin::testing {

using instrument::ComediDevice;

QStringList FakeComedi::calls(const char* name) const {
    QStringList out;
    const QString prefix = QLatin1String(name) + QLatin1Char('(');
    for (const QString& entry : m_log) {
        if (entry.startsWith(prefix))
            out.append(entry);
    }
    return out;
}

bool FakeComedi::isOpen(const std::string& path) const {
    const auto it = m_devices.find(path);
    return it != m_devices.end() && it->second.open;
}

int FakeComedi::openCount() const {
    int n = 0;
    for (const auto& [path, device] : m_devices)
        n += device.open ? 1 : 0;
    return n;
}

void FakeComedi::record(const char* name, std::initializer_list<long> args) {
    QStringList parts;
    for (long a : args)
        parts.append(QString::number(a));
    m_log.append(QLatin1String(name) + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')'));
}

FakeComedi::Device& FakeComedi::deviceOf(ComediDevice* device) {
    for (auto& [path, d] : m_devices) {
        if (reinterpret_cast<ComediDevice*>(&d) == device) {
            EXPECT_TRUE(d.open) << "a call on " << path << " after it was closed";
            return d;
        }
    }
    ADD_FAILURE() << "a call on a device that was never opened";
    static Device stranger;
    return stranger;
}

ComediDevice* FakeComedi::open(const std::string& path, int& error) {
    m_log.append(QStringLiteral("open(%1)").arg(QString::fromStdString(path)));
    if (const auto refused = m_refusals.find(path); refused != m_refusals.end()) {
        error = refused->second;
        return nullptr;
    }
    const auto it = m_devices.find(path);
    if (it == m_devices.end()) {
        error = ENOENT;
        return nullptr;
    }
    EXPECT_FALSE(it->second.open) << path << " opened twice";
    it->second.open = true;
    it->second.path = path;
    return reinterpret_cast<ComediDevice*>(&it->second);
}

int FakeComedi::close(ComediDevice* device) {
    Device& d = deviceOf(device);
    m_log.append(QStringLiteral("close(%1)").arg(QString::fromStdString(d.path)));
    d.open = false;
    return 0;
}

std::string FakeComedi::boardName(ComediDevice* device) {
    return deviceOf(device).board.name;
}

int FakeComedi::findSubdeviceByType(ComediDevice* device, int type, unsigned startSubdevice) {
    const Board& b = deviceOf(device).board;
    const int found = type == kAnalogueInput ? b.analogue : type == kDigitalInOut ? b.digital : -1;
    return found >= static_cast<int>(startSubdevice) ? found : -1;
}

int FakeComedi::channelCount(ComediDevice* device, unsigned subdevice) {
    const Board& b = deviceOf(device).board;
    if (static_cast<int>(subdevice) == b.analogue)
        return b.analogueChannels;
    if (static_cast<int>(subdevice) == b.digital)
        return b.digitalLines;
    return -1;
}

int FakeComedi::findRange(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned unit,
                          double min, double max) {
    const Board& b = deviceOf(device).board;
    // The board knows its ±5 V range only when asked for exactly that, in volts.
    const bool asked = static_cast<int>(subdevice) == b.analogue && channel < unsigned(b.analogueChannels) &&
                       unit == kUnitVolt && min == -5.0 && max == 5.0;
    return asked ? b.rangeIndex : -1;
}

std::optional<FakeComedi::Volts> FakeComedi::range(ComediDevice* device, unsigned subdevice, unsigned,
                                                   unsigned rangeIndex) {
    const Board& b = deviceOf(device).board;
    if (static_cast<int>(subdevice) != b.analogue || static_cast<int>(rangeIndex) != b.rangeIndex)
        return std::nullopt;
    return b.volts;
}

uint32_t FakeComedi::maxData(ComediDevice* device, unsigned subdevice, unsigned) {
    const Board& b = deviceOf(device).board;
    return static_cast<int>(subdevice) == b.analogue ? b.maxData : 0;
}

int FakeComedi::dataReadHint(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                             unsigned reference) {
    deviceOf(device);
    record("dataReadHint", {long(subdevice), long(channel), long(rangeIndex), long(reference)});
    return 0;
}

int FakeComedi::dataRead(ComediDevice* device, unsigned subdevice, unsigned channel, unsigned rangeIndex,
                         unsigned reference, uint32_t& sample) {
    deviceOf(device);
    record("dataRead", {long(subdevice), long(channel), long(rangeIndex), long(reference)});
    if (m_failingReads.count(channel) != 0)
        return -1;
    const auto it = m_samples.find(channel);
    sample = it != m_samples.end() ? it->second : 0;
    return 1;
}

int FakeComedi::dioConfig(ComediDevice* device, unsigned subdevice, unsigned line, unsigned direction) {
    deviceOf(device);
    record("dioConfig", {long(subdevice), long(line), long(direction)});
    return m_failingLines.count(line) != 0 ? -1 : 0;
}

int FakeComedi::dioWrite(ComediDevice* device, unsigned subdevice, unsigned line, unsigned bit) {
    deviceOf(device);
    record("dioWrite", {long(subdevice), long(line), long(bit)});
    return 1;
}

} // namespace corvin::testing
