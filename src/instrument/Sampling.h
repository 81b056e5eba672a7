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

// The test window's analogue set-up by BoardModel (230: four calls, 30: without the gain call,
// any other model: nothing). Sets AdcVoltsPerCount for models 30 and 230.
void AnalogueSetupByModel(CardLibrary& card, InstrumentState& state);

// The digital outputs 0..23 of `group` set to 0.
void ClearDigitalOutputs(CardLibrary& card, int16_t handle, int16_t group);

// One raw count of input `channel` (9..15) by the live sequence of the model, by the periodic
// sequence, and without pauses (freeze). `count` is left as it was when the card does not answer.
void TakeLiveCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel, int32_t& count);
void TakePeriodicCount(CardLibrary& card, Pauser& pauser, const InstrumentState& state, int16_t channel,
                       int32_t& count);
void TakeCountWithoutPauses(CardLibrary& card, const InstrumentState& state, int16_t channel, int32_t& count);

// Count -> µA into SampleVolts and ChannelReading. The live scaling applies the LOW-range dead
// band of the screen scale; the periodic scaling does not. Both apply the HIGH-range dead band.
double ScaleLive(int32_t count, InstrumentState& state);
double ScalePeriodic(int32_t count, InstrumentState& state);

// The reading as the reading boxes show it: one decimal on scales 1 and 2, whole µA otherwise.
QString FormatReading(double microAmps, int16_t screenScale);

// One tick of the live timer: for c = 9..15 take the count, scale it, then call
// `show(c, FormatReading(...), ChannelReading)` before the next channel is selected.
// Models other than 30 and 230 sample nothing.
using ShowReading = std::function<void(int16_t channel, const QString& text, double reading)>;
void LiveSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, const ShowReading& show);

// One tick of the logging timer: the seven readings stored as single precision at index
// `sampleIndex` of the periodic arrays.
void PeriodicSweep(CardLibrary& card, Pauser& pauser, InstrumentState& state, PeriodicDataSet& data,
                   int sampleIndex);

} // namespace corvin::instrument
