#include "instrument/RangeRelays.h"
#include "support/RecordingCard.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::instrument;
using corvin::testing::RecordingCard;

namespace {

struct Relays {
    RecordingCard card;
    InstrumentState instrument;
    DisplayState display;

    Relays() { instrument.BoardHandle = 0; }
    void on(std::initializer_list<int> channels) {
        for (int k : channels)
            display.ChannelEnabled[static_cast<std::size_t>(k - 1)] = true;
    }
};

} // namespace

// ---- choosing a range writes the pairs of the channels that are on, b0 then b1 ----

TEST(RangeRelays, HighWithChannelsOneAndThreeWritesExactlyTheirPairs) {
    Relays r;
    r.on({1, 3});
    r.instrument.HighRangeSelected = true;
    ApplyRangeRelays(r.card, r.instrument, r.display);
    EXPECT_EQ(r.card.log(), (QStringList{"DIOsetData(0,0,0,0)", "DIOsetData(0,0,1,1)", "DIOsetData(0,0,4,0)",
                                         "DIOsetData(0,0,5,1)"}));
}

TEST(RangeRelays, LowAfterHighFlipsOnlyTheChannelsThatAreOn) {
    Relays r;
    r.on({2, 7});
    r.instrument.HighRangeSelected = true;
    ApplyRangeRelays(r.card, r.instrument, r.display);
    r.card.clearLog();

    r.instrument.HighRangeSelected = false;
    ApplyRangeRelays(r.card, r.instrument, r.display);
    EXPECT_EQ(r.card.log(), (QStringList{"DIOsetData(0,0,2,1)", "DIOsetData(0,0,3,0)", "DIOsetData(0,0,12,1)",
                                         "DIOsetData(0,0,13,0)"}));
    // Channels that are off were never written.
    EXPECT_FALSE(r.card.outputBit(0).has_value());
    EXPECT_FALSE(r.card.outputBit(4).has_value());
}

TEST(RangeRelays, NoChannelOnWritesNothing) {
    Relays r;
    ApplyRangeRelays(r.card, r.instrument, r.display);
    EXPECT_TRUE(r.card.log().isEmpty());
}

TEST(RangeRelays, WritesUseTheBoardHandleGiven) {
    Relays r;
    r.instrument.BoardHandle = -1;
    r.on({1});
    ApplyRangeRelays(r.card, r.instrument, r.display);
    EXPECT_EQ(r.card.log(), (QStringList{"DIOsetData(-1,0,0,1)", "DIOsetData(-1,0,1,0)"}));
}

// ---- a single channel button ----

TEST(ChannelRelays, EveryChannelOwnsItsPairOnBothRangesAndOff) {
    for (int k = 1; k <= 7; ++k) {
        SCOPED_TRACE(k);
        const QString b0 = QString::number(2 * (k - 1));
        const QString b1 = QString::number(2 * (k - 1) + 1);
        Relays r;
        r.instrument.HighRangeSelected = true;
        WriteChannelRelays(r.card, r.instrument, k, true);
        r.instrument.HighRangeSelected = false;
        WriteChannelRelays(r.card, r.instrument, k, true);
        WriteChannelRelays(r.card, r.instrument, k, false);
        EXPECT_EQ(r.card.log(),
                  (QStringList{"DIOsetData(0,0," + b0 + ",0)", "DIOsetData(0,0," + b1 + ",1)",
                               "DIOsetData(0,0," + b0 + ",1)", "DIOsetData(0,0," + b1 + ",0)",
                               "DIOsetData(0,0," + b0 + ",0)", "DIOsetData(0,0," + b1 + ",0)"}));
    }
}

TEST(ChannelRelays, ChannelOutsideOneToSevenWritesNothing) {
    Relays r;
    WriteChannelRelays(r.card, r.instrument, 0, true);
    WriteChannelRelays(r.card, r.instrument, 8, true);
    EXPECT_TRUE(r.card.log().isEmpty());
}
