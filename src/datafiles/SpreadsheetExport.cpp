#include "datafiles/SpreadsheetExport.h"

#include "common/Rounding.h"
#include "datafiles/XlsWorkbook.h"
#include "datafiles/XlsxWorkbook.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>

namespace corvin::datafiles {

const QString kSpreadsheetFilter = QStringLiteral("Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx");
const QString kProblemsWritingExcel = QStringLiteral("Problems Writing Excel File");
const QString kWorkbookWritten = QStringLiteral("Workbook written to ");
const QStringList kWorkbookSheetNames = {QStringLiteral("Sheet1"), QStringLiteral("Sheet2"),
                                         QStringLiteral("Sheet3")};

namespace {

constexpr int kNameWidth = 20;
constexpr int kFirstDataRow = 6; // row 7

// A channel name as its header cell shows it: 20 characters, the NUL bytes of a name read from a
// padded file as spaces, so that both workbook formats (one of which cannot hold a NUL) show the
// same text.
QString HeaderName(const QString& name) {
    QString text = name.left(kNameWidth).leftJustified(kNameWidth);
    text.replace(QChar(u'\0'), QLatin1Char(' '));
    return text;
}

} // namespace

std::array<int, kChannelCount> ProgressSteps(int rows) {
    std::array<int, kChannelCount> steps{};
    double p = 0.0;
    for (int j = 0; j < kChannelCount; ++j) {
        p = RoundHalfEven(double(rows) / kChannelCount + p);
        steps[std::size_t(j)] = int(p);
    }
    steps.back() = std::min(steps.back(), rows);
    return steps;
}

QString ShortDateText(const QDate& date, const QLocale& locale) {
    // The locale's short date, but never with a two-digit year ("12/8/26" reads as any century).
    QString format = locale.dateFormat(QLocale::ShortFormat);
    static const QRegularExpression kShortYear(QStringLiteral("(?<!y)yy(?!y)"));
    format.replace(kShortYear, QStringLiteral("yyyy"));
    return locale.toString(date, format);
}

QString GeneralDateTimeText(const QDateTime& when, const QLocale& locale) {
    return ShortDateText(when.date(), locale) + QLatin1Char(' ') +
           when.time().toString(QStringLiteral("HH:mm:ss"));
}

Status FillPeriodicSheet(const PeriodicDataSet& data, const QDateTime& start, ExportCaller caller,
                         SheetCells& sheet, ExportProgress* progress) {
    const int rows = data.SampleCapacity;
    if (rows < 0)
        return Status::failure(QStringLiteral("The number of rows to export (%1) is negative").arg(rows));
    for (const std::vector<float>& channel : data.PeriodicData) {
        if (channel.size() < std::size_t(rows))
            return Status::failure(
                QStringLiteral("The data hold fewer than the %1 rows to export").arg(rows));
    }
    const int16_t interval = data.HeaderValues[0];
    const bool typed = caller == ExportCaller::ConvertMenu;

    sheet.setText(0, 0, QStringLiteral("Periodic Data Import"));
    if (typed)
        sheet.setDateTime(1, 0, start);
    else
        sheet.setText(1, 0, GeneralDateTimeText(start));
    sheet.setText(2, 0, QStringLiteral("Logging Time Inteval (s) ="));
    if (typed)
        sheet.setNumber(2, 1, interval);
    else
        sheet.setText(2, 1, QString::number(interval));
    sheet.setText(4, 0, QStringLiteral("Time Increment (s)"));
    sheet.AutoFit(0, 0);

    for (int c = 0; c < kChannelCount; ++c)
        sheet.setText(4, 1 + c, HeaderName(data.ChannelNames[std::size_t(c)]));
    sheet.AutoFit(1, kChannelCount);
    if (progress)
        progress->headerWritten();

    const std::array<int, kChannelCount> steps = ProgressSteps(rows);
    for (int c = 0; c < kChannelCount; ++c) {
        const std::vector<float>& channel = data.PeriodicData[std::size_t(c)];
        for (int i = 0; i < rows; ++i)
            sheet.setNumber(kFirstDataRow + i, 1 + c, double(channel[std::size_t(i)]));
        if (progress)
            progress->columnWritten(steps[std::size_t(c)]);
    }

    // The time column, each cell the one above plus the interval.
    if (rows >= 1) {
        sheet.setNumber(kFirstDataRow, 0, interval);
        for (int k = 1; k < rows; ++k)
            sheet.setNumber(kFirstDataRow + k, 0, sheet.cell(kFirstDataRow + k - 1, 0)->number + interval);
    }
    return Status::success();
}

WorkbookFormat FormatForName(QString& path) {
    const QString name = QFileInfo(path).fileName();
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0)
        return WorkbookFormat::Xlsx;
    if (suffix.isEmpty())
        path += name.endsWith(QLatin1Char('.')) ? QStringLiteral("xls") : QStringLiteral(".xls");
    return WorkbookFormat::Xls;
}

Status EncodeWorkbook(const SheetCells& sheet, WorkbookFormat format, QByteArray& out,
                      const WorkbookProperties& properties) {
    return format == WorkbookFormat::Xlsx ? XlsxWorkbook::encode(sheet, kWorkbookSheetNames, out, properties)
                                          : XlsWorkbook::encode(sheet, kWorkbookSheetNames, out, properties);
}

Status WriteWorkbook(const QString& path, WorkbookFormat format, const SheetCells& sheet,
                     const AtomicFileFactory& files, const WorkbookProperties& properties) {
    QByteArray bytes;
    if (Status s = EncodeWorkbook(sheet, format, bytes, properties); !s)
        return s;
    return WriteFileAtomically(path, bytes, files);
}

ExportResult ExportPeriodicData(PeriodicDataSet& data, platform::Dialogs& dialogs,
                                const ExportRequest& request) {
    ExportResult result;
    auto fail = [&](const QString& message) {
        dialogs.message({kProblemsWritingExcel, platform::Icon::Information, platform::Buttons::Ok, message});
        result.outcome = ExportOutcome::Failed;
        result.message = message;
        return result;
    };

    SheetCells sheet;
    if (Status s = FillPeriodicSheet(data, request.start, request.caller, sheet, request.progress); !s)
        return fail(s.message());

    platform::FileDialog fallback;
    platform::FileDialog& dialog = request.dialog ? *request.dialog : fallback;
    dialog.fileName.clear();
    dialog.filter = kSpreadsheetFilter;
    dialog.flags = platform::kDataFileDialogFlags;
    dialog.defaultSuffix = QStringLiteral("xls");
    if (!dialog.initialFolder.isEmpty())
        QDir().mkpath(dialog.initialFolder);
    const std::optional<QString> chosen = dialogs.saveFile(dialog);
    if (!chosen || chosen->isEmpty()) {
        result.outcome = ExportOutcome::Cancelled;
        return result;
    }

    QString path = *chosen;
    const WorkbookFormat format = FormatForName(path);
    const AtomicFileFactory ordinary;
    if (Status s =
            WriteWorkbook(path, format, sheet, request.files ? *request.files : ordinary, request.properties);
        !s)
        return fail(s.message());

    data.release();
    result.outcome = ExportOutcome::Saved;
    result.path = path;
    return result;
}

} // namespace corvin::datafiles
