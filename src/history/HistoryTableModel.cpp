#include "history/HistoryTableModel.h"

#include "history/HistoryFilter.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>

namespace corvin::history {
namespace {

QVariant VerdictColour(const QString& verdict) {
    if (verdict == QLatin1String("PASS"))
        return QColor(0x00, 0x7a, 0x3d);
    if (verdict == QLatin1String("MARGINAL"))
        return QColor(0xb0, 0x6a, 0x00);
    if (verdict == QLatin1String("FAIL") || verdict == kUnreadableVerdict)
        return QColor(0xc0, 0x10, 0x10);
    return {};
}

} // namespace

void HistoryTableModel::setEntries(std::vector<TestEntry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TestEntry& e = m_entries[std::size_t(index.row())];
    const int column = index.column();
    if (role == Qt::ForegroundRole && column == Verdict)
        return VerdictColour(e.verdict);
    if (role == Qt::ToolTipRole)
        return e.problem.isEmpty() ? QDir::toNativeSeparators(e.path) : e.problem;
    if (role == Qt::TextAlignmentRole && (column == Rows || column == Interval))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role == kSortRole) {
        switch (column) {
        case Start:
            return e.startMs;
        case Rows:
            return e.rows;
        case Interval:
            return e.intervalSeconds;
        default:
            break;
        }
        return data(index, Qt::DisplayRole).toString().toLower();
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case Probe:
        return e.probe;
    case Start:
        return StartText(e);
    case Rows:
        return e.readable ? QVariant(e.rows) : QVariant();
    case Interval:
        return e.readable ? QVariant(QStringLiteral("%1 s").arg(e.intervalSeconds)) : QVariant();
    case Verdict:
        return VerdictText(e);
    case Operator:
        return e.operatorName;
    case Station:
        return e.station;
    case Note:
        return QString(e.note).replace(QLatin1Char('\n'), QLatin1Char(' '));
    case File:
        return QFileInfo(e.path).fileName();
    default:
        return {};
    }
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const char* const names[ColumnCount] = {"Probe",    "Start",   "Rows", "Interval", "Verdict",
                                                   "Operator", "Station", "Note", "File"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(names[section]) : QVariant();
}

} // namespace corvin::history
