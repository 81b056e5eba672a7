#include "datafiles/TestDataChecks.h"

#include "datafiles/TestDataFile.h"

#include <cmath>

namespace corvin::datafiles {

QStringList TestDataWarnings(const PeriodicDataSet& data, qint64 length) {
    QStringList warnings;
    const int rows = data.SampleCapacity;
    const qint64 expected = qint64(kRecordLength) * (qint64(kChannelCount) * rows + kTrailerRecords);
    if (length != expected)
        warnings << QStringLiteral("the file is %1 bytes long, but a test data file of %2 rows is %3 bytes; "
                                   "it was read as %2 rows")
                        .arg(length)
                        .arg(rows)
                        .arg(expected);
    if (data.HeaderValues[1] != rows)
        warnings << QStringLiteral("the file says it holds %1 rows, but its length gives %2")
                        .arg(data.HeaderValues[1])
                        .arg(rows);
    if (data.HeaderValues[0] < 5 || data.HeaderValues[0] > 30)
        warnings
            << QStringLiteral("the reading interval %1 s is outside 5 to 30 s").arg(data.HeaderValues[0]);

    int odd = 0;
    int firstRow = 0;
    int firstChannel = 0;
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k) {
            const auto& channel = data.PeriodicData[k];
            if (static_cast<std::size_t>(r) >= channel.size() || std::isfinite(channel[r]))
                continue;
            if (odd++ == 0) {
                firstRow = r + 1;
                firstChannel = k + 1;
            }
        }
    }
    if (odd > 0)
        warnings << QStringLiteral("%1 of the readings %2 not a number or infinite, the first in row %3, "
                                   "channel %4")
                        .arg(odd)
                        .arg(odd == 1 ? QStringLiteral("is") : QStringLiteral("are"))
                        .arg(firstRow)
                        .arg(firstChannel);
    return warnings;
}

} // namespace corvin::datafiles
