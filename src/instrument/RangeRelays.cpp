#include "instrument/RangeRelays.h"

namespace corvin::instrument {

void ApplyRangeRelays(CardLibrary& card, const InstrumentState& instrument, const DisplayState& display) {
    for (int k = 1; k <= kChannelCount; ++k) {
        if (display.ChannelEnabled[static_cast<std::size_t>(k - 1)])
            WriteChannelRelays(card, instrument, k, true);
    }
}

void WriteChannelRelays(CardLibrary& card, const InstrumentState& instrument, int k, bool on) {
    if (k < 1 || k > kChannelCount)
        return;
    const auto b0 = static_cast<int16_t>(2 * (k - 1));
    const auto b1 = static_cast<int16_t>(b0 + 1);
    int16_t v0 = 0;
    int16_t v1 = 0;
    if (on) {
        v0 = instrument.HighRangeSelected ? 0 : 1;
        v1 = instrument.HighRangeSelected ? 1 : 0;
    }
    // Always b0 first, then b1. Between the two writes of a range change the pair reads 1/1 or 0/0,
    // both of which leave the channel unconnected, never on the wrong range.
    card.DIOsetData(instrument.BoardHandle, 0, b0, v0);
    card.DIOsetData(instrument.BoardHandle, 0, b1, v1);
}

} // namespace corvin::instrument
