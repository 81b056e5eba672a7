#include "support/RecordingCard.h"

namespace corvin::testing {

namespace {

constexpr int16_t kNotFound = -10;

QString FunctionName(const QString& entry) {
    return entry.left(entry.indexOf(QLatin1Char('(')));
}

bool IsOneOf(const QString& entry, std::initializer_list<const char*> names) {
    const QString name = FunctionName(entry);
    for (const char* n : names) {
        if (name == QLatin1String(n))
            return true;
    }
    return false;
}

} // namespace

QStringList RecordingCard::calls(std::initializer_list<const char*> names) const {
    QStringList out;
    for (const QString& e : m_log) {
        if (IsOneOf(e, names))
            out.append(e);
    }
    return out;
}

QStringList RecordingCard::callsExcept(std::initializer_list<const char*> names) const {
    QStringList out;
    for (const QString& e : m_log) {
        if (!IsOneOf(e, names))
            out.append(e);
    }
    return out;
}

std::optional<int16_t> RecordingCard::outputBit(int16_t bit, int16_t group) const {
    const auto it = m_outputs.find({group, bit});
    if (it == m_outputs.end())
        return std::nullopt;
    return it->second;
}

int16_t RecordingCard::record(const char* name, std::initializer_list<long> args, int16_t fallback) {
    QStringList parts;
    for (long a : args)
        parts.append(QString::number(a));
    const QString entry =
        QLatin1String(name) + QLatin1Char('(') + parts.join(QLatin1Char(',')) + QLatin1Char(')');
    m_log.append(entry);
    if (const auto exact = m_results.constFind(entry); exact != m_results.constEnd())
        return *exact;
    if (const auto byName = m_results.constFind(QLatin1String(name)); byName != m_results.constEnd())
        return *byName;
    return fallback;
}

int16_t RecordingCard::registerBoardEx(int16_t boardIndex) {
    const auto it = m_registered.find(boardIndex);
    return record("registerBoardEx", {boardIndex}, it == m_registered.end() ? kNotFound : it->second);
}

int16_t RecordingCard::GetBoardModel(int16_t h) {
    return record("GetBoardModel", {h}, m_model);
}

int16_t RecordingCard::FreeBoard(int16_t h) {
    return record("FreeBoard", {h}, 0);
}

int16_t RecordingCard::DIOisAvailable(int16_t h, int16_t group) {
    return record("DIOisAvailable", {h, group}, 1);
}

int16_t RecordingCard::DIOsetChanWidth(int16_t h, int16_t group, int16_t width) {
    return record("DIOsetChanWidth", {h, group, width}, 0);
}

int16_t RecordingCard::DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) {
    return record("DIOsetMode", {h, group, port, mode}, 0);
}

int16_t RecordingCard::DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) {
    const int16_t result = record("DIOsetData", {h, group, bit, value}, 0);
    if (result == 0)
        m_outputs[{group, bit}] = value;
    return result;
}

int16_t RecordingCard::AIOsetADCconvSource(int16_t h, int16_t adc, int16_t source) {
    return record("AIOsetADCconvSource", {h, adc, source}, 0);
}

int16_t RecordingCard::AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t differential) {
    return record("AIOsetHWADCchanDiff", {h, adc, differential}, 0);
}

int16_t RecordingCard::AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t channel, int32_t gain) {
    return record("AIOsetHWADCchanGain", {h, adc, channel, gain}, 0);
}

int16_t RecordingCard::AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t mode) {
    return record("AIOsetAllADCchanMode", {h, adc, mode}, 0);
}

int16_t RecordingCard::AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) {
    const int16_t result = record("AIOsetADCmultiplexer", {h, adc, channel}, 0);
    if (result == 0)
        m_selected = channel;
    return result;
}

int16_t RecordingCard::AIOstartADCconversion(int16_t h, int16_t adc) {
    const int16_t result = record("AIOstartADCconversion", {h, adc}, 0);
    if (result == 0)
        m_converted = m_counts.value(m_selected, 0);
    return result;
}

int16_t RecordingCard::AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) {
    const int16_t result = record("AIOgetADCdata", {h, adc}, m_readResults.value(m_selected, 0));
    if (result != 0)
        return result; // a failed read leaves the caller's count alone, as the driver does
    if (!m_queue.empty()) {
        count = m_queue.front();
        m_queue.pop_front();
    } else {
        count = m_converted;
    }
    return result;
}

} // namespace corvin::testing
