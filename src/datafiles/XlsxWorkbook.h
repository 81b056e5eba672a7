#pragma once
// Office Open XML workbooks (.xlsx), made with libxlsxwriter. libxlsxwriter prints numbers with
// 16 significant digits, which does not give back every double, and it is slow at hundreds of
// thousands of cells; so it writes the workbook's frame (sheets, styles, column widths, the rows
// that hold text or dates) and the rows of plain numbers are written here into the first sheet's
// XML, every number in the shortest form that reads back as the same double. The numbers of the
// rows libxlsxwriter wrote are put right the same way. Non-finite numbers become #NUM!.

#include "common/Status.h"
#include "datafiles/SheetCells.h"

#include <QByteArray>
#include <QStringList>

namespace corvin::datafiles {

class XlsxWorkbook {
public:
    // The whole file for `sheet` on the first of `sheetNames`. libxlsxwriter writes into
    // `scratchFolder` (a new temporary folder when empty); its errors, which it reports only when
    // the workbook is closed, come back as the failure's message.
    static Status Encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                         const QString& scratchFolder = {});

    // The cell reference of row, col (both from 0): "A1", "H4506", "AA3".
    static QByteArray CellReference(int row, int col);
};

} // namespace corvin::datafiles
