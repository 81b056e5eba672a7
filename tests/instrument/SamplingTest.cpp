#include "instrument/Sampling.h"
#include "support/CountingPauser.h"
#include "support/RecordingCard.h"

#include "QtPrinting.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace corvin;
using namespace corvin::instrument;
using corvin::testing::CountingPauser;
using corvin::testing::RecordingCard;

namespace {

constexpr double kVoltsPerCount = 5.0 / 32752.0;

InstrumentState State(int16_t model, bool high, int16_t scale) {
    InstrumentState s;
    s.BoardHandle = 0;
    s.BoardModel = model;
    s.AdcVoltsPerCount = kVoltsPerCount;
    s.HighRangeSelected = high;
    s.ScreenScale = scale;
    return s;
}

struct Shown {
    int16_t channel;
    QString text;
    double reading;
};

} // namespace

// ---- analogue set-up by model ----

TEST(AnalogueSetup, ByModel) {
    {
        RecordingCard card;
        InstrumentState s;
        s.BoardHandle = 0;
        s.BoardModel = 230;
        AnalogueSetupByModel(card, s);
        EXPECT_EQ(card.log(),
                  (QStringList{"AIOsetADCconvSource(0,0,1)", "AIOsetHWADCchanDiff(0,0,0)",
                               "AIOsetHWADCchanGain(0,0,-1,21845)", "AIOsetAllADCchanMode(0,0,0)"}));
        EXPECT_DOUBLE_EQ(s.AdcVoltsPerCount, kVoltsPerCount);
    }
    {
        RecordingCard card;
        InstrumentState s;
        s.BoardHandle = 0;
        s.BoardModel = 30;
        AnalogueSetupByModel(card, s);
        EXPECT_EQ(card.log(), (QStringList{"AIOsetADCconvSource(0,0,1)", "AIOsetHWADCchanDiff(0,0,0)",
                                           "AIOsetAllADCchanMode(0,0,0)"}));
        EXPECT_DOUBLE_EQ(s.AdcVoltsPerCount, kVoltsPerCount);
    }
    {
        RecordingCard card;
        InstrumentState s;
        s.BoardModel = 226;
        AnalogueSetupByModel(card, s);
        EXPECT_TRUE(card.log().isEmpty());
        EXPECT_EQ(s.AdcVoltsPerCount, 0.0);
    }
}

TEST(AnalogueSetup, ClearDigitalOutputsWritesBitsZeroToTwentyThree) {
    RecordingCard card;
    ClearDigitalOutputs(card, 3, 0);
    ASSERT_EQ(card.log().size(), 24);
    EXPECT_EQ(card.log().front(), "DIOsetData(3,0,0,0)");
    EXPECT_EQ(card.log().back(), "DIOsetData(3,0,23,0)");
}

// ---- the raw-count sequences, pauses included ----

TEST(CountSequences, LiveModel230) {
    RecordingCard card;
    CountingPauser pauser(card);
    int32_t count = 0;
    TakeLiveCount(card, pauser, State(230, true, 2), 12, count);
    EXPECT_EQ(card.log(), (QStringList{"AIOsetADCmultiplexer(0,0,12)", "Pause(20)",
                                       "AIOstartADCconversion(0,0)", "Pause(20)", "AIOgetADCdata(0,0)"}));
}

TEST(CountSequences, LiveModel30SelectsTheInputAgainBeforeReading) {
    RecordingCard card;
    CountingPauser pauser(card);
    int32_t count = 0;
    TakeLiveCount(card, pauser, State(30, true, 2), 9, count);
    EXPECT_EQ(card.log(),
              (QStringList{"AIOsetADCmultiplexer(0,0,9)", "Pause(20)", "AIOstartADCconversion(0,0)",
                           "AIOsetADCmultiplexer(0,0,9)", "Pause(10)", "AIOgetADCdata(0,0)"}));
}

TEST(CountSequences, LiveOtherModelMakesNoCall) {
    RecordingCard card;
    CountingPauser pauser(card);
    int32_t count = 77;
    TakeLiveCount(card, pauser, State(226, true, 2), 9, count);
    EXPECT_TRUE(card.log().isEmpty());
    EXPECT_EQ(count, 77);
}

TEST(CountSequences, PeriodicIsTheSameForEveryModel) {
    for (int16_t model : {230, 30, 0}) {
        RecordingCard card;
        CountingPauser pauser(card);
        int32_t count = 0;
        TakePeriodicCount(card, pauser, State(model, false, 4), 15, count);
        EXPECT_EQ(card.log(),
                  (QStringList{"AIOsetADCmultiplexer(0,0,15)", "Pause(20)", "AIOstartADCconversion(0,0)",
                               "AIOsetADCmultiplexer(0,0,15)", "Pause(20)", "AIOgetADCdata(0,0)"}))
            << model;
    }
}

TEST(CountSequences, WithoutPauses) {
    RecordingCard card;
    int32_t count = 0;
    card.setCount(10, -321);
    TakeCountWithoutPauses(card, State(230, true, 2), 10, count);
    EXPECT_EQ(card.log(), (QStringList{"AIOsetADCmultiplexer(0,0,10)", "AIOstartADCconversion(0,0)",
                                       "AIOgetADCdata(0,0)"}));
    EXPECT_EQ(count, -321);
}

TEST(CountSequences, FailedReadLeavesTheCount) {
    RecordingCard card;
    CountingPauser pauser;
    card.setCount(9, 500);
    card.setResult("AIOgetADCdata", -4);
    int32_t count = 42;
    TakeLiveCount(card, pauser, State(230, true, 2), 9, count);
    EXPECT_EQ(count, 42);
}

// ---- scaling ----

TEST(Scaling, ZeroCountIsZeroOnBothRanges) {
    for (bool high : {true, false}) {
        InstrumentState s = State(230, high, high ? 2 : 4);
        EXPECT_EQ(ScaleLive(0, s), 0.0);
        EXPECT_EQ(ScalePeriodic(0, s), 0.0);
    }
}

TEST(Scaling, FullScaleFiveVoltsIsElevenAndOneThousand) {
    InstrumentState high = State(230, true, 2);
    EXPECT_NEAR(ScaleLive(32752, high), 11.0, 1e-12);
    EXPECT_NEAR(high.SampleVolts, 5.0, 1e-12);
    InstrumentState low = State(230, false, 4);
    EXPECT_NEAR(ScaleLive(32752, low), 1000.0, 1e-9);
    EXPECT_NEAR(ScalePeriodic(-32752, low), -1000.0, 1e-9);
}

TEST(Scaling, AdcVoltsPerCountUnsetGivesZero) {
    InstrumentState s = State(226, false, 4);
    s.AdcVoltsPerCount = 0.0;
    EXPECT_EQ(ScaleLive(30000, s), 0.0);
}

// The dead bands on exact reading values: both bounds belong to the band.
struct DeadBandCase {
    bool high;
    int16_t scale;
    double reading;
    double expected;
};

class DeadBand : public ::testing::TestWithParam<DeadBandCase> {};

TEST_P(DeadBand, BoundsAreInclusive) {
    const DeadBandCase c = GetParam();
    const double got = c.high ? ApplyHighDeadBand(c.reading) : ApplyLowDeadBand(c.reading, c.scale);
    EXPECT_EQ(got, c.expected) << c.reading;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DeadBand,
    ::testing::Values(DeadBandCase{true, 2, 0.03, 0.0}, DeadBandCase{true, 1, -0.03, 0.0},
                      DeadBandCase{true, 2, std::nextafter(0.03, 1.0), std::nextafter(0.03, 1.0)},
                      DeadBandCase{true, 2, std::nextafter(-0.03, -1.0), std::nextafter(-0.03, -1.0)},
                      DeadBandCase{false, 3, 3.5, 0.0}, DeadBandCase{false, 3, -3.5, 0.0},
                      DeadBandCase{false, 3, std::nextafter(3.5, 9.0), std::nextafter(3.5, 9.0)},
                      DeadBandCase{false, 3, -3.6, -3.6}, DeadBandCase{false, 4, 3.0, 0.0},
                      DeadBandCase{false, 4, -3.0, 0.0}, DeadBandCase{false, 4, 3.2, 3.2},
                      DeadBandCase{false, 4, std::nextafter(-3.0, -9.0), std::nextafter(-3.0, -9.0)},
                      // Scales of the HIGH range leave a LOW reading alone.
                      DeadBandCase{false, 2, 1.0, 1.0}, DeadBandCase{false, 1, -0.5, -0.5}));

// The same bands reached through counts, on either side of each bound.
struct CountCase {
    bool high;
    int16_t scale;
    int32_t count;
    bool zero; // live reading swallowed by the dead band
};

class DeadBandCounts : public ::testing::TestWithParam<CountCase> {};

TEST_P(DeadBandCounts, LiveScaling) {
    const CountCase c = GetParam();
    InstrumentState s = State(230, c.high, c.scale);
    const double reading = ScaleLive(c.count, s);
    if (c.zero) {
        EXPECT_EQ(reading, 0.0);
    } else {
        EXPECT_NE(reading, 0.0);
        EXPECT_EQ(std::signbit(reading), c.count < 0);
    }
    EXPECT_DOUBLE_EQ(s.SampleVolts, c.count * kVoltsPerCount);
}

// 89 counts = 0.0299 µA and 90 = 0.0302 µA on HIGH; 114 = 3.48 and 115 = 3.51 µA, 98 = 2.99 and
// 99 = 3.02 µA on LOW.
INSTANTIATE_TEST_SUITE_P(Table, DeadBandCounts,
                         ::testing::Values(CountCase{true, 2, 89, true}, CountCase{true, 2, 90, false},
                                           CountCase{true, 1, -89, true}, CountCase{true, 1, -90, false},
                                           CountCase{false, 3, 114, true}, CountCase{false, 3, 115, false},
                                           CountCase{false, 3, -114, true}, CountCase{false, 3, -115, false},
                                           CountCase{false, 4, 98, true}, CountCase{false, 4, 99, false},
                                           CountCase{false, 4, -98, true}, CountCase{false, 4, -99, false}));

TEST(Scaling, PeriodicHasNoLowDeadBandButKeepsTheHighOne) {
    InstrumentState low = State(230, false, 3);
    EXPECT_NEAR(ScalePeriodic(114, low), 114 * kVoltsPerCount * 200.0, 1e-12);
    EXPECT_NEAR(ScalePeriodic(-50, low), -50 * kVoltsPerCount * 200.0, 1e-12);
    InstrumentState high = State(230, true, 2);
    EXPECT_EQ(ScalePeriodic(89, high), 0.0);
    EXPECT_NE(ScalePeriodic(90, high), 0.0);
}

TEST(Scaling, JustAboveTheScaleThreeBandShowsFour) {
    InstrumentState s = State(230, false, 3);
    EXPECT_EQ(FormatReading(ScaleLive(115, s), 3), "4");
    EXPECT_EQ(FormatReading(ScaleLive(-115, s), 3), "-4");
    EXPECT_EQ(FormatReading(ScaleLive(114, s), 3), "0");
}

// ---- formatting ----

struct FormatCase {
    double value;
    int16_t scale;
    const char* text;
};

class Formatting : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formatting, AsTheReadingBoxShowsIt) {
    EXPECT_EQ(FormatReading(GetParam().value, GetParam().scale), QString::fromLatin1(GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Formatting,
    ::testing::Values(FormatCase{0.0, 1, "0.0"}, FormatCase{0.0, 3, "0"}, FormatCase{5.0, 2, "5.0"},
                      FormatCase{10.96, 2, "11.0"}, FormatCase{0.34, 1, "0.3"}, FormatCase{-7.26, 2, "-7.3"},
                      FormatCase{999.6, 4, "1000"}, FormatCase{-250.4, 3, "-250"}, FormatCase{12.0, 0, "12"},
                      // Halves go away from zero, also when binary cannot hold them exactly.
                      FormatCase{0.25, 1, "0.3"}, FormatCase{0.15, 2, "0.2"}, FormatCase{-0.35, 2, "-0.4"},
                      FormatCase{2.5, 3, "3"}, FormatCase{-2.5, 4, "-3"}, FormatCase{3.5, 4, "4"},
                      FormatCase{2.4999, 3, "2"},
                      // A small negative that rounds to zero carries no sign.
                      FormatCase{-0.04, 1, "0.0"}, FormatCase{-0.4, 3, "0"}, FormatCase{-0.0, 2, "0.0"},
                      FormatCase{-0.05, 2, "-0.1"}));

// ---- the live sweep ----

TEST(LiveSweep, SamplesInputsNineToFifteenAndShowsEachBeforeTheNext) {
    RecordingCard card;
    CountingPauser pauser(card);
    for (int16_t c = 9; c <= 15; ++c)
        card.setCount(c, (c - 8) * 1000);
    InstrumentState s = State(230, true, 2);
    std::vector<Shown> shown;
    LiveSweep(card, pauser, s, [&](int16_t c, const QString& text, double reading) {
        shown.push_back({c, text, reading});
        card.note(QStringLiteral("show(%1,%2)").arg(c).arg(text));
    });

    ASSERT_EQ(shown.size(), 7u);
    for (int16_t c = 9; c <= 15; ++c) {
        const Shown& x = shown[static_cast<std::size_t>(c - 9)];
        EXPECT_EQ(x.channel, c);
        const double expected = (c - 8) * 1000 * kVoltsPerCount * 2 * 1.1;
        EXPECT_NEAR(x.reading, expected, 1e-12);
        EXPECT_EQ(x.text, QString::number(expected, 'f', 1));
    }
    // Channel 9 is finished (shown) before input 10 is selected.
    const QStringList log = card.log();
    EXPECT_EQ(log.mid(0, 6),
              (QStringList{"AIOsetADCmultiplexer(0,0,9)", "Pause(20)", "AIOstartADCconversion(0,0)",
                           "Pause(20)", "AIOgetADCdata(0,0)", "show(9,0.3)"}));
    EXPECT_EQ(log.value(6), "AIOsetADCmultiplexer(0,0,10)");
    EXPECT_EQ(pauser.pauses(), std::vector<int>(14, 20));
}

TEST(LiveSweep, Model30UsesItsOwnSequenceForEveryChannel) {
    RecordingCard card;
    CountingPauser pauser;
    InstrumentState s = State(30, false, 4);
    LiveSweep(card, pauser, s, {});
    EXPECT_EQ(card.calls("AIOsetADCmultiplexer").size(), 14);
    std::vector<int> expected;
    for (int i = 0; i < 7; ++i)
        expected.insert(expected.end(), {20, 10});
    EXPECT_EQ(pauser.pauses(), expected);
}

TEST(LiveSweep, CountStartsEachTickAtZeroSoNoCardGivesZeros) {
    RecordingCard card;
    CountingPauser pauser;
    card.setResult("AIOgetADCdata", -4);
    InstrumentState s = State(230, false, 4);
    std::vector<Shown> shown;
    LiveSweep(card, pauser, s, [&](int16_t c, const QString& t, double r) { shown.push_back({c, t, r}); });
    ASSERT_EQ(shown.size(), 7u);
    for (const Shown& x : shown) {
        EXPECT_EQ(x.reading, 0.0);
        EXPECT_EQ(x.text, "0");
    }
}

TEST(LiveSweep, ChannelTheCardDoesNotAnswerKeepsTheCountBeforeIt) {
    RecordingCard card;
    CountingPauser pauser;
    for (int16_t c = 9; c <= 15; ++c)
        card.setCount(c, (c - 8) * 1000);
    card.setReadResult(11, -4);
    card.setReadResult(12, -4);
    InstrumentState s = State(230, false, 4);
    std::vector<double> readings;
    LiveSweep(card, pauser, s, [&](int16_t, const QString&, double r) { readings.push_back(r); });
    ASSERT_EQ(readings.size(), 7u);
    EXPECT_EQ(readings[2], readings[1]); // input 11 shows input 10's count
    EXPECT_EQ(readings[3], readings[1]);
    EXPECT_NEAR(readings[1], 2000 * kVoltsPerCount * 200.0, 1e-9);
    EXPECT_NEAR(readings[4], 5000 * kVoltsPerCount * 200.0, 1e-9);
}

TEST(LiveSweep, OtherModelNeverSamplesNorShows) {
    RecordingCard card;
    CountingPauser pauser;
    InstrumentState s = State(226, true, 2);
    int shows = 0;
    LiveSweep(card, pauser, s, [&](int16_t, const QString&, double) { ++shows; });
    EXPECT_TRUE(card.log().isEmpty());
    EXPECT_TRUE(pauser.pauses().empty());
    EXPECT_EQ(shows, 0);
}

// ---- the periodic sweep ----

TEST(PeriodicSweep, StoresSevenSinglePrecisionReadingsAtTheIndex) {
    RecordingCard card;
    CountingPauser pauser(card);
    for (int16_t c = 9; c <= 15; ++c)
        card.setCount(c, (c - 8) * -10);    // small LOW readings: no dead band when logging
    InstrumentState s = State(0, false, 4); // any model is sampled
    PeriodicDataSet data;
    data.resize(3);
    PeriodicSweep(card, pauser, s, data, 2);
    for (int k = 1; k <= 7; ++k) {
        const auto& a = data.PeriodicData[static_cast<std::size_t>(k - 1)];
        EXPECT_EQ(a[2], static_cast<float>(k * -10 * kVoltsPerCount * 200.0)) << k;
        EXPECT_EQ(a[1], 0.0f);
    }
    EXPECT_EQ(card.calls("AIOsetADCmultiplexer").size(), 14);
    EXPECT_EQ(pauser.pauses(), std::vector<int>(14, 20));
}

TEST(PeriodicSweep, CountResetAtTheStartOfTheTick) {
    RecordingCard card;
    CountingPauser pauser;
    InstrumentState s = State(230, true, 2);
    PeriodicDataSet data;
    data.resize(2);
    card.setCount(15, 20000);
    PeriodicSweep(card, pauser, s, data, 0);
    EXPECT_GT(data.PeriodicData[6][0], 0.0f);
    card.setResult("AIOgetADCdata", -4);
    PeriodicSweep(card, pauser, s, data, 1);
    for (int k = 0; k < 7; ++k)
        EXPECT_EQ(data.PeriodicData[static_cast<std::size_t>(k)][1], 0.0f) << k;
}

TEST(PeriodicSweep, IndexOutsideTheArraysStoresNothing) {
    RecordingCard card;
    CountingPauser pauser;
    InstrumentState s = State(230, true, 2);
    PeriodicDataSet data;
    data.resize(1);
    card.setCount(9, 9000);
    PeriodicSweep(card, pauser, s, data, 2);
    PeriodicSweep(card, pauser, s, data, -1);
    EXPECT_EQ(data.PeriodicData[0], (std::vector<float>{0.0f, 0.0f}));
}
