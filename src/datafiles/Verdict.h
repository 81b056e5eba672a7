#pragma once
// Whether a logged test passed: each channel's readings after its settling time held against the
// probe's limits. A channel is
//   PASS        every judged reading within min..max (bounds included) and outside the marginal
//               band (marginal_min..marginal_max, bounds included, is the good zone),
//   MARGINAL    within min..max but at least one reading beyond marginal min or marginal max,
//   FAIL        any judged reading outside min..max, or a reading that is no number,
//   NOT JUDGED  without a min or a max, switched off, or with no row after its settling time.
// The test's verdict is the worst of the judged channels (FAIL over MARGINAL over PASS), NOT
// JUDGED when none is judged. Row r (from 0) is read (r + 1) intervals after START, the logging
// timer's first tick being one interval in; a row read exactly at the settling time is judged.

#include "common/SharedState.h"
#include "probes/ProbeLimits.h"

#include <QString>
#include <array>

namespace corvin::datafiles {

// In order of badness: a worse verdict compares greater.
enum class Verdict { NotJudged, Pass, Marginal, Fail };

QString VerdictName(Verdict v); // "PASS", "MARGINAL", "FAIL", "NOT JUDGED"
// The verdict of a name as VerdictName writes it; false for anything else.
bool VerdictOfName(const QString& name, Verdict& v);

// The numbers of one channel's judged rows (or, for a channel not judged, of all its rows).
struct ChannelStatistics {
    int rows = 0;
    double min = 0, max = 0, mean = 0, standardDeviation = 0;
    int minRow = -1, maxRow = -1;
};

struct ChannelJudgement {
    Verdict verdict = Verdict::NotJudged;
    // Why, in a few words: "max 5.2 µA at 340 s > 5.0", "no limits", "switched off".
    QString reason;
    ChannelStatistics statistics;
};

struct TestJudgement {
    std::array<ChannelJudgement, kChannelCount> channels; // channel k at [k - 1]
    Verdict verdict = Verdict::NotJudged;
};

// What is judged: the rows of `data` (its SampleCount, at most its SampleCapacity), read every
// `intervalSeconds`, the channels that were on.
TestJudgement JudgeTest(const PeriodicDataSet& data, int intervalSeconds,
                        const std::array<bool, kChannelCount>& channelsOn, const probes::ProbeLimits& limits);

// Where one live reading stands against its channel's limits (no settling time: the user sees it
// at once): inside, in a marginal band, or outside min..max (a reading that is no number too).
enum class ReadingState { Inside, Marginal, Outside };
ReadingState StateOfReading(double microAmps, const probes::ChannelLimits& limits);

// "channel 3: FAIL (max 5.2 µA at 340 s > 5.0)".
QString DescribeChannel(int k, const ChannelJudgement& judgement);

} // namespace corvin::datafiles
