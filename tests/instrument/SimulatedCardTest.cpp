#include "instrument/SimulatedCard.h"
#include "instrument/CardRegistration.h"
#include "instrument/NoPause.h"
#include "instrument/RangeRelays.h"
#include "instrument/Sampling.h"
#include "support/TempHome.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <vector>

using namespace corvin;
using namespace corvin::instrument;
using corvin::testing::TempHome;

namespace {

// A profile with one steady, noiseless current on channel `k`.
SimulatorProfile Steady(int k, double microAmps) {
    SimulatorProfile p;
    p.channel(k).levelMicroAmps = microAmps;
    return p;
}

int32_t Convert(SimulatedCard& card, int16_t input) {
    int32_t count = -99999;
    card.AIOsetADCmultiplexer(0, 0, input);
    card.AIOstartADCconversion(0, 0);
    card.AIOgetADCdata(0, 0, count);
    return count;
}

void SetPair(SimulatedCard& card, int k, int16_t b0, int16_t b1) {
    card.DIOsetData(0, 0, static_cast<int16_t>(2 * (k - 1)), b0);
    card.DIOsetData(0, 0, static_cast<int16_t>(2 * (k - 1) + 1), b1);
}

} // namespace

// ---- the card as the program finds and sets it up ----

TEST(SimulatedCard, RegistersAtIndexZeroAsModel230) {
    ManualClock clock;
    SimulatedCard card(clock);
    const Registration r = RegisterBoard(card);
    EXPECT_EQ(r.BoardHandle, 0);
    EXPECT_EQ(r.BoardModel, 230);
    EXPECT_EQ(r.group, 0);
    EXPECT_LT(card.registerBoardEx(1), 0);
    EXPECT_EQ(card.DIOsetData(0, 0, 23, 1), 0);
    EXPECT_NE(card.DIOsetData(0, 0, 24, 1), 0);
    EXPECT_NE(card.DIOsetData(1, 0, 0, 1), 0);
}

TEST(SimulatedCard, WrongHandleLeavesTheCountAlone) {
    ManualClock clock;
    SimulatedCard card(clock, Steady(1, 5.0));
    SetPair(card, 1, 0, 1);
    int32_t count = 7;
    card.AIOsetADCmultiplexer(-1, 0, 9);
    card.AIOstartADCconversion(-1, 0);
    EXPECT_NE(card.AIOgetADCdata(-1, 0, count), 0);
    EXPECT_EQ(count, 7);
}

// ---- relays decide what reaches the converter ----

TEST(SimulatedCard, RelaysOffReadZero) {
    ManualClock clock;
    SimulatedCard card(clock, Steady(3, 5.0));
    EXPECT_EQ(Convert(card, 11), 0); // never switched: 0/0
    SetPair(card, 3, 1, 1);
    EXPECT_EQ(Convert(card, 11), 0);
}

TEST(SimulatedCard, HighAndLowGiveTheirCountsForAKnownCurrent) {
    ManualClock clock;
    SimulatedCard card(clock, Steady(2, 4.4));
    SetPair(card, 2, 0, 1); // HIGH: 4.4 µA / 2.2 = 2 V
    EXPECT_EQ(Convert(card, 10), std::lround(2.0 * 32752 / 5.0));
    SetPair(card, 2, 1, 0); // LOW: 4.4 µA / 200 = 0.022 V
    EXPECT_EQ(Convert(card, 10), std::lround(0.022 * 32752 / 5.0));
    // Other channels carry nothing.
    SetPair(card, 5, 0, 1);
    EXPECT_EQ(Convert(card, 13), 0);
}

TEST(SimulatedCard, NegativeCurrentGivesNegativeCount) {
    ManualClock clock;
    SimulatedCard card(clock, Steady(7, -300.0));
    SetPair(card, 7, 1, 0);
    EXPECT_EQ(Convert(card, 15), std::lround(-1.5 * 32752 / 5.0));
}

TEST(SimulatedCard, CountsSaturateAtTheSixteenBitLimits) {
    EXPECT_EQ(SimulatedCard::CountForVolts(5.0), 32752);
    EXPECT_EQ(SimulatedCard::CountForVolts(100.0), 32767);
    EXPECT_EQ(SimulatedCard::CountForVolts(-100.0), -32768);
    ManualClock clock;
    SimulatorProfile p = Steady(1, 500.0);
    p.channel(2).levelMicroAmps = -500.0;
    SimulatedCard card(clock, p);
    SetPair(card, 1, 0, 1);
    SetPair(card, 2, 0, 1);
    EXPECT_EQ(Convert(card, 9), 32767);
    EXPECT_EQ(Convert(card, 10), -32768);
}

TEST(SimulatedCard, ConversionLatchesUntilTheNext) {
    ManualClock clock;
    SimulatorProfile p = Steady(1, 2.2);
    SimulatedCard card(clock, p);
    SetPair(card, 1, 0, 1);
    card.AIOsetADCmultiplexer(0, 0, 9);
    card.AIOstartADCconversion(0, 0);
    card.AIOsetADCmultiplexer(0, 0, 10); // selecting another input does not change the result
    int32_t count = 0;
    card.AIOgetADCdata(0, 0, count);
    EXPECT_EQ(count, std::lround(32752 / 5.0));
}

// ---- time and noise ----

TEST(SimulatedCard, SwingFollowsTheClock) {
    ManualClock clock;
    SimulatorProfile p;
    p.channel(1) = {2.0, 1.0, 4.0, 0.0}; // channel 1 starts at phase 0
    SimulatedCard card(clock, p);
    SetPair(card, 1, 0, 1);
    EXPECT_EQ(Convert(card, 9), SimulatedCard::CountForVolts(2.0 / 2.2));
    clock.advanceMs(1000); // a quarter period: the top of the swing
    EXPECT_EQ(Convert(card, 9), SimulatedCard::CountForVolts(3.0 / 2.2));
}

TEST(SimulatedCard, SameSeedSameReadingsOtherSeedOtherNoise) {
    auto readings = [](uint32_t seed) {
        ManualClock clock;
        SimulatedCard card(clock, SimulatorProfile::demo(), seed);
        InstrumentState s;
        s.BoardHandle = 0;
        s.BoardModel = 230;
        s.HighRangeSelected = true;
        s.ScreenScale = 2;
        AnalogueSetupByModel(card, s);
        DisplayState d;
        d.ChannelEnabled.fill(true);
        ApplyRangeRelays(card, s, d);
        NoPause pause;
        std::vector<double> out;
        for (int tick = 0; tick < 5; ++tick) {
            LiveSweep(card, pause, s, [&](int16_t, const QString&, double r) { out.push_back(r); });
            clock.advanceMs(250);
        }
        return out;
    };
    const auto a = readings(7);
    EXPECT_EQ(a, readings(7));
    EXPECT_NE(a, readings(8));
    // The demonstration currents show on HIGH: channel 1 near 6 µA, channel 2 negative, channel 5
    // at full scale.
    EXPECT_NEAR(a[0], 6.0, 2.0);
    EXPECT_LT(a[1], 0.0);
    EXPECT_NEAR(a[4], 11.0, 0.01);
}

// ---- profile files ----

TEST(SimulatorProfile, ReadsAGoodFile) {
    TempHome home;
    const QString path = home.file("bench.prof");
    ASSERT_TRUE(TempHome::write(path, "# bench set-up\n"
                                      "\n"
                                      "channel 1: level 4.5 uA, swing 0.5, period 20 s, noise 0.02 uA\n"
                                      "Channel 3 : NOISE 1.5 µA, level -120   # leaky\n"
                                      "channel 7: level 0.9 mA, period 2 min\r\n"
                                      "channel 5:\n"));
    SimulatorProfile p = SimulatorProfile::demo();
    const Status st = SimulatorProfile::Load(path, p);
    ASSERT_TRUE(st.ok()) << st.message().toStdString();
    EXPECT_DOUBLE_EQ(p.channel(1).levelMicroAmps, 4.5);
    EXPECT_DOUBLE_EQ(p.channel(1).swingMicroAmps, 0.5);
    EXPECT_DOUBLE_EQ(p.channel(1).periodSeconds, 20.0);
    EXPECT_DOUBLE_EQ(p.channel(1).noiseMicroAmps, 0.02);
    EXPECT_DOUBLE_EQ(p.channel(3).levelMicroAmps, -120.0);
    EXPECT_DOUBLE_EQ(p.channel(3).noiseMicroAmps, 1.5);
    EXPECT_DOUBLE_EQ(p.channel(7).levelMicroAmps, 900.0);
    EXPECT_DOUBLE_EQ(p.channel(7).periodSeconds, 120.0);
    // Channels without a line, or with an empty one, carry nothing.
    EXPECT_EQ(p.channel(2).levelMicroAmps, 0.0);
    EXPECT_EQ(p.channel(5).levelMicroAmps, 0.0);
    EXPECT_EQ(p.channel(5).periodSeconds, 60.0);
}

struct BadProfile {
    const char* text;
    const char* message; // the part after "<file>, line "
};

class SimulatorProfileErrors : public ::testing::TestWithParam<BadProfile> {};

TEST_P(SimulatorProfileErrors, RefusedWithTheLineAndProfileUnchanged) {
    SimulatorProfile p = SimulatorProfile::demo();
    const Status st = SimulatorProfile::parse(QString::fromUtf8(GetParam().text), "p.prof", p);
    EXPECT_FALSE(st.ok());
    EXPECT_EQ(st.message(), QStringLiteral("p.prof, line ") + QString::fromUtf8(GetParam().message));
    EXPECT_EQ(p.channel(1).levelMicroAmps, 6.0);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SimulatorProfileErrors,
    ::testing::Values(
        BadProfile{"# ok\nchan 1: level 3", "2: expected \"channel N: level ... uA, ...\""},
        BadProfile{"channel 8: level 3", "1: channel \"8\" is not 1 to 7"},
        BadProfile{"channel x: level 3", "1: channel \"x\" is not 1 to 7"},
        BadProfile{"channel 1: level 3\nchannel 1: level 4", "2: channel 1 given twice"},
        BadProfile{"channel 2: leval 3",
                   "1: unknown setting \"leval\" (expected level, swing, period or noise)"},
        BadProfile{"channel 2: level 3, level 4", "1: \"level\" given twice"},
        BadProfile{"channel 2: level", "1: \"level\" has no value"},
        BadProfile{"channel 2: level three", "1: \"three\" is not a number"},
        BadProfile{"channel 2: level 1e999", "1: \"1e999\" is not a number"},
        BadProfile{"channel 2: level nan", "1: \"nan\" is not a number"},
        BadProfile{"channel 2: level 3 V", "1: unit \"V\" does not suit \"level\" (use uA, nA or mA)"},
        BadProfile{"channel 2: period 3 uA", "1: unit \"uA\" does not suit \"period\" (use s, ms or min)"},
        BadProfile{"channel 2: period 0", "1: period must be more than 0 and at most 86400 s"},
        BadProfile{"channel 2: noise -1", "1: \"noise\" must not be negative"},
        BadProfile{"channel 2: level 2 A", "1: unit \"A\" does not suit \"level\" (use uA, nA or mA)"},
        BadProfile{"channel 2: level 2000 mA", "1: \"level\" beyond 1 A"},
        BadProfile{"channel 2: level 3,, noise 1", "1: empty setting (two commas in a row?)"},
        BadProfile{"channel 2: level 3 uA extra", "1: too many words in \"level 3 uA extra\""}));

TEST(SimulatorProfile, MissingUnreadableAndBinaryFilesAreRefused) {
    TempHome home;
    SimulatorProfile p = SimulatorProfile::demo();

    const Status missing = SimulatorProfile::Load(home.file("none.prof"), p);
    EXPECT_FALSE(missing.ok());
    EXPECT_EQ(missing.message(), "Simulator profile " + home.file("none.prof") + ": no such file");

    EXPECT_EQ(SimulatorProfile::Load(home.path(), p).message(),
              "Simulator profile " + home.path() + ": is a folder, not a profile file");
    // A pipe is refused without waiting for someone to write into it.
    const QString pipe = home.file("pipe.prof");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_EQ(SimulatorProfile::Load(pipe, p).message(),
              "Simulator profile " + pipe + ": is not a plain file (a pipe, a socket or a device)");

    const QString binary = home.file("bin.prof");
    ASSERT_TRUE(TempHome::write(binary, QByteArray("channel 1: level 3\0\x01\x02", 21)));
    const Status notText = SimulatorProfile::Load(binary, p);
    EXPECT_EQ(notText.message(), "Simulator profile " + binary + ": not a text file");

    const QString latin1 = home.file("latin1.prof");
    ASSERT_TRUE(TempHome::write(latin1, "channel 1: level 3 \xb5\x41\n"));
    EXPECT_EQ(SimulatorProfile::Load(latin1, p).message(),
              latin1 + ", line 1: not readable text (use UTF-8)");

    const QString huge = home.file("huge.prof");
    ASSERT_TRUE(TempHome::write(huge, QByteArray(70 * 1024, '#')));
    EXPECT_FALSE(SimulatorProfile::Load(huge, p).ok());

    EXPECT_EQ(p.channel(1).levelMicroAmps, 6.0);
}
