#pragma once
// One row of the test history: what the catalogue knows of one test data file without reading
// it again. The file's identity (where, how large, when changed, its hash), what its bytes say
// (rows, interval, channel names, each channel's numbers) and, when the test has a record, the
// record's fields and verdicts. A file that cannot be read is still a row: `readable` false and
// `problem` saying why.

#include "common/SharedState.h"

#include <QString>
#include <array>
#include <optional>

namespace corvin::history {

// Each channel's numbers over all its rows, for the trend across tests. Nothing for a channel
// that was off or held no number.
struct ChannelNumbers {
    double mean = 0, min = 0, max = 0, end = 0;

    friend bool operator==(const ChannelNumbers&, const ChannelNumbers&) = default;
};

enum class Statistic { Mean, Min, Max, End };
QString StatisticName(Statistic s); // "mean", "min", "max", "end"
double ValueOf(const ChannelNumbers& numbers, Statistic s);

struct TestEntry {
    // Where the file is: the station (host) that holds it and its path there.
    QString station;
    QString path;
    qint64 size = 0;
    qint64 modifiedMs = 0; // since the epoch
    QString sha256;
    // The record beside the file, as found: its size and time (-1: none).
    qint64 recordSize = -1;
    qint64 recordModifiedMs = -1;

    bool readable = true;
    QString problem; // why the file, or its record, could not be used

    int rows = 0;
    int intervalSeconds = 0;
    std::array<QString, kChannelCount> channelNames;
    std::array<std::optional<ChannelNumbers>, kChannelCount> numbers;

    // From the record; empty when there is none.
    QString recordState; // "none", "matches", "changed", "unusable"
    QString probe;
    qint64 startMs = 0; // the record's start, or else the file's time less the test's length
    QString start;      // as the record has it (ISO 8601 with offset); empty without one
    QString end;
    QString operatorName;
    QString recordStation; // the station the record says the test ran on
    QString range;
    double fullScale = 0;
    std::array<QString, kChannelCount> channelVerdicts; // "PASS", ... ; empty: not judged
    QString verdict;                                    // the test's; "NOT JUDGED" without one
    QString note;

    friend bool operator==(const TestEntry&, const TestEntry&) = default;
};

// Reads the test data file at `path` and its record into a row for `station`. Never fails: a
// file that cannot be read gives a row with `readable` false.
TestEntry CatalogueFile(const QString& path, const QString& station);

// The verdict shown for a file that could not be read.
inline const QString kUnreadableVerdict = QStringLiteral("UNREADABLE");

} // namespace corvin::history
