#include "datafiles/Verdict.h"

#include <algorithm>
#include <cmath>

namespace corvin::datafiles {

namespace {

const QString kMicroAmps = QStringLiteral(" \u00B5A");

QString Number(double v) {
    return QString::number(v, 'g', 4);
}

double SecondsOfRow(int row, int intervalSeconds) {
    return double(row + 1) * intervalSeconds;
}

QString At(double value, int row, int intervalSeconds) {
    return Number(value) + kMicroAmps + QStringLiteral(" at ") + Number(SecondsOfRow(row, intervalSeconds)) +
           QStringLiteral(" s");
}

// min, max, mean and standard deviation of readings[first..rows).
ChannelStatistics Statistics(const std::vector<float>& readings, int first, int rows) {
    ChannelStatistics s;
    double sum = 0;
    for (int r = first; r < rows; ++r) {
        const double v = readings[std::size_t(r)];
        if (std::isnan(v))
            continue;
        if (s.rows == 0 || v < s.min) {
            s.min = v;
            s.minRow = r;
        }
        if (s.rows == 0 || v > s.max) {
            s.max = v;
            s.maxRow = r;
        }
        sum += v;
        ++s.rows;
    }
    if (s.rows == 0)
        return s;
    s.mean = sum / s.rows;
    double squares = 0;
    for (int r = first; r < rows; ++r)
        if (const double v = readings[std::size_t(r)]; !std::isnan(v))
            squares += (v - s.mean) * (v - s.mean);
    // The sample's standard deviation, as the playback statistics and a spreadsheet's STDEV give it.
    s.standardDeviation = s.rows > 1 ? std::sqrt(squares / (s.rows - 1)) : 0.0;
    return s;
}

ChannelJudgement JudgeChannel(const std::vector<float>& readings, int rows, int intervalSeconds, bool on,
                              const probes::ChannelLimits& limits) {
    ChannelJudgement j;
    if (!on) {
        j.reason = QStringLiteral("switched off");
        return j;
    }
    // The first row read at or after the settling time.
    int first = 0;
    if (limits.settleSeconds && intervalSeconds > 0)
        first = std::max(0, int(std::ceil(*limits.settleSeconds / intervalSeconds)) - 1);
    j.statistics = Statistics(readings, limits.judged() ? first : 0, rows);
    if (!limits.judged()) {
        j.reason = QStringLiteral("no limits");
        return j;
    }
    if (first >= rows) {
        j.reason = QStringLiteral("no row after the settling time");
        return j;
    }
    for (int r = first; r < rows; ++r)
        if (std::isnan(readings[std::size_t(r)])) {
            j.verdict = Verdict::Fail;
            j.reason = QStringLiteral("no reading at ") + Number(SecondsOfRow(r, intervalSeconds)) +
                       QStringLiteral(" s");
            return j;
        }
    const ChannelStatistics& s = j.statistics;
    if (limits.max && s.max > *limits.max) {
        j.verdict = Verdict::Fail;
        j.reason = QStringLiteral("max ") + At(s.max, s.maxRow, intervalSeconds) + QStringLiteral(" > ") +
                   Number(*limits.max);
    } else if (limits.min && s.min < *limits.min) {
        j.verdict = Verdict::Fail;
        j.reason = QStringLiteral("min ") + At(s.min, s.minRow, intervalSeconds) + QStringLiteral(" < ") +
                   Number(*limits.min);
    } else if (limits.marginalMax && s.max > *limits.marginalMax) {
        j.verdict = Verdict::Marginal;
        j.reason = QStringLiteral("max ") + At(s.max, s.maxRow, intervalSeconds) +
                   QStringLiteral(" > marginal ") + Number(*limits.marginalMax);
    } else if (limits.marginalMin && s.min < *limits.marginalMin) {
        j.verdict = Verdict::Marginal;
        j.reason = QStringLiteral("min ") + At(s.min, s.minRow, intervalSeconds) +
                   QStringLiteral(" < marginal ") + Number(*limits.marginalMin);
    } else {
        j.verdict = Verdict::Pass;
        j.reason = QStringLiteral("%1 to %2").arg(Number(s.min), Number(s.max)) + kMicroAmps;
    }
    return j;
}

} // namespace

QString VerdictName(Verdict v) {
    switch (v) {
    case Verdict::Pass:
        return QStringLiteral("PASS");
    case Verdict::Marginal:
        return QStringLiteral("MARGINAL");
    case Verdict::Fail:
        return QStringLiteral("FAIL");
    case Verdict::NotJudged:
        break;
    }
    return QStringLiteral("NOT JUDGED");
}

bool VerdictOfName(const QString& name, Verdict& v) {
    for (Verdict candidate : {Verdict::NotJudged, Verdict::Pass, Verdict::Marginal, Verdict::Fail})
        if (name == VerdictName(candidate)) {
            v = candidate;
            return true;
        }
    return false;
}

TestJudgement JudgeTest(const PeriodicDataSet& data, int intervalSeconds,
                        const std::array<bool, kChannelCount>& channelsOn, const probes::ProbeLimits& limits) {
    TestJudgement test;
    for (int k = 1; k <= kChannelCount; ++k) {
        const std::vector<float>& readings = data.PeriodicData[std::size_t(k - 1)];
        const int rows = std::clamp<int>(std::min<int>(data.SampleCount, data.SampleCapacity), 0,
                                         int(readings.size()));
        ChannelJudgement& j = test.channels[std::size_t(k - 1)];
        j = JudgeChannel(readings, rows, intervalSeconds, channelsOn[std::size_t(k - 1)], limits[std::size_t(k - 1)]);
        test.verdict = std::max(test.verdict, j.verdict);
    }
    return test;
}

ReadingState StateOfReading(double v, const probes::ChannelLimits& l) {
    if (!l.judged())
        return ReadingState::Inside;
    if (std::isnan(v) || (l.min && v < *l.min) || (l.max && v > *l.max))
        return ReadingState::Outside;
    if ((l.marginalMin && v < *l.marginalMin) || (l.marginalMax && v > *l.marginalMax))
        return ReadingState::Marginal;
    return ReadingState::Inside;
}

QString DescribeChannel(int k, const ChannelJudgement& judgement) {
    return QStringLiteral("channel %1: %2 (%3)").arg(k).arg(VerdictName(judgement.verdict), judgement.reason);
}

} // namespace corvin::datafiles
