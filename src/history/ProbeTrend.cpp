#include "history/ProbeTrend.h"

#include "common/CsvField.h"
#include "history/HistoryFilter.h"
#include "probes/ProbeFile.h"

#include <QDateTime>
#include <QFileInfo>

namespace corvin::history {
namespace {

QByteArray CsvBytes(const QString& text) {
    return CsvField(text).toUtf8();
}

} // namespace

ProbeTrend TrendOf(const std::vector<TestEntry>& entries, const QString& probe, Statistic statistic) {
    ProbeTrend trend;
    trend.probe = probe;
    trend.statistic = statistic;
    qint64 newest = std::numeric_limits<qint64>::min();
    for (const TestEntry& e : entries) {
        if (!e.readable || e.probe != probe)
            continue;
        TrendPoint point{e.startMs, e.path, e.verdict, {}};
        for (int k = 0; k < kChannelCount; ++k) {
            if (e.numbers[k])
                point.values[k] = ValueOf(*e.numbers[k], statistic);
        }
        trend.points.push_back(point);
        if (e.startMs >= newest) {
            newest = e.startMs;
            trend.channelNames = e.channelNames;
        }
    }
    std::stable_sort(trend.points.begin(), trend.points.end(),
                     [](const TrendPoint& a, const TrendPoint& b) { return a.startMs < b.startMs; });
    return trend;
}

bool ChannelHasValues(const ProbeTrend& trend, int k) {
    return std::any_of(trend.points.begin(), trend.points.end(),
                       [k](const TrendPoint& p) { return p.values[k - 1].has_value(); });
}

QByteArray TrendCsv(const ProbeTrend& trend) {
    QByteArray csv = "start,file,verdict";
    for (int k = 1; k <= kChannelCount; ++k)
        csv +=
            ',' + CsvBytes(QStringLiteral("%1 %2").arg(k).arg(trend.channelNames[k - 1].trimmed()).trimmed());
    csv += '\n';
    for (const TrendPoint& p : trend.points) {
        csv += IsoLocalTime(p.startMs).toUtf8();
        csv += ',' + CsvBytes(p.path) + ',' + CsvBytes(p.verdict);
        for (const auto& v : p.values)
            csv += ',' + (v ? QByteArray::number(*v, 'g', 9) : QByteArray());
        csv += '\n';
    }
    return csv;
}

probes::ProbeLimits LimitsOfProbe(const QString& probesFolder, const QString& probe) {
    probes::ProbeLimits limits{};
    if (const std::optional<QString> path = probes::ResolveProbePath(probesFolder, probe))
        static_cast<void>(probes::ReadProbeLimits(probes::LimitsPathFor(*path), limits));
    return limits;
}

} // namespace corvin::history
