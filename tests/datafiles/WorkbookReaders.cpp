#include "WorkbookReaders.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <freexl.h>

#include <charconv>

namespace corvin::testing {
namespace {

QString Reference(unsigned row, unsigned col) {
    QString letters;
    for (unsigned c = col + 1; c > 0; c = (c - 1) / 26)
        letters.prepend(QChar(char16_t(u'A' + (c - 1) % 26)));
    return letters + QString::number(row + 1);
}

} // namespace

ReadBook ReadWithFreexl(const QString& path) {
    ReadBook book;
    const void* handle = nullptr;
    const QByteArray name = QFile::encodeName(path);
    if (int rc = freexl_open(name.constData(), &handle); rc != FREEXL_OK) {
        book.error = QStringLiteral("freexl_open failed with %1").arg(rc);
        return book;
    }
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    book.othersEmpty = true;
    for (unsigned short s = 0; s < sheets; ++s) {
        const char* sheetName = nullptr;
        freexl_get_worksheet_name(handle, s, &sheetName);
        book.sheets << QString::fromUtf8(sheetName);
        freexl_select_active_worksheet(handle, s);
        unsigned int rows = 0;
        unsigned short cols = 0;
        freexl_worksheet_dimensions(handle, &rows, &cols);
        if (s > 0) {
            book.othersEmpty = book.othersEmpty && rows == 0;
            continue;
        }
        for (unsigned r = 0; r < rows; ++r) {
            for (unsigned short c = 0; c < cols; ++c) {
                FreeXL_CellValue v;
                if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK || v.type == FREEXL_CELL_NULL)
                    continue;
                ReadCell cell;
                switch (v.type) {
                case FREEXL_CELL_INT:
                    cell.kind = QStringLiteral("number");
                    cell.number = v.value.int_value;
                    break;
                case FREEXL_CELL_DOUBLE:
                    cell.kind = QStringLiteral("number");
                    cell.number = v.value.double_value;
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                    cell.kind = QStringLiteral("text");
                    cell.text = QString::fromUtf8(v.value.text_value);
                    break;
                default: // dates and times come as text
                    cell.kind = QStringLiteral("datetime");
                    cell.text = QString::fromUtf8(v.value.text_value);
                    break;
                }
                book.cells[Reference(r, c)] = cell;
            }
        }
    }
    freexl_close(handle);
    return book;
}

namespace {

// What the script prints for `path` with `option`, or {"error": why}.
QJsonObject RunScript(const QString& path, const QString& option) {
    QProcess python;
    QStringList arguments = {QStringLiteral(CORVIN_READ_WORKBOOK_SCRIPT)};
    if (!option.isEmpty())
        arguments << option;
    python.start(QStringLiteral("/usr/bin/python3"), arguments << path);
    if (!python.waitForFinished(120000) || python.exitStatus() != QProcess::NormalExit)
        return {{QStringLiteral("error"),
                 QStringLiteral("/usr/bin/python3 did not run: %1").arg(python.errorString())}};
    QJsonObject o = QJsonDocument::fromJson(python.readAllStandardOutput()).object();
    if (o.isEmpty() || o.contains(QStringLiteral("error")))
        o[QStringLiteral("error")] =
            o.value(QStringLiteral("error")).toString() + QString::fromUtf8(python.readAllStandardError());
    return o;
}

ReadBook BookOf(const QJsonObject& o) {
    ReadBook book;
    if (o.contains(QStringLiteral("error"))) {
        book.error = o.value(QStringLiteral("error")).toString();
        return book;
    }
    for (const QJsonValue& s : o.value(QStringLiteral("sheets")).toArray())
        book.sheets << s.toString();
    book.othersEmpty = o.value(QStringLiteral("others_empty")).toBool();
    const QJsonObject cells = o.value(QStringLiteral("cells")).toObject();
    for (auto it = cells.begin(); it != cells.end(); ++it) {
        const QJsonObject c = it.value().toObject();
        ReadCell cell;
        cell.kind = c.value(QStringLiteral("kind")).toString();
        cell.text = c.value(QStringLiteral("value")).toString();
        cell.format = c.value(QStringLiteral("format")).toString();
        if (cell.kind == QLatin1String("number")) {
            // Exact: repr() gives the shortest text of the double, and from_chars reads it back.
            const QByteArray t = cell.text.toLatin1();
            std::from_chars(t.constData(), t.constData() + t.size(), cell.number);
        }
        book.cells[it.key()] = cell;
    }
    const QJsonObject widths = o.value(QStringLiteral("widths")).toObject();
    for (auto it = widths.begin(); it != widths.end(); ++it)
        book.widths[it.key()] = it.value().toDouble();
    return book;
}

} // namespace

ReadBook ReadWithPython(const QString& path) {
    return BookOf(RunScript(path, {}));
}

bool HaveGnumeric() {
    return QFile::exists(QStringLiteral("/usr/bin/ssconvert"));
}

ReadBook ReadWithGnumeric(const QString& path) {
    return BookOf(RunScript(path, QStringLiteral("--gnumeric")));
}

bool HaveLibreOffice() {
    return QFile::exists(QStringLiteral("/usr/bin/soffice"));
}

ReadBook ReadWithLibreOffice(const QString& path) {
    return BookOf(RunScript(path, QStringLiteral("--libreoffice")));
}

QJsonObject ReadProperties(const QString& path) {
    return RunScript(path, QStringLiteral("--properties"));
}

} // namespace corvin::testing
