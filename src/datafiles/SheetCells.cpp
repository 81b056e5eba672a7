#include "datafiles/SheetCells.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace corvin::datafiles {

const char* const SheetCells::kDateTimeFormat = "yyyy-mm-dd hh:mm:ss";

namespace {

const std::optional<QStringList> kNoFit;

// Day 0 of the spreadsheet serial (the 1900 date system as both file formats use it).
const QDate kSerialEpoch(1899, 12, 30);

} // namespace

SheetCell& SheetCells::place(int row, int col) {
    if (row < 0 || row >= kMaxRows || col < 0 || col >= kMaxColumns)
        throw std::out_of_range("cell outside the sheet");
    if (std::size_t(col) >= m_columns.size())
        m_columns.resize(std::size_t(col) + 1);
    std::vector<SheetCell>& cells = m_columns[std::size_t(col)];
    // The export writes each column top to bottom: appending is the usual case.
    if (cells.empty() || cells.back().row < row) {
        cells.push_back(SheetCell{row, CellKind::Number, 0.0, {}});
        return cells.back();
    }
    auto at = std::lower_bound(cells.begin(), cells.end(), row,
                               [](const SheetCell& c, int r) { return c.row < r; });
    if (at == cells.end() || at->row != row)
        at = cells.insert(at, SheetCell{row, CellKind::Number, 0.0, {}});
    return *at;
}

void SheetCells::setText(int row, int col, const QString& text) {
    SheetCell& c = place(row, col);
    c.kind = CellKind::Text;
    c.text = text;
    c.number = 0.0;
}

void SheetCells::setNumber(int row, int col, double value) {
    SheetCell& c = place(row, col);
    c.kind = CellKind::Number;
    c.number = value;
    c.text.clear();
}

void SheetCells::setDateTime(int row, int col, const QDateTime& when) {
    SheetCell& c = place(row, col);
    c.kind = CellKind::DateTime;
    c.number = serial(when);
    c.text.clear();
}

const SheetCell* SheetCells::cell(int row, int col) const {
    if (col < 0 || std::size_t(col) >= m_columns.size())
        return nullptr;
    const std::vector<SheetCell>& cells = m_columns[std::size_t(col)];
    auto at = std::lower_bound(cells.begin(), cells.end(), row,
                               [](const SheetCell& c, int r) { return c.row < r; });
    return at != cells.end() && at->row == row ? &*at : nullptr;
}

void SheetCells::AutoFit(int firstCol, int lastCol) {
    if (firstCol < 0 || lastCol >= kMaxColumns || firstCol > lastCol)
        throw std::out_of_range("columns outside the sheet");
    if (std::size_t(lastCol) >= m_fits.size())
        m_fits.resize(std::size_t(lastCol) + 1);
    if (std::size_t(lastCol) >= m_columns.size())
        m_columns.resize(std::size_t(lastCol) + 1);
    for (int c = firstCol; c <= lastCol; ++c) {
        QStringList texts;
        for (const SheetCell& cell : m_columns[std::size_t(c)])
            texts << displayText(cell);
        m_fits[std::size_t(c)] = texts;
    }
}

const std::optional<QStringList>& SheetCells::fittedTexts(int col) const {
    if (col < 0 || std::size_t(col) >= m_fits.size())
        return kNoFit;
    return m_fits[std::size_t(col)];
}

bool SheetCells::isEmpty() const {
    return std::all_of(m_columns.begin(), m_columns.end(), [](const auto& c) { return c.empty(); });
}

int SheetCells::lastRow() const {
    int last = -1;
    for (const std::vector<SheetCell>& cells : m_columns) {
        if (!cells.empty())
            last = std::max(last, cells.back().row);
    }
    return last;
}

int SheetCells::lastColumn() const {
    for (int c = int(m_columns.size()) - 1; c >= 0; --c) {
        if (!m_columns[std::size_t(c)].empty())
            return c;
    }
    return -1;
}

QString SheetCells::displayText(const SheetCell& cell) {
    switch (cell.kind) {
    case CellKind::Text:
        return cell.text;
    case CellKind::DateTime: {
        const double days = std::floor(cell.number);
        const QDate date = kSerialEpoch.addDays(qint64(days));
        const QTime time =
            QTime(0, 0).addMSecs(int(std::llround((cell.number - days) * 86400000.0) % 86400000));
        return QDateTime(date, time).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    }
    case CellKind::Number:
        break;
    }
    if (!std::isfinite(cell.number))
        return QStringLiteral("#NUM!");
    // The General format shows at most ten significant digits in a column of default width.
    return QString::number(cell.number, 'g', 10);
}

double SheetCells::serial(const QDateTime& when) {
    const qint64 days = kSerialEpoch.daysTo(when.date());
    return double(days) + double(when.time().msecsSinceStartOfDay()) / 86400000.0;
}

} // namespace corvin::datafiles
