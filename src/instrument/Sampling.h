#pragma once
// Taking and scaling readings of the instrument's seven channels (analogue inputs 9..15).

#include "common/SharedState.h"
#include "instrument/CardLibrary.h"

#include <QString>
#include <functional>

namespace corvin::instrument {

constexpr double kFullScaleVolts = 5.0;
constexpr double kFullScaleCount = 32752.0;
constexpr int32_t kGainCode = 21845;

// The two card models the program knows how to sample.
constexpr int16_t kModel30 = 30;
constexpr int16_t kModel230 = 230;
constexpr bool IsSampledModel(int16_t model) {
    return model == kModel30 || model == kModel230;
}

// The test window's analogue set-up by BoardModel (230: four calls, 30: without the gain call,
// any other model: nothing). Sets AdcVoltsPerCount for models 30 and 230.
void AnalogueSetupByModel(CardLibrary& card, InstrumentState& state);

// The digital outputs 0..23 of `group` set to 0.
void ClearDigitalOutputs(CardLibrary& card, int16_t handle, int16_t group);

// One raw count of input `channel` (9..15) by the live sequence of the model, by the periodic
// sequence, and without pauses (freeze). `count` is left as it was when the card does not answer.
// The live sequence makes no call at all on a model other than 30 and 230.
void TakeLiveCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel,
                   int32_t& count);
void TakePeriodicCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel,
                       int32_t& count);
void TakeCountWithoutPauses(CardLibrary& card, const InstrumentState& state, int16_t channel, int32_t& count);

// The dead bands, bounds included: on HIGH a reading within ±0.03 µA is 0; on LOW (live only) a
// reading within ±3.5 µA on ScreenScale 3 and within ±3.0 µA on ScreenScale 4 is 0, and any other
// ScreenScale leaves it.
double ApplyHighDeadBand(double microAmps);
double ApplyLowDeadBand(double microAmps, int16_t screenScale);

// Count -> µA, returned (the volts are kept in SampleVolts). The live scaling applies the LOW-range dead
// band of the screen scale; the periodic scaling does not. Both apply the HIGH-range dead band.
// 5 V reads 11 µA on HIGH and 1000 µA on LOW.
double ScaleLive(int32_t count, InstrumentState& state);
double ScalePeriodic(int32_t count, InstrumentState& state);

// The reading as the reading boxes show it: one decimal on scales 1 and 2, whole µA otherwise.
// A value halfway between two shown values goes away from zero (0.25 -> "0.3", -2.5 -> "-3"), as
// a reader of the digits expects; "halfway" allows for the binary representation, so 0.15 counts
// as a half too. A value that rounds to zero shows no sign ("0.0", never "-0.0").
QString FormatReading(double microAmps, int16_t screenScale);

// One tick of the live timer: for c = 9..15 take the count, scale it, then call
// `show(c, FormatReading(...), reading)` before the next channel is selected. The count
// starts the tick at 0, so a channel the card does not answer keeps the count of the channel
// before it (0 for the first). Models other than 30 and 230 sample nothing and show nothing.
using ShowReading = std::function<void(int16_t channel, const QString& text, double reading)>;
void LiveSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, const ShowReading& show);

// One tick of the logging timer: the seven readings stored as single precision at index
// `sampleIndex` of the periodic arrays (count reset to 0 at the start as in the live sweep). An
// index outside the arrays stores nothing.
void PeriodicSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, PeriodicDataSet& data,
                   int sampleIndex);

} // namespace corvin::instrument
