#pragma once
// The instrument's range relays: channel k (1..7) owns digital outputs 2(k-1) and 2(k-1)+1.
// On HIGH they are 0/1, on LOW 1/0, and 0/0 when the channel is off.

#include "common/SharedState.h"
#include "instrument/CardLibrary.h"

namespace corvin::instrument {

// The pairs of every channel that is on, for the current range; channels that are off are not
// touched.
void ApplyRangeRelays(CardLibrary& card, const InstrumentState& instrument, const DisplayState& display);

// One channel switched on (pair for the current range) or off (both 0).
void WriteChannelRelays(CardLibrary& card, const InstrumentState& instrument, int k, bool on);

} // namespace corvin::instrument
