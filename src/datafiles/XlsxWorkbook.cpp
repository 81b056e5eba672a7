#include "datafiles/XlsxWorkbook.h"

#include "datafiles/ColumnWidths.h"
#include "datafiles/ZipPackage.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <charconv>
#include <cmath>
#include <memory>

namespace corvin::datafiles {
namespace {

const QString kFirstSheetMember = QStringLiteral("xl/worksheets/sheet1.xml");

Status LibraryFailure(lxw_error error) {
    return Status::failure(QString::fromUtf8(lxw_strerror(error)));
}

Status Damaged(const char* what) {
    return Status::failure(QStringLiteral("The workbook written by libxlsxwriter is not as expected (%1)")
                               .arg(QLatin1String(what)));
}

void AppendColumnName(QByteArray& out, int col) {
    char letters[4];
    int n = 0;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        letters[n++] = char('A' + (c - 1) % 26);
    while (n > 0)
        out.append(letters[--n]);
}

void AppendInt(QByteArray& out, long long v) {
    char buffer[24];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, r.ptr - buffer);
}

// The shortest text that reads back as exactly `v`. Negative zero keeps its point: readers that
// take "-0" for the integer 0 would lose its sign.
void AppendExact(QByteArray& out, double v) {
    if (v == 0.0 && std::signbit(v)) {
        out.append("-0.0");
        return;
    }
    char buffer[32];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v);
    out.append(buffer, r.ptr - buffer);
}

void AppendReference(QByteArray& out, int row, int col) {
    AppendColumnName(out, col);
    AppendInt(out, row + 1);
}

// One cell as this writer writes it: a number, or #NUM! for a value that is not finite.
void AppendNumberCell(QByteArray& out, int row, int col, double value) {
    out.append("<c r=\"");
    AppendReference(out, row, col);
    if (std::isfinite(value)) {
        out.append("\"><v>");
        AppendExact(out, value);
        out.append("</v></c>");
    } else {
        out.append("\" t=\"e\"><v>#NUM!</v></c>");
    }
}

// Rows made only of numbers are written here; the others by libxlsxwriter.
std::vector<bool> NumberOnlyRows(const SheetCells& sheet) {
    std::vector<bool> numberOnly(std::size_t(sheet.lastRow() + 1), true);
    sheet.forEachCell([&](int row, int, const SheetCell& cell) {
        if (cell.kind != CellKind::Number)
            numberOnly[std::size_t(row)] = false;
    });
    return numberOnly;
}

struct WorkbookDeleter {
    // Only on an early return; a finished workbook is closed instead, which frees it too.
    void operator()(lxw_workbook* wb) const { lxw_workbook_free(wb); }
};

// libxlsxwriter writes the frame of the workbook to `path`.
Status WriteFrame(const SheetCells& sheet, const QStringList& sheetNames, const std::vector<bool>& numberOnly,
                  const QString& path, const QString& scratch) {
    QByteArray tmpdir = QFile::encodeName(scratch);
    lxw_workbook_options options{};
    options.tmpdir = tmpdir.data();
    std::unique_ptr<lxw_workbook, WorkbookDeleter> book(
        workbook_new_opt(QFile::encodeName(path).constData(), &options));
    if (!book)
        return Status::failure(QStringLiteral("libxlsxwriter could not start a workbook"));

    std::vector<lxw_worksheet*> sheets;
    for (const QString& name : sheetNames) {
        lxw_worksheet* ws = workbook_add_worksheet(book.get(), name.left(31).toUtf8().constData());
        if (!ws)
            return Status::failure(QStringLiteral("libxlsxwriter refused the sheet name \"%1\"").arg(name));
        sheets.push_back(ws);
    }
    lxw_worksheet* ws = sheets.front();
    lxw_format* dateTime = workbook_add_format(book.get());
    format_set_num_format(dateTime, SheetCells::kDateTimeFormat);

    for (int c = 0; c < sheet.columnCount(); ++c) {
        if (const std::optional<QStringList>& fit = sheet.fittedTexts(c)) {
            const int pixels = ColumnWidths::WidestPixels(*fit, DefaultFont::Calibri11);
            if (lxw_error e = worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c),
                                                   ColumnWidths::XlsxColumnWidth(pixels), nullptr);
                e != LXW_NO_ERROR)
                return LibraryFailure(e);
        }
    }

    Status status;
    sheet.forEachCell([&](int row, int col, const SheetCell& cell) {
        if (!status || numberOnly[std::size_t(row)])
            return;
        lxw_error e = LXW_NO_ERROR;
        switch (cell.kind) {
        case CellKind::Text:
            e = worksheet_write_string(ws, lxw_row_t(row), lxw_col_t(col), cell.text.toUtf8().constData(),
                                       nullptr);
            break;
        case CellKind::DateTime:
            e = worksheet_write_number(ws, lxw_row_t(row), lxw_col_t(col), cell.number, dateTime);
            break;
        case CellKind::Number:
            // The value is put right afterwards; 0 stands in for one that is not finite.
            e = worksheet_write_number(ws, lxw_row_t(row), lxw_col_t(col),
                                       std::isfinite(cell.number) ? cell.number : 0.0, nullptr);
            break;
        }
        if (e != LXW_NO_ERROR)
            status = LibraryFailure(e);
    });
    if (!status)
        return status;
    // The file is written only now, and so only now do errors such as an unwritable folder show.
    const lxw_error closed = workbook_close(book.release());
    return closed == LXW_NO_ERROR ? Status::success() : LibraryFailure(closed);
}

// The first sheet's XML with exact numbers in libxlsxwriter's rows, the number-only rows added
// and the used range made whole.
Status CompleteSheet(const SheetCells& sheet, const std::vector<bool>& numberOnly, const QByteArray& xml,
                     QByteArray& out) {
    // The cells libxlsxwriter wrote numbers for, in the order it wrote them.
    struct Written {
        int row;
        int col;
        double value;
    };
    std::vector<Written> numbers;
    int firstRow = SheetCells::kMaxRows;
    int firstCol = SheetCells::kMaxColumns;
    sheet.forEachCell([&](int row, int col, const SheetCell& cell) {
        firstRow = std::min(firstRow, row);
        firstCol = std::min(firstCol, col);
        if (!numberOnly[std::size_t(row)] && cell.kind != CellKind::Text)
            numbers.push_back({row, col, cell.number});
    });

    const qsizetype dataOpen = xml.indexOf("<sheetData");
    const qsizetype dataClose = xml.indexOf("</sheetData>");
    const qsizetype emptyData = xml.indexOf("<sheetData/>");
    if (dataOpen < 0 || (dataClose < 0 && emptyData < 0))
        return Damaged("no sheetData");
    const qsizetype rowsStart =
        emptyData >= 0 ? emptyData + qsizetype(sizeof "<sheetData/>") - 1 : xml.indexOf('>', dataOpen) + 1;
    const qsizetype rowsEnd = emptyData >= 0 ? rowsStart : dataClose;

    QByteArray head = xml.left(dataOpen);
    const qsizetype dimension = head.indexOf("<dimension ref=\"");
    if (!sheet.isEmpty() && dimension >= 0) {
        const qsizetype from = dimension + qsizetype(sizeof "<dimension ref=\"") - 1;
        const qsizetype to = head.indexOf('"', from);
        if (to < 0)
            return Damaged("dimension");
        QByteArray range;
        AppendReference(range, firstRow, firstCol);
        if (sheet.lastRow() != firstRow || sheet.lastColumn() != firstCol) {
            range.append(':');
            AppendReference(range, sheet.lastRow(), sheet.lastColumn());
        }
        head.replace(from, to - from, range);
    }

    out.clear();
    out.reserve(xml.size() + qsizetype(sheet.lastRow() + 1) * 8 * 40);
    out.append(head);
    out.append("<sheetData>");

    // libxlsxwriter's rows, their numbers made exact, merged by row number with the rest.
    std::size_t nextNumber = 0;
    Status status;
    auto copyWrittenRow = [&](qsizetype from, qsizetype to) {
        qsizetype copied = from; // xml before this is in `out`
        qsizetype search = from;
        for (;;) {
            const qsizetype cell = xml.indexOf("<c ", search);
            if (cell < 0 || cell >= to)
                break;
            const qsizetype tagEnd = xml.indexOf('>', cell);
            if (tagEnd < 0 || tagEnd >= to)
                return Damaged("cell");
            search = tagEnd + 1;
            const QByteArray attributes = xml.mid(cell, tagEnd - cell);
            if (attributes.endsWith('/') || attributes.contains(" t=\""))
                continue; // an empty cell or a text: as written
            const qsizetype valueStart = xml.indexOf("<v>", tagEnd);
            const qsizetype valueEnd = xml.indexOf("</v>", tagEnd);
            if (valueStart < 0 || valueEnd < valueStart || valueEnd >= to || nextNumber >= numbers.size())
                return Damaged("number cell");
            const Written& w = numbers[nextNumber++];
            QByteArray expected = " r=\"";
            AppendReference(expected, w.row, w.col);
            expected.append('"');
            if (!attributes.contains(expected))
                return Damaged("cell order");
            out.append(xml.constData() + copied, cell - copied);
            out.append(attributes);
            if (std::isfinite(w.value)) {
                out.append("><v>");
                AppendExact(out, w.value);
                out.append("</v>");
            } else {
                out.append(" t=\"e\"><v>#NUM!</v>");
            }
            copied = search = valueEnd + qsizetype(sizeof "</v>") - 1;
        }
        out.append(xml.constData() + copied, to - copied);
        return Status::success();
    };

    // The number-only rows, up to (not including) `limit`, each column read through its cursor.
    int nextRow = 0;
    std::vector<std::size_t> cursor(std::size_t(sheet.columnCount()), 0);
    auto writeNumberRows = [&](int limit) {
        for (; nextRow < limit && nextRow <= sheet.lastRow(); ++nextRow) {
            bool any = false;
            for (int c = 0; c < sheet.columnCount(); ++c) {
                const std::vector<SheetCell>& cells = sheet.column(c);
                std::size_t& i = cursor[std::size_t(c)];
                while (i < cells.size() && cells[i].row < nextRow)
                    ++i;
                if (i == cells.size() || cells[i].row != nextRow || !numberOnly[std::size_t(nextRow)])
                    continue;
                if (!any) {
                    out.append("<row r=\"");
                    AppendInt(out, nextRow + 1);
                    out.append("\">");
                    any = true;
                }
                AppendNumberCell(out, nextRow, c, cells[i].number);
            }
            if (any)
                out.append("</row>");
        }
    };

    qsizetype at = rowsStart;
    while (status) {
        const qsizetype rowStart = xml.indexOf("<row r=\"", at);
        if (rowStart < 0 || rowStart >= rowsEnd)
            break;
        const qsizetype rowEnd = xml.indexOf("</row>", rowStart);
        if (rowEnd < 0 || rowEnd >= rowsEnd)
            return Damaged("row");
        const int rowNumber = xml.mid(rowStart + 8, xml.indexOf('"', rowStart + 8) - rowStart - 8).toInt();
        writeNumberRows(rowNumber - 1);
        nextRow = std::max(nextRow, rowNumber);
        status = copyWrittenRow(rowStart, rowEnd + qsizetype(sizeof "</row>") - 1);
        at = rowEnd + qsizetype(sizeof "</row>") - 1;
    }
    if (!status)
        return status;
    if (nextNumber != numbers.size())
        return Damaged("missing number cells");
    writeNumberRows(sheet.lastRow() + 1);

    out.append("</sheetData>");
    out.append(xml.constData() + (emptyData >= 0 ? rowsEnd : rowsEnd + qsizetype(sizeof "</sheetData>") - 1));
    return Status::success();
}

} // namespace

QByteArray XlsxWorkbook::CellReference(int row, int col) {
    QByteArray ref;
    AppendReference(ref, row, col);
    return ref;
}

Status XlsxWorkbook::Encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                            const QString& scratchFolder) {
    if (sheetNames.isEmpty())
        return Status::failure(QStringLiteral("A workbook needs at least one sheet"));
    std::unique_ptr<QTemporaryDir> temporary;
    QString scratch = scratchFolder;
    if (scratch.isEmpty()) {
        temporary = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvin-xlsx-XXXXXX"));
        if (!temporary->isValid())
            return Status::failure(
                QStringLiteral("No temporary folder for the workbook: %1").arg(temporary->errorString()));
        scratch = temporary->path();
    }
    const QString framePath = scratch + QStringLiteral("/frame.xlsx");
    const std::vector<bool> numberOnly = NumberOnlyRows(sheet);

    Status status = WriteFrame(sheet, sheetNames, numberOnly, framePath, scratch);
    QFile frame(framePath);
    QByteArray zip;
    if (status) {
        if (!frame.open(QIODevice::ReadOnly))
            status = Status::failure(frame.errorString());
        else
            zip = frame.readAll();
    }
    frame.remove();
    if (!status)
        return status;

    ZipPackage package;
    QByteArray xml;
    QByteArray completed;
    if (Status s = ZipPackage::Read(zip, package); !s)
        return s;
    if (Status s = package.content(kFirstSheetMember, xml); !s)
        return s;
    if (Status s = CompleteSheet(sheet, numberOnly, xml, completed); !s)
        return s;
    if (Status s = package.replace(kFirstSheetMember, completed); !s)
        return s;
    out = package.bytes();
    return Status::success();
}

} // namespace corvin::datafiles
