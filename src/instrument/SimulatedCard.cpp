#include "instrument/SimulatedCard.h"

#include "instrument/CardResult.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace corvin::instrument {

using namespace CardResult;

namespace {

constexpr int16_t kInputCount = 16;
constexpr int16_t kPortCount = 4;
constexpr double kCountsPerVolt = 32752.0 / 5.0;
constexpr double kHighMicroAmpsPerVolt = 2.2;
constexpr double kLowMicroAmpsPerVolt = 200.0;

} // namespace

SimulatedCard::SimulatedCard(const Clock& clock, SimulatorProfile profile, uint32_t seed)
    : m_clock(clock), m_profile(std::move(profile)), m_random(seed) {}

int16_t SimulatedCard::registerBoardEx(int16_t boardIndex) {
    return boardIndex == 0 ? kHandle : kCardNotFound;
}

int16_t SimulatedCard::GetBoardModel(int16_t h) {
    return h == kHandle ? kModel : kNotRegistered;
}

int16_t SimulatedCard::FreeBoard(int16_t h) {
    return h == kHandle ? kOk : kNotRegistered;
}

int16_t SimulatedCard::DIOisAvailable(int16_t h, int16_t group) {
    return (h == kHandle && group == 0) ? 1 : 0;
}

int16_t SimulatedCard::DIOsetChanWidth(int16_t h, int16_t group, int16_t width) {
    if (h != kHandle)
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    return width == 1 ? kOk : kInvalidData;
}

int16_t SimulatedCard::DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) {
    if (h != kHandle)
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    if (port < 0 || port >= kPortCount)
        return kInvalidChannel;
    return mode == 0 ? kOk : kInvalidData;
}

int16_t SimulatedCard::DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) {
    if (h != kHandle)
        return kNotRegistered;
    if (group != 0)
        return kNotSupported;
    if (bit < 0 || bit >= static_cast<int16_t>(m_outputs.size()))
        return kInvalidChannel;
    if (value != 0 && value != 1)
        return kInvalidData;
    m_outputs[static_cast<std::size_t>(bit)] = value;
    return kOk;
}

int16_t SimulatedCard::AIOsetADCconvSource(int16_t h, int16_t adc, int16_t) {
    return h != kHandle ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t SimulatedCard::AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t) {
    return h != kHandle ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t SimulatedCard::AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t, int32_t) {
    return h != kHandle ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t SimulatedCard::AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t) {
    return h != kHandle ? kNotRegistered : adc != 0 ? kInvalidChannel : kOk;
}

int16_t SimulatedCard::AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) {
    if (h != kHandle)
        return kNotRegistered;
    if (adc != 0 || channel < 0 || channel >= kInputCount)
        return kInvalidChannel;
    m_selectedInput = channel;
    return kOk;
}

int16_t SimulatedCard::AIOstartADCconversion(int16_t h, int16_t adc) {
    if (h != kHandle)
        return kNotRegistered;
    if (adc != 0)
        return kInvalidChannel;
    m_latchedCount = CountForVolts(inputVolts(m_selectedInput));
    return kOk;
}

int16_t SimulatedCard::AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) {
    if (h != kHandle)
        return kNotRegistered;
    if (adc != 0)
        return kInvalidChannel;
    count = m_latchedCount;
    return kOk;
}

int32_t SimulatedCard::CountForVolts(double volts) {
    if (std::isnan(volts))
        return 0;
    const double counts = std::clamp(volts * kCountsPerVolt, -32768.0, 32767.0);
    return static_cast<int32_t>(std::lround(counts));
}

double SimulatedCard::inputVolts(int16_t input) {
    // Every conversion draws one value, whatever the input and its relays, so that the noise
    // depends on the sequence of conversions alone.
    const double noise = m_noise(m_random);
    const int k = input - 8;
    if (k < 1 || k > kChannelCount)
        return 0.0;
    const int16_t b0 = m_outputs[static_cast<std::size_t>(2 * (k - 1))];
    const int16_t b1 = m_outputs[static_cast<std::size_t>(2 * (k - 1) + 1)];
    if (b0 == b1)
        return 0.0; // relays open: nothing reaches the input
    const double seconds = static_cast<double>(m_clock.monotonicMs()) / 1000.0;
    const double microAmps = m_profile.currentAt(k, seconds) + noise * m_profile.channel(k).noiseMicroAmps;
    return b1 == 1 ? microAmps / kHighMicroAmpsPerVolt : microAmps / kLowMicroAmpsPerVolt;
}

} // namespace corvin::instrument
