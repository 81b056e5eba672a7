#include "history/HistoryFilter.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSet>

namespace corvin::history {

bool Matches(const TestEntry& e, const HistoryFilter& f) {
    if (!f.probe.isEmpty() && e.probe.compare(f.probe, Qt::CaseInsensitive) != 0)
        return false;
    if (!f.text.isEmpty() && !e.probe.contains(f.text, Qt::CaseInsensitive) &&
        !e.note.contains(f.text, Qt::CaseInsensitive) &&
        !QFileInfo(e.path).fileName().contains(f.text, Qt::CaseInsensitive))
        return false;
    const QDate day = QDateTime::fromMSecsSinceEpoch(e.startMs).date();
    if (f.from.isValid() && day < f.from)
        return false;
    if (f.to.isValid() && day > f.to)
        return false;
    return f.verdict.isEmpty() || e.verdict.compare(f.verdict, Qt::CaseInsensitive) == 0;
}

std::vector<TestEntry> Filtered(const std::vector<TestEntry>& entries, const HistoryFilter& filter) {
    std::vector<TestEntry> kept;
    std::copy_if(entries.begin(), entries.end(), std::back_inserter(kept),
                 [&filter](const TestEntry& e) { return Matches(e, filter); });
    return kept;
}

QStringList ProbesIn(const std::vector<TestEntry>& entries) {
    QSet<QString> names;
    for (const TestEntry& e : entries) {
        if (!e.probe.isEmpty())
            names.insert(e.probe);
    }
    QStringList sorted(names.begin(), names.end());
    std::sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) {
        const int c = a.compare(b, Qt::CaseInsensitive);
        return c != 0 ? c < 0 : a < b;
    });
    return sorted;
}

QString VerdictText(const TestEntry& e) {
    return e.recordState == QLatin1String("changed") ? e.verdict + QStringLiteral(" (data changed)")
                                                     : e.verdict;
}

QString IsoLocalTime(qint64 msSinceEpoch) {
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(msSinceEpoch);
    return t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODate);
}

QString StartText(const TestEntry& e) {
    return QDateTime::fromMSecsSinceEpoch(e.startMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

} // namespace corvin::history
