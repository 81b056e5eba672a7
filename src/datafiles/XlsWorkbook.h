#pragma once
// Excel 97-2003 workbooks (.xls): BIFF8 records in a compound document. The first sheet holds the
// cells, the others are empty. A number keeps all its 64 bits (a NUMBER record holds the double
// itself), text is stored as Unicode, so every character a channel name can hold survives, and a
// date-time cell is a number with a date-time format. Fitted columns get COLINFO records with
// their width in the default font, Arial 10. The document properties go in the compound document's
// property-set streams beside the workbook stream.

#include "common/Status.h"
#include "datafiles/SheetCells.h"
#include "datafiles/WorkbookProperties.h"

#include <QByteArray>
#include <QStringList>

namespace corvin::datafiles {

class XlsWorkbook {
public:
    // The whole file for `sheet` on the first of `sheetNames` (one or more names of at most 31
    // characters), with `properties` in the document's property-set streams. Fails, leaving `out`
    // alone, only when the workbook is too large for the format.
    static Status encode(const SheetCells& sheet, const QStringList& sheetNames, QByteArray& out,
                         const WorkbookProperties& properties = {});
};

} // namespace corvin::datafiles
