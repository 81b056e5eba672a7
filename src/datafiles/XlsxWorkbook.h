#pragma once
// Office Open XML workbooks (.xlsx): the package's few parts written here as XML and zipped in
// memory with libzip. The first sheet holds the cells, the others are empty. Every number is
// written with 17 significant digits, which every reader turns back into the same double; a
// number that is not finite becomes #NUM!. Texts go to the shared string table, with the
// characters XML cannot hold (and text that looks like such an escape) written as the format's
// _xHHHH_ escapes. Date-time cells carry the date-time number format; fitted columns get their
// width in the default font, Calibri 11.

#include "common/Status.h"
#include "datafiles/SheetCells.h"
#include "datafiles/WorkbookProperties.h"

#include <QByteArray>
#include <QStringList>

namespace corvin::datafiles {

class XlsxWorkbook {
public:
    // The whole file for `sheet` on the first of `sheetNames`, with `properties` as its document
    // properties. Fails, leaving `out` alone, only when libzip does.
    static Status encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                         const WorkbookProperties& properties = {});

    // The cell reference of row, col (both from 0): "A1", "H4506", "AA3".
    static QByteArray cellReference(int row, int col);

    // `text` as the content of a shared string: XML's special characters as entities, the
    // characters XML 1.0 cannot hold (and carriage returns, which XML would read as line feeds) as
    // _xHHHH_, and a literal _xHHHH_ with its underscore escaped (_x005F_xHHHH_).
    static QByteArray escapedText(const QString& text);
};

} // namespace corvin::datafiles
