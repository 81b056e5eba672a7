#pragma once
// The History window's table: one test a row, in the columns the window shows, with sort keys
// (dates and numbers sort as such) and the verdict in its colour. Holds the rows it is given.

#include "history/TestEntry.h"

#include <QAbstractTableModel>
#include <vector>

namespace corvin::history {

class HistoryTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Probe, Start, Rows, Interval, Verdict, Operator, Station, Note, File, ColumnCount };
    // What a column sorts by.
    static constexpr int kSortRole = Qt::UserRole + 1;

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(std::vector<TestEntry> entries);
    const TestEntry& entryAt(int row) const { return m_entries[std::size_t(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    std::vector<TestEntry> m_entries;
};

} // namespace corvin::history
