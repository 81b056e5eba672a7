#pragma once
// The content of one worksheet as the export fills it: text, number and date-time cells by row
// and column (both from 0), and which columns were fitted to their contents, and to what. The
// workbook writers turn it into a file; the file format is settled only once the user has chosen
// a name, so a fit remembers the texts it fitted rather than a width in one font.

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace corvin::datafiles {

enum class CellKind { Text, Number, DateTime };

struct SheetCell {
    int row = 0;
    CellKind kind = CellKind::Number;
    // Number; for DateTime the spreadsheet serial (days since 1899-12-30 00:00, the time of day as
    // the fraction). A value that is not finite is written as the error value #NUM!.
    double number = 0.0;
    QString text; // Text
};

class SheetCells {
public:
    // The limits of the older of the two file formats.
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;

    // A cell written again replaces the old one. Rows and columns outside the limits are a
    // programming error (the export writes at most 6 + 32767 rows and 8 columns).
    void setText(int row, int col, const QString& text);
    void setNumber(int row, int col, double value);
    void setDateTime(int row, int col, const QDateTime& when);

    // The cell at row, col, or null when it is empty.
    const SheetCell* cell(int row, int col) const;

    // Fits columns first..last to what they hold now: remembers the display text of each of their
    // cells. Cells written later do not widen the column.
    void AutoFit(int firstCol, int lastCol);
    // The texts a column was fitted to; nothing when it was never fitted (default width).
    const std::optional<QStringList>& fittedTexts(int col) const;

    // Columns 0 .. columnCount() - 1 may hold cells or fits.
    int columnCount() const { return int(m_columns.size()); }
    // The cells of one column, by row.
    const std::vector<SheetCell>& column(int col) const { return m_columns.at(std::size_t(col)); }
    bool isEmpty() const;
    // The last row holding a cell, -1 when there is none.
    int lastRow() const;
    int lastColumn() const;

    // Calls f(row, col, cell) for every cell, row by row, each row left to right.
    template <typename F> void forEachCell(F f) const;

    // The text a cell shows: text as it is, numbers as the General format shows them, date-times
    // in kDateTimeFormat.
    static QString displayText(const SheetCell& cell);
    // The number format of date-time cells, in the spreadsheet's own notation.
    static const char* const kDateTimeFormat;
    // The spreadsheet serial of a local date and time.
    static double serial(const QDateTime& when);

private:
    SheetCell& place(int row, int col);

    std::vector<std::vector<SheetCell>> m_columns;
    std::vector<std::optional<QStringList>> m_fits;
};

template <typename F> void SheetCells::forEachCell(F f) const {
    // A merge of the columns, each already in row order.
    std::vector<std::size_t> next(m_columns.size(), 0);
    for (;;) {
        int row = kMaxRows;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (next[c] < m_columns[c].size() && m_columns[c][next[c]].row < row)
                row = m_columns[c][next[c]].row;
        }
        if (row == kMaxRows)
            return;
        for (std::size_t c = 0; c < m_columns.size(); ++c) {
            if (next[c] < m_columns[c].size() && m_columns[c][next[c]].row == row)
                f(row, int(c), m_columns[c][next[c]++]);
        }
    }
}

} // namespace corvin::datafiles
