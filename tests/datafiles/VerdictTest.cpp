// The verdict rules: bounds included, NaN fails, the settling time, marginal bands, channels off,
// and the test's verdict as the worst judged channel.

#include "datafiles/Verdict.h"

#include <gtest/gtest.h>
#include <cmath>
#include <limits>

namespace {

using namespace corvin;
using namespace corvin::datafiles;

// Channel 1 holds `readings`, one every 10 s (row r at (r + 1) * 10 s).
PeriodicDataSet OneChannel(std::vector<float> readings) {
    PeriodicDataSet data;
    data.resize(int16_t(readings.size()));
    data.SampleCount = int16_t(readings.size());
    for (std::size_t r = 0; r < readings.size(); ++r)
        data.PeriodicData[0][r] = readings[r];
    return data;
}

constexpr std::array<bool, kChannelCount> kAllOn{true, true, true, true, true, true, true};

TEST(Verdict, OneChannelAgainstItsLimits) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    probes::ChannelLimits band{-0.5, 5.0, 0.0, 4.5, {}};
    probes::ChannelLimits settling{-0.5, 5.0, {}, {}, 30.0};
    struct Case {
        const char* what;
        std::vector<float> readings;
        probes::ChannelLimits limits;
        Verdict verdict;
        const char* reason;
    };
    const Case cases[] = {
        {"inside the good zone", {1, 2, 3}, band, Verdict::Pass, "1 to 3 \u00B5A"},
        {"on max and min exactly", {5.0f, -0.5f}, probes::ChannelLimits{-0.5, 5.0, {}, {}, {}}, Verdict::Pass,
         "-0.5 to 5 \u00B5A"},
        {"on the marginal bounds exactly", {0.0f, 4.5f}, band, Verdict::Pass, "0 to 4.5 \u00B5A"},
        {"above max", {1, 5.25f, 2}, band, Verdict::Fail, "max 5.25 \u00B5A at 20 s > 5"},
        {"below min", {-0.75f, 1}, band, Verdict::Fail, "min -0.75 \u00B5A at 10 s < -0.5"},
        {"in the upper marginal band", {1, 4.75f}, band, Verdict::Marginal,
         "max 4.75 \u00B5A at 20 s > marginal 4.5"},
        {"in the lower marginal band", {-0.25f, 1}, band, Verdict::Marginal,
         "min -0.25 \u00B5A at 10 s < marginal 0"},
        {"no number", {1, nan, 2}, band, Verdict::Fail, "no reading at 20 s"},
        {"out of limits only while settling", {9, 9, 1, 2}, settling, Verdict::Pass, "1 to 2 \u00B5A"},
        {"the row at the settling time is judged", {9, 9, 9, 2}, settling, Verdict::Fail,
         "max 9 \u00B5A at 30 s > 5"},
        {"no row after settling", {9, 9}, settling, Verdict::NotJudged, "no row after the settling time"},
        {"no limits", {1, 2}, {}, Verdict::NotJudged, "no limits"},
        {"a marginal band under a maximum alone", {1}, probes::ChannelLimits{{}, 5.0, {}, 0.5, {}}, Verdict::Marginal,
         "max 1 \u00B5A at 10 s > marginal 0.5"},
    };
    for (const Case& c : cases) {
        probes::ProbeLimits limits{};
        limits[0] = c.limits;
        const TestJudgement j = JudgeTest(OneChannel(c.readings), 10, kAllOn, limits);
        EXPECT_EQ(j.channels[0].verdict, c.verdict) << c.what;
        EXPECT_EQ(j.channels[0].reason.toStdString(), c.reason) << c.what;
        EXPECT_EQ(j.verdict, c.verdict) << c.what << ": the only judged channel decides";
    }
}

TEST(Verdict, TheTestIsTheWorstJudgedChannelAndAnOffChannelIsNotJudged) {
    PeriodicDataSet data = OneChannel({1, 2});
    for (int k = 1; k < kChannelCount; ++k)
        data.PeriodicData[k] = {4.8f, 4.8f, 0};
    probes::ProbeLimits limits{};
    for (auto& l : limits)
        l = {0.0, 5.0, {}, 4.5, {}};
    limits[2] = {0.0, 4.0, {}, {}, {}}; // channel 3 fails, but it is off
    std::array<bool, kChannelCount> on = kAllOn;
    on[2] = false;
    const TestJudgement j = JudgeTest(data, 5, on, limits);
    EXPECT_EQ(j.channels[0].verdict, Verdict::Pass);
    EXPECT_EQ(j.channels[1].verdict, Verdict::Marginal);
    EXPECT_EQ(j.channels[2].verdict, Verdict::NotJudged);
    EXPECT_EQ(j.channels[2].reason, QStringLiteral("switched off"));
    EXPECT_EQ(j.verdict, Verdict::Marginal);
    EXPECT_EQ(DescribeChannel(2, j.channels[1]),
              QStringLiteral("channel 2: MARGINAL (max 4.8 \u00B5A at 5 s > marginal 4.5)"));

    // The statistics of the judged rows: mean and the sample's standard deviation.
    EXPECT_DOUBLE_EQ(j.channels[0].statistics.mean, 1.5);
    EXPECT_DOUBLE_EQ(j.channels[0].statistics.standardDeviation, std::sqrt(0.5));
    EXPECT_EQ(JudgeTest(data, 5, kAllOn, probes::ProbeLimits{}).verdict, Verdict::NotJudged);
}

} // namespace
