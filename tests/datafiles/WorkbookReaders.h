#pragma once
// Readers of the workbooks the export writes that share no code with it: libfreexl in-process for
// the cells of .xls files, and Debian's Python in a child process with openpyxl (.xlsx) or xlrd
// (.xls, for its column widths and number formats).

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <map>

namespace corvin::testing {

struct ReadCell {
    QString kind; // "text", "number", "datetime", "error"
    QString text; // the text, the date-time (ISO), the error; for numbers the reader's text
    double number = 0.0;
    QString format; // the number format (Python readers only)
};

struct ReadBook {
    QString error; // empty when the reader took the file
    QStringList sheets;
    bool othersEmpty = false;
    std::map<QString, ReadCell> cells; // the first sheet's cells by reference ("A1")
    std::map<QString, double> widths;  // stored column widths in digits, by column letter
};

// The cells of an .xls file as libfreexl reads them (no widths or formats).
ReadBook ReadWithFreexl(const QString& path);
// The whole workbook as openpyxl (.xlsx) or xlrd (.xls) reads it.
ReadBook ReadWithPython(const QString& path);
// The sheets and cells as gnumeric's ssconvert reads them (no widths); only where it is installed.
bool HaveGnumeric();
ReadBook ReadWithGnumeric(const QString& path);
// The same as LibreOffice reads them (saved as .xls for xlrd); only where it is installed.
bool HaveLibreOffice();
ReadBook ReadWithLibreOffice(const QString& path);

// The document properties: {"core": {"title": ..., "subject", "author", "keywords", "comments"},
// "custom": {name: text or number}}, or {"error": why}. openpyxl and the package's XML (.xlsx),
// olefile and gnumeric (.xls).
QJsonObject ReadProperties(const QString& path);

} // namespace corvin::testing
