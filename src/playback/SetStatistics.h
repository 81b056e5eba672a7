#pragma once
// The numbers of one set of the playback graph over a stretch of its bottom axis: the fewest
// and most, the mean, the standard deviation, the first and the last reading. Readings that
// are not numbers (gaps) are left out. The standard deviation is the sample one (divided by
// n - 1, as a spreadsheet's STDEV), 0 for a single reading.

#include <QString>
#include <vector>

namespace corvin::playback {

struct SetStatistics {
    int count = 0; // readings in the stretch; the rest is meaningless when 0
    double min = 0.0;
    double max = 0.0;
    double mean = 0.0;
    double standardDeviation = 0.0;
    double first = 0.0;
    double last = 0.0;

    // The readings whose position lies in from..to (both included); `positions` ascending and as
    // long as `values`.
    static SetStatistics over(const std::vector<double>& positions, const std::vector<double>& values,
                            double from, double to);
};

// One line of the table: which set, of which file, and its numbers.
struct StatisticsRow {
    QString set;  // "1 Guard ring"
    QString file; // "RUN12.DAT"
    SetStatistics numbers;
};

// The table as text for the clipboard: a header line, then one line per row, tab-separated
// (a spreadsheet pastes it into columns), numbers with 4 decimals, "-" for a set without
// readings in the stretch.
QString StatisticsText(const std::vector<StatisticsRow>& rows, const QString& unit);

} // namespace corvin::playback
