#pragma once
// The spreadsheet export of one periodic data set (ExportPeriodicData): the sheet filled cell by
// cell in the layout the program has always used, then the save dialog, then the workbook written
// atomically in the format the chosen name asks for. Used after a live test and by the conversion
// utility's two convert commands.
//
// Sheet "Sheet1" (two further sheets stay empty):
//   A1 "Periodic Data Import"   A2 the date and time the export began
//   A3 "Logging Time Inteval (s) ="   B3 the interval in seconds
//   A5 "Time Increment (s)"     B5..H5 the seven 20-character channel names
//   A7.. k x interval           B7..H(6+N) the readings, each float widened to a double
// Column A is fitted after A5 is written, columns B..H after the header row.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "datafiles/ExportProgress.h"
#include "datafiles/SheetCells.h"
#include "datafiles/WorkbookProperties.h"
#include "platform/Dialogs.h"

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <array>

namespace corvin::datafiles {

// Who exports. The conversion utility's menu command writes A2 as a date-time value and B3 as a
// number; the others write both as text.
enum class ExportCaller { LiveTest, ConvertButton, ConvertMenu };

enum class WorkbookFormat { Xls, Xlsx };

enum class ExportOutcome { Saved, Cancelled, Failed };

// What one export needs besides the data.
struct ExportRequest {
    ExportCaller caller = ExportCaller::LiveTest;
    QDateTime start; // when the export began (cell A2)
    // The caller's save dialog: its title and start folder as the caller left them (the utility's
    // menu command keeps those of the dialog's last use); the export sets the rest.
    platform::FileDialog* dialog = nullptr;
    const AtomicFileFactory* files = nullptr; // null: ordinary files
    ExportProgress* progress = nullptr;       // null: no progress shown
    // The workbook's document properties (title, author, custom fields); the sheet is the same
    // with or without them.
    WorkbookProperties properties;
};

struct ExportResult {
    ExportOutcome outcome = ExportOutcome::Failed;
    QString path;    // the file written
    QString message; // why it failed
};

extern const QString kSpreadsheetFilter;      // "Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx"
extern const QString kProblemsWritingExcel;   // "Problems Writing Excel File"
extern const QString kWorkbookWritten;        // "Workbook written to ", followed by the path
extern const QStringList kWorkbookSheetNames; // "Sheet1", "Sheet2", "Sheet3"

// The progress indicator's value after channel columns 1..7 of `rows` rows: p0 = 0,
// pj = round(rows / 7 + pj-1) (halves to even), the seventh capped at `rows`.
std::array<int, kChannelCount> ProgressSteps(int rows);

// A date in the locale's short form, with a four-digit year whatever the locale's own form says
// (the main window's date pane shows today's date so).
QString ShortDateText(const QDate& date, const QLocale& locale = QLocale::system());
// A2 after a live test and for the utility's button: the date and the time as text, the date
// as ShortDateText writes it.
QString GeneralDateTimeText(const QDateTime& when, const QLocale& locale = QLocale::system());

// Steps 1 to 7 of the export: `sheet` filled from `data` (SampleCapacity rows, the interval in
// HeaderValues[0], the ChannelNames). Fails, touching nothing, when the arrays hold fewer rows.
Status FillPeriodicSheet(const PeriodicDataSet& data, const QDateTime& start, ExportCaller caller,
                         SheetCells& sheet, ExportProgress* progress = nullptr);

// The format a chosen name asks for: ".xlsx" (any letter case) an .xlsx workbook, anything else
// an .xls one. A name without an extension gets ".xls", as the spreadsheet program added it.
WorkbookFormat FormatForName(QString& path);

// The workbook's bytes in `format`, with `properties` as its document properties.
Status EncodeWorkbook(const SheetCells& sheet, WorkbookFormat format, QByteArray& out,
                      const WorkbookProperties& properties = {});

// Writes `sheet` to `path` in `format` atomically: a file of that name is replaced only by a whole
// new workbook. The workbook is made in memory first, so a failure to write leaves the old file as
// it was and reports the system's reason.
Status WriteWorkbook(const QString& path, WorkbookFormat format, const SheetCells& sheet,
                     const AtomicFileFactory& files = AtomicFileFactory(),
                     const WorkbookProperties& properties = {});

// The whole export. A failure is shown here ("Problems Writing Excel File", information icon, the
// failure's description as the title); a cancelled dialog shows nothing. Only a saved export
// erases the seven arrays: what a cancel means for the data is the caller's decision.
ExportResult ExportPeriodicData(PeriodicDataSet& data, platform::Dialogs& dialogs,
                                const ExportRequest& request);

} // namespace corvin::datafiles
