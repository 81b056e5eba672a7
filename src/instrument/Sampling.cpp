#include "instrument/Sampling.h"

#include <algorithm>
#include <cmath>

namespace corvin::instrument {

namespace {

constexpr int kShortPause = 10;
constexpr int kLongPause = 20;
constexpr int16_t kDigitalOutputCount = 24;

constexpr double kHighDeadBand = 0.03;
constexpr double kLowDeadBandScale3 = 3.5;
constexpr double kLowDeadBandScale4 = 3.0;

double ScaleCount(int32_t count, InstrumentState& state, bool lowDeadBand) {
    state.SampleVolts = count * state.AdcVoltsPerCount;
    double reading = 0.0;
    if (state.HighRangeSelected) {
        reading = ApplyHighDeadBand((state.SampleVolts + state.SampleVolts) * 1.1);
    } else {
        reading = state.SampleVolts * 200.0;
        if (lowDeadBand)
            reading = ApplyLowDeadBand(reading, state.ScreenScale);
    }
    return reading;
}

// Rounds half away from zero at `decimals` places. A value within a hair of the half (far below the
// finest step a count can make) is taken as the half, so 0.15, stored as 0.1499999..., rounds up.
double RoundShown(double value, int decimals) {
    const double factor = decimals == 0 ? 1.0 : 10.0;
    const double scaled = std::fabs(value) * factor;
    double whole = std::floor(scaled);
    const double fraction = scaled - whole;
    if (fraction >= 0.5 - 1e-9 * std::max(1.0, scaled))
        whole += 1.0;
    return std::copysign(whole, value) / factor;
}

} // namespace

void AnalogueSetupByModel(CardLibrary& card, InstrumentState& state) {
    if (!IsSampledModel(state.BoardModel))
        return;
    const int16_t h = state.BoardHandle;
    card.AIOsetADCconvSource(h, 0, 1);
    card.AIOsetHWADCchanDiff(h, 0, 0);
    if (state.BoardModel == kModel230)
        card.AIOsetHWADCchanGain(h, 0, -1, kGainCode);
    card.AIOsetAllADCchanMode(h, 0, 0);
    state.AdcVoltsPerCount = kFullScaleVolts / kFullScaleCount;
}

void ClearDigitalOutputs(CardLibrary& card, int16_t handle, int16_t group) {
    for (int16_t bit = 0; bit < kDigitalOutputCount; ++bit)
        card.DIOsetData(handle, group, bit, 0);
}

void TakeLiveCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel,
                   int32_t& count) {
    const int16_t h = state.BoardHandle;
    if (state.BoardModel == kModel230) {
        card.AIOsetADCmultiplexer(h, 0, channel);
        pauser.Pause(kLongPause);
        card.AIOstartADCconversion(h, 0);
        pauser.Pause(kLongPause);
        card.AIOgetADCdata(h, 0, count);
    } else if (state.BoardModel == kModel30) {
        // The older card wants the input selected again before its result is read.
        card.AIOsetADCmultiplexer(h, 0, channel);
        pauser.Pause(kLongPause);
        card.AIOstartADCconversion(h, 0);
        card.AIOsetADCmultiplexer(h, 0, channel);
        pauser.Pause(kShortPause);
        card.AIOgetADCdata(h, 0, count);
    }
}

void TakePeriodicCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel,
                       int32_t& count) {
    const int16_t h = state.BoardHandle;
    card.AIOsetADCmultiplexer(h, 0, channel);
    pauser.Pause(kLongPause);
    card.AIOstartADCconversion(h, 0);
    card.AIOsetADCmultiplexer(h, 0, channel);
    pauser.Pause(kLongPause);
    card.AIOgetADCdata(h, 0, count);
}

void TakeCountWithoutPauses(CardLibrary& card, const InstrumentState& state, int16_t channel,
                            int32_t& count) {
    const int16_t h = state.BoardHandle;
    card.AIOsetADCmultiplexer(h, 0, channel);
    card.AIOstartADCconversion(h, 0);
    card.AIOgetADCdata(h, 0, count);
}

double ApplyHighDeadBand(double microAmps) {
    return (-kHighDeadBand <= microAmps && microAmps <= kHighDeadBand) ? 0.0 : microAmps;
}

double ApplyLowDeadBand(double microAmps, int16_t screenScale) {
    double band = 0.0;
    if (screenScale == 3)
        band = kLowDeadBandScale3;
    else if (screenScale == 4)
        band = kLowDeadBandScale4;
    else
        return microAmps;
    return (-band <= microAmps && microAmps <= band) ? 0.0 : microAmps;
}

double ScaleLive(int32_t count, InstrumentState& state) {
    return ScaleCount(count, state, true);
}

double ScalePeriodic(int32_t count, InstrumentState& state) {
    return ScaleCount(count, state, false);
}

QString FormatReading(double microAmps, int16_t screenScale) {
    const int decimals = (screenScale == 1 || screenScale == 2) ? 1 : 0;
    if (!std::isfinite(microAmps))
        return decimals == 1 ? QStringLiteral("0.0") : QStringLiteral("0");
    double shown = RoundShown(microAmps, decimals);
    if (shown == 0.0)
        shown = 0.0; // drops the sign of a negative zero
    return QString::number(shown, 'f', decimals);
}

void LiveSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, const ShowReading& show) {
    if (!IsSampledModel(state.BoardModel))
        return;
    int32_t count = 0;
    for (int16_t c = kFirstChannelIndex; c <= kLastChannelIndex; ++c) {
        TakeLiveCount(card, pauser, state, c, count);
        const double reading = ScaleLive(count, state);
        if (show)
            show(c, FormatReading(reading, state.ScreenScale), reading);
    }
}

void PeriodicSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, PeriodicDataSet& data,
                   int sampleIndex) {
    int32_t count = 0;
    for (int16_t c = kFirstChannelIndex; c <= kLastChannelIndex; ++c) {
        TakePeriodicCount(card, pauser, state, c, count);
        const double reading = ScalePeriodic(count, state);
        auto& samples = data.PeriodicData[static_cast<std::size_t>(ChannelOfIndex(c) - 1)];
        if (sampleIndex >= 0 && static_cast<std::size_t>(sampleIndex) < samples.size())
            samples[static_cast<std::size_t>(sampleIndex)] = static_cast<float>(reading);
    }
}

} // namespace corvin::instrument
