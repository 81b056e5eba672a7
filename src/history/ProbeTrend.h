#pragma once
// The trend across tests of one probe: one statistic of each channel (mean, min, max, or the
// value at the end of the test) for each of the probe's tests, oldest first, so that a probe
// drifting from test to test shows at a glance. The table the trend graph draws and exports.

#include "history/TestEntry.h"
#include "probes/ProbeLimits.h"

#include <QByteArray>
#include <vector>

namespace corvin::history {

struct TrendPoint {
    qint64 startMs = 0;
    QString path;
    QString verdict;
    std::array<std::optional<double>, kChannelCount> values; // nothing: channel off or no number
};

struct ProbeTrend {
    QString probe;
    Statistic statistic = Statistic::Mean;
    std::array<QString, kChannelCount> channelNames; // of the newest test
    std::vector<TrendPoint> points;                  // oldest first
};

// The tests of `probe` among `entries` that could be read.
ProbeTrend TrendOf(const std::vector<TestEntry>& entries, const QString& probe, Statistic statistic);

// Whether channel k (1..7) has a value in any test.
bool ChannelHasValues(const ProbeTrend& trend, int k);

// The table as CSV: a header line ("start,file,verdict," then the channels as "1 NAME"), then
// one line per test, oldest first; times in ISO 8601, numbers with full precision, an empty cell
// where a channel has no value. Text fields are quoted when they hold a comma, quote or newline.
QByteArray TrendCsv(const ProbeTrend& trend);

// The probe's limits from its file in the probes folder (none when it has none, or no file).
probes::ProbeLimits LimitsOfProbe(const QString& probesFolder, const QString& probe);

} // namespace corvin::history
