#pragma once
// Which tests of the history to show: text in the probe's name, the note or the file's name, a
// range of start dates, a verdict. The History window and `corvin-data history` share it.

#include "history/TestEntry.h"

#include <QDate>
#include <vector>

namespace corvin::history {

struct HistoryFilter {
    QString probe;   // the probe's whole name, in any case; empty: any
    QString text;    // empty: any
    QDate from, to;  // invalid: open-ended; both inclusive, in local time
    QString verdict; // "PASS", "MARGINAL", "FAIL", "NOT JUDGED", "UNREADABLE"; empty: any
};

bool Matches(const TestEntry& entry, const HistoryFilter& filter);
std::vector<TestEntry> Filtered(const std::vector<TestEntry>& entries, const HistoryFilter& filter);

// The probes the history holds tests of, sorted, without the empty name.
QStringList ProbesIn(const std::vector<TestEntry>& entries);

// The verdict as the history shows it: the record's, and "(data changed)" after it when the data
// file was changed after its record was written, so the verdict may not describe it any more.
QString VerdictText(const TestEntry& entry);

// The test's start as the history shows it: "2026-12-08 14:03", local time.
QString StartText(const TestEntry& entry);
// A time as files and exports write it: ISO 8601 in local time with its offset from UTC.
QString IsoLocalTime(qint64 msSinceEpoch);

} // namespace corvin::history
