#include "playback/SetStatistics.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace corvin::playback {

SetStatistics SetStatistics::over(const std::vector<double>& positions, const std::vector<double>& values,
                                double from, double to) {
    SetStatistics s;
    const std::size_t n = std::min(positions.size(), values.size());
    const auto begin = static_cast<std::size_t>(
        std::lower_bound(positions.begin(), positions.begin() + static_cast<std::ptrdiff_t>(n), from) -
        positions.begin());
    // Welford's running mean and squares: one pass, and no loss of precision on a long test
    // with a large offset.
    double mean = 0.0;
    double squares = 0.0;
    for (std::size_t i = begin; i < n && positions[i] <= to; ++i) {
        const double v = values[i];
        if (!std::isfinite(v))
            continue;
        if (s.count == 0) {
            s.min = s.max = s.first = v;
        }
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
        s.last = v;
        ++s.count;
        const double delta = v - mean;
        mean += delta / s.count;
        squares += delta * (v - mean);
    }
    s.mean = mean;
    s.standardDeviation = s.count > 1 ? std::sqrt(squares / (s.count - 1)) : 0.0;
    return s;
}

QString StatisticsText(const std::vector<StatisticsRow>& rows, const QString& unit) {
    QStringList lines;
    lines << QStringLiteral(
                 "Set\tFile\tReadings\tMin (%1)\tMax (%1)\tMean (%1)\tStd dev (%1)\tFirst (%1)\tLast (%1)")
                 .arg(unit);
    for (const StatisticsRow& row : rows) {
        QStringList cells{row.set, row.file, QString::number(row.numbers.count)};
        const SetStatistics& s = row.numbers;
        for (double v : {s.min, s.max, s.mean, s.standardDeviation, s.first, s.last})
            cells << (s.count > 0 ? QString::number(v, 'f', 4) : QStringLiteral("-"));
        lines << cells.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace corvin::playback
