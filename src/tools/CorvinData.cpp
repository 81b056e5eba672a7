#include "tools/CorvinData.h"

#include "common/AtomicFile.h"
#include "common/BuildInfo.h"
#include "common/Clock.h"
#include "common/CsvField.h"
#include "common/SharedState.h"
#include "common/TextTrim.h"
#include "datafiles/RecoveryFiles.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestDataChecks.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"
#include "datafiles/Verdict.h"
#include "history/HistoryFilter.h"
#include "history/TestHistory.h"
#include "playback/GraphDrawing.h"
#include "playback/GraphStyle.h"
#include "playback/PlotRoutine.h"
#include "playback/TestReport.h"
#include "probes/NewProbeCheck.h"
#include "probes/ProbeFile.h"
#include "probes/ProbeLimits.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "settings/StoreLocation.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <qcustomplot.h>

#include <algorithm>
#include <charconv>
#include <optional>

namespace corvin::tools {
namespace {

const char* const kUsage =
    "Usage: corvin-data COMMAND ARGUMENTS\n"
    "Reads Corvin's probe files and test data files, and creates probe files.\n"
    "\n"
    "Commands:\n"
    "  probe list DIR                      the name of each probe file in DIR, one a line\n"
    "  probe show FILE                     the name and the seven channel texts of a probe file\n"
    "  probe create DIR NAME [CHANNEL...]  writes NAME.prb in DIR with up to seven channel texts\n"
    "  probe default HOME [NAME]           shows, or sets, the default probe of a Corvin home\n"
    "                                      (an empty argument leaves that channel empty)\n"
    "  info FILE.DAT                       interval, rows, stored rows and channel names of a test,\n"
    "                                      then the fields of its test record when it has one\n"
    "  record FILE.DAT                     the test record of a test (FILE.DAT.json) as JSON\n"
    "  verdict FILE.DAT [--limits FILE.json]\n"
    "                                      the test judged against limits (the record's by\n"
    "                                      default): one line per channel, the verdict last\n"
    "  dump FILE.DAT                       the readings of a test as CSV, one row per reading\n"
    "  convert FILE.DAT OUT                the test as a spreadsheet workbook (OUT.xls or OUT.xlsx,\n"
    "                                      laid out as Corvin exports it) or as the CSV of dump\n"
    "                                      (OUT.csv); OUT is replaced only by a complete file\n"
    "  plot FILE.DAT OUT.png|OUT.pdf [--channels 5,2,7] [--type lines|lines-symbols|symbols]\n"
    "       [--title TEXT] [--size 1600x900] [--style classic|clear]\n"
    "                                      draws the test as the playback graph does: the channels\n"
    "                                      in the order given (all seven by default), the title cut\n"
    "                                      to 20 characters; a PNG picture or a vector PDF;\n"
    "                                      classic: the program's look, clear: white, colour-blind-\n"
    "                                      safe colours, elapsed time (classic by default)\n"
    "  recover list HOME                   the tests of a Corvin home that were logged but never\n"
    "                                      saved (a crash, a power cut), one journal a line\n"
    "  recover save JOURNAL OUT.DAT        writes the readings of a journal as a test data file\n"
    "                                      and removes the journal\n"
    "  report FILE.DAT OUT.pdf [--limits FILE.json]\n"
    "                                      the one-page test report (A4): the record's fields,\n"
    "                                      the verdict, a table per channel, the graph with its\n"
    "                                      limits (the record's by default)\n"
    "  history HOME [--probe NAME] [--since DATE] [--until DATE] [--verdict VERDICT]\n"
    "          [--format text|csv|json] [--rescan-only] [--history postgresql://HOST/DATABASE]\n"
    "                                      rescans the home's test folders into its test history,\n"
    "                                      then lists its tests, newest first: start, probe, rows,\n"
    "                                      verdict and file, one test a line (DATE: YYYY-MM-DD;\n"
    "                                      --rescan-only: says what the rescan found, for cron;\n"
    "                                      --history or CORVIN_HISTORY: a lab's shared history,\n"
    "                                      sent this station's tests first, listing every station's)\n"
    "  --help                              this text\n"
    "  --version                           the program's version\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for a wrong command line\n"
    "(plot: also when the test data file cannot be read; convert: for every failure), 3 when\n"
    "verdict finds that the test failed.\n";

// Text from a file, made safe for a terminal: control characters (line breaks, escapes) are
// printed as \xHH, so one name stays one line and cannot steer the terminal.
QString Printable(const QString& text) {
    QString printable;
    printable.reserve(text.size());
    for (QChar c : text) {
        if (c.category() == QChar::Other_Control)
            printable += QStringLiteral("\\x") +
                         QString::number(c.unicode(), 16).rightJustified(2, QLatin1Char('0')).toUpper();
        else
            printable += c;
    }
    return printable;
}

// Messages may hold a line break (the program's own texts do); on the terminal they are one line.
QString OneLine(const QString& message) {
    QString line = message;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(": "));
    line.replace(QLatin1Char('\n'), QStringLiteral(": "));
    return Printable(line);
}

int Fail(QTextStream& err, const QString& message, int status = kExitFailed) {
    err << "corvin-data: " << OneLine(message) << '\n';
    return status;
}

int UsageError(QTextStream& err, const QString& message) {
    err << "corvin-data: " << message << " (corvin-data --help lists the commands)\n";
    return kExitUsage;
}

// Appends the shortest text that reads back as the same single-precision value.
void AppendFloat(std::string& line, float value) {
    char buffer[32];
    const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof buffer, value);
    line.append(buffer, r.ptr);
}

int ProbeList(const QString& folder, QTextStream& out, QTextStream& err) {
    if (!QFileInfo(folder).isDir())
        return Fail(err, QStringLiteral("%1 is not a folder").arg(folder));
    const probes::ProbeFolderReading reading = probes::ReadProbeFolder(folder);
    if (!reading.folder)
        return Fail(err,
                    QStringLiteral("cannot read the folder %1: %2").arg(folder, reading.folder.message()));
    for (const probes::ProbeListing& entry : reading.probes)
        out << Printable(TrimPadding(entry.record.Probe_Name)) << '\n';
    // The listing goes on without them, but never silently.
    for (const auto& [path, why] : reading.unreadable)
        err << "corvin-data: cannot read " << OneLine(path) << ": " << OneLine(why) << '\n';
    return kExitOk;
}

int ProbeShow(const QString& path, QTextStream& out, QTextStream& err) {
    cProbe probe;
    if (Status s = probes::ReadProbeFile(path, probe); !s)
        return Fail(err, QStringLiteral("cannot read %1: %2").arg(path, s.message()));
    out << "name: " << Printable(probe.Probe_Name()) << '\n';
    for (int k = 1; k <= kChannelCount; ++k)
        out << "channel " << k << ": " << Printable(probe.Ch(k)) << '\n';
    return kExitOk;
}

int ProbeCreate(const QStringList& args, QTextStream& out, QTextStream& err) {
    // args: DIR NAME [CHANNEL...]
    if (args.size() < 2)
        return UsageError(err, QStringLiteral("probe create needs a folder and a name"));
    if (args.size() > 2 + kChannelCount)
        return UsageError(err, QStringLiteral("a probe has at most %1 channels").arg(kChannelCount));
    // An empty folder (an unset shell variable, say) would put the probe at the root of the disc.
    if (args[0].isEmpty())
        return UsageError(err, QStringLiteral("probe create needs a folder, not an empty argument"));
    std::array<QString, kChannelCount> channels;
    for (int k = 0; k + 2 < args.size(); ++k)
        channels[k] = args[k + 2];
    const probes::NewProbeCheck check(args[1], channels);
    if (!check.ready())
        return Fail(err, check.message());
    if (Status s = probes::WriteProbeFile(args[0], check.probe()); !s)
        return Fail(err, s.message());
    out << probes::NewProbeCheck::writtenMessage(probes::ProbeFilePath(args[0], check.name())).trimmed()
        << '\n';
    return kExitOk;
}

// The default probe lives in the home's settings store, found as corvin finds it.
int ProbeDefault(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty() || args.size() > 2)
        return UsageError(err, QStringLiteral("probe default takes a Corvin home and optionally a name"));
    const QString home = args[0];
    if (!QFileInfo(home).isDir())
        return Fail(err, QStringLiteral("%1 is not a folder").arg(home));
    QString name;
    if (args.size() == 2) {
        name = args[1].trimmed();
        if (!probes::ResolveProbePath(QDir(home).filePath(QStringLiteral("Probes")), name))
            return Fail(err, QStringLiteral("there is no probe %1 in %2/Probes").arg(name, home));
    }

    const QString store = settings::SettingsStorePath(home);
    QDir().mkpath(QFileInfo(store).path());
    SystemClock clock;
    settings::RegistryStore registry(store, clock);
    if (!registry.notice().isEmpty())
        err << "corvin-data: " << OneLine(registry.notice()) << '\n';
    if (args.size() == 1) {
        out << settings::ReadDefaultProbeName(registry) << '\n';
        return kExitOk;
    }
    // A store that could not be opened on disc runs in memory: a write there would be lost.
    if (!registry.persistent())
        return Fail(err, QStringLiteral("cannot write the settings store %1").arg(store));
    if (const Status stored = settings::WriteDefaultProbeName(registry, name); !stored)
        return Fail(err,
                    QStringLiteral("cannot write the default probe to %1: %2").arg(store, stored.message()));
    return kExitOk;
}

int Probe(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty())
        return UsageError(err, QStringLiteral("probe needs list, show, create or default"));
    const QString& command = args[0];
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("create"))
        return ProbeCreate(rest, out, err);
    if (command == QLatin1String("default"))
        return ProbeDefault(rest, out, err);
    if (command == QLatin1String("list") || command == QLatin1String("show")) {
        if (rest.size() != 1 || rest[0].isEmpty())
            return UsageError(err, QStringLiteral("probe %1 takes one argument").arg(command));
        return command == QLatin1String("list") ? ProbeList(rest[0], out, err) : ProbeShow(rest[0], out, err);
    }
    return UsageError(err, QStringLiteral("unknown probe command \"%1\"").arg(command));
}

bool ReadData(const QString& path, PeriodicDataSet& data, QTextStream& err) {
    if (Status s = datafiles::ReadTestDataFile(path, data); !s) {
        Fail(err, QStringLiteral("cannot read %1: %2").arg(path, s.message()));
        return false;
    }
    return true;
}

// What is odd about a file that was read all the same.
QStringList Warnings(const QString& path, const PeriodicDataSet& data) {
    return datafiles::TestDataWarnings(data, QFileInfo(path).size());
}

int Info(const QString& path, QTextStream& out, QTextStream& err) {
    PeriodicDataSet data;
    if (!ReadData(path, data, err))
        return kExitFailed;
    out << "interval: " << data.HeaderValues[0] << '\n'
        << "rows: " << data.SampleCapacity << '\n'
        << "stored rows: " << data.HeaderValues[1] << '\n';
    for (int k = 1; k <= kChannelCount; ++k)
        out << "channel " << k << ": " << Printable(TrimPaddingEnd(data.ChannelNames[k - 1])) << '\n';
    for (const QString& warning : Warnings(path, data))
        out << "warning: " << warning << '\n';
    const datafiles::RecordReading record = datafiles::ReadRecordBeside(path);
    if (record.state == datafiles::RecordState::Unusable) {
        out << "warning: " << Printable(record.message) << '\n';
    } else if (record.state != datafiles::RecordState::None) {
        if (record.state == datafiles::RecordState::Changed)
            out << "warning: " << datafiles::kRecordChangedText << '\n';
        for (const QString& line : datafiles::RecordLines(record.record))
            out << Printable(line) << '\n';
    }
    return kExitOk;
}

int Record(const QString& path, QTextStream& out, QTextStream& err) {
    const datafiles::RecordReading record = datafiles::ReadRecordBeside(path);
    switch (record.state) {
    case datafiles::RecordState::None:
        return Fail(err, QStringLiteral("%1 has no test record").arg(path));
    case datafiles::RecordState::Unusable:
        return Fail(err, QStringLiteral("%1: %2").arg(path, record.message));
    case datafiles::RecordState::Changed:
        err << "warning: " << datafiles::kRecordChangedText << '\n';
        break;
    case datafiles::RecordState::Matches:
        break;
    }
    out << datafiles::EncodeTestRecord(record.record);
    return kExitOk;
}

// The files named and the limits file of "--limits FILE"; false when --limits names none.
bool SplitLimitsOption(const QStringList& args, QStringList& files, QString& limitsPath) {
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] != QLatin1String("--limits")) {
            files << args[i];
        } else if (++i < args.size()) {
            limitsPath = args[i];
        } else {
            return false;
        }
    }
    return true;
}

// Reads a test, its record and its limits for verdict and report; warnings go to `err`.
bool PrepareTest(const QString& dat, const QString& limitsPath, playback::ReportInput& input,
                 QTextStream& err) {
    QStringList notes;
    if (Status s = playback::PrepareReport(dat, limitsPath, input, notes); !s) {
        Fail(err, s.message());
        return false;
    }
    for (const QString& note : notes)
        err << "warning: " << Printable(note) << '\n';
    return true;
}

int Report(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString limitsPath;
    QStringList files;
    if (!SplitLimitsOption(args, files, limitsPath))
        return UsageError(err, QStringLiteral("--limits takes a limits file"));
    if (files.size() != 2 || !files[1].endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return UsageError(err, QStringLiteral("report takes a test data file and the PDF to write"));
    playback::ReportInput input;
    if (!PrepareTest(files[0], limitsPath, input, err))
        return kExitFailed;
    if (Status s = playback::WriteTestReport(files[1], input); !s)
        return Fail(err, QStringLiteral("cannot write %1: %2").arg(files[1], s.message()));
    out << "Test report written to " << files[1] << '\n';
    return kExitOk;
}

int VerdictOf(const QStringList& args, QTextStream& out, QTextStream& err) {
    QString limitsPath;
    QStringList files;
    if (!SplitLimitsOption(args, files, limitsPath))
        return UsageError(err, QStringLiteral("--limits takes a limits file"));
    if (files.size() != 1)
        return UsageError(err, QStringLiteral("verdict takes one test data file"));
    playback::ReportInput input;
    if (!PrepareTest(files[0], limitsPath, input, err))
        return kExitFailed;
    if (probes::HasNoLimits(input.limits))
        return Fail(
            err,
            limitsPath.isEmpty()
                ? QStringLiteral("%1 has no limits in a test record: give them with --limits").arg(files[0])
                : QStringLiteral("%1 holds no limits").arg(limitsPath));
    // The channels that were on, as the record says; all seven without one.
    std::array<bool, kChannelCount> on;
    on.fill(true);
    if (input.record && input.record->channelsOn)
        on = *input.record->channelsOn;
    const PeriodicDataSet& data = input.data;
    const probes::ProbeLimits& limits = input.limits;
    const datafiles::TestJudgement judgement = datafiles::JudgeTest(data, data.HeaderValues[0], on, limits);
    for (int k = 1; k <= kChannelCount; ++k)
        out << datafiles::DescribeChannel(k, judgement.channels[k - 1]) << '\n';
    out << "test: " << datafiles::VerdictName(judgement.verdict) << '\n';
    return judgement.verdict == datafiles::Verdict::Fail ? kExitTestFailed : kExitOk;
}

// The readings as CSV: a header of the trimmed names, then one line per row, each time first.
void WriteCsv(const PeriodicDataSet& data, QTextStream& out) {
    // CSV records end in CR LF.
    QString header = QStringLiteral("Time (s)");
    for (const QString& name : data.ChannelNames)
        header += QLatin1Char(',') + CsvField(Printable(TrimPaddingEnd(name)));
    out << header << "\r\n";
    std::string line;
    for (int r = 0; r < data.SampleCapacity; ++r) {
        line = std::to_string(qint64(r + 1) * data.HeaderValues[0]);
        for (const std::vector<float>& channel : data.PeriodicData) {
            line += ',';
            AppendFloat(line, channel[static_cast<std::size_t>(r)]);
        }
        line += "\r\n";
        out << QLatin1String(line.data(), qsizetype(line.size()));
    }
}

int Dump(const QString& path, QTextStream& out, QTextStream& err) {
    PeriodicDataSet data;
    if (!ReadData(path, data, err))
        return kExitFailed;
    for (const QString& warning : Warnings(path, data))
        err << "corvin-data: warning: " << OneLine(path) << ": " << warning << '\n';
    WriteCsv(data, out);
    return kExitOk;
}

// Every failure of convert ends with the usage status, so scripts need test only one value.
int Convert(const QString& input, const QString& output, QTextStream& err) {
    const QString suffix = QFileInfo(output).suffix().toLower();
    if (suffix != QLatin1String("xls") && suffix != QLatin1String("xlsx") && suffix != QLatin1String("csv"))
        return UsageError(err,
                          QStringLiteral("convert writes OUT.xls, OUT.xlsx or OUT.csv, not %1").arg(output));
    PeriodicDataSet data;
    if (!ReadData(input, data, err))
        return kExitUsage;

    Status written;
    if (suffix == QLatin1String("csv")) {
        QString csv;
        QTextStream stream(&csv);
        WriteCsv(data, stream);
        stream.flush();
        written = WriteFileAtomically(output, csv.toUtf8());
    } else {
        // The workbook of the conversion utility's "Convert to Excel File".
        datafiles::SheetCells sheet;
        const SystemClock clock;
        if (Status s = datafiles::FillPeriodicSheet(data, clock.now(), datafiles::ExportCaller::ConvertButton,
                                                    sheet);
            !s)
            return Fail(err, QStringLiteral("cannot convert %1: %2").arg(input, s.message()), kExitUsage);
        written = datafiles::WriteWorkbook(output,
                                           suffix == QLatin1String("xlsx") ? datafiles::WorkbookFormat::Xlsx
                                                                           : datafiles::WorkbookFormat::Xls,
                                           sheet);
    }
    if (!written)
        return Fail(err, QStringLiteral("cannot write %1: %2").arg(output, written.message()), kExitUsage);
    return kExitOk;
}

// ---- plot --------------------------------------------------------------------------------------

struct PlotRequest {
    QString data;
    QString output;
    bool pdf = false;
    std::vector<int> channels{1, 2, 3, 4, 5, 6, 7};
    playback::GraphType type = playback::GraphType::Lines;
    QString title;
    QSize size{1600, 900};
    GraphStyleKind style = GraphStyleKind::Classic;
};

// The channel list "5,2,7": each channel 1..7 at most once, in the order given.
std::optional<std::vector<int>> ParseChannels(const QString& text, QString& why) {
    std::vector<int> channels;
    for (const QString& part : text.split(QLatin1Char(','))) {
        bool ok = false;
        const int k = part.trimmed().toInt(&ok);
        if (!ok || k < 1 || k > kChannelCount) {
            why = QStringLiteral("--channels takes channel numbers 1 to 7 separated by commas, not \"%1\"")
                      .arg(text);
            return std::nullopt;
        }
        if (std::find(channels.begin(), channels.end(), k) != channels.end()) {
            why = QStringLiteral("--channels names channel %1 twice").arg(k);
            return std::nullopt;
        }
        channels.push_back(k);
    }
    return channels;
}

// Reads the plot command line; empty when it is right, else what is wrong with it.
QString ParsePlot(const QStringList& args, PlotRequest& request) {
    QStringList positional;
    for (int i = 0; i < args.size(); ++i) {
        QString option = args[i];
        if (!option.startsWith(QStringLiteral("--"))) {
            positional << option;
            continue;
        }
        QString value;
        const qsizetype equals = option.indexOf(QLatin1Char('='));
        if (equals >= 0) {
            value = option.mid(equals + 1);
            option = option.left(equals);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return QStringLiteral("%1 needs a value").arg(option);
        }
        if (option == QLatin1String("--channels")) {
            QString why;
            const auto channels = ParseChannels(value, why);
            if (!channels)
                return why;
            request.channels = *channels;
        } else if (option == QLatin1String("--type")) {
            if (value == QLatin1String("lines"))
                request.type = playback::GraphType::Lines;
            else if (value == QLatin1String("lines-symbols"))
                request.type = playback::GraphType::LinesAndSymbols;
            else if (value == QLatin1String("symbols"))
                request.type = playback::GraphType::SymbolsOnly;
            else
                return QStringLiteral("--type is lines, lines-symbols or symbols, not \"%1\"").arg(value);
        } else if (option == QLatin1String("--title")) {
            request.title = value.left(20); // the graph window's title box keeps 20 characters
        } else if (option == QLatin1String("--style")) {
            const auto style = playback::GraphStyle::parse(value);
            if (!style)
                return QStringLiteral("--style is classic or clear, not \"%1\"").arg(value);
            request.style = *style;
        } else if (option == QLatin1String("--size")) {
            const QRegularExpressionMatch m =
                QRegularExpression(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$")).match(value);
            const int w = m.hasMatch() ? m.captured(1).toInt() : 0;
            const int h = m.hasMatch() ? m.captured(2).toInt() : 0;
            if (w < 200 || h < 150 || w > 10000 || h > 10000)
                return QStringLiteral("--size is WIDTHxHEIGHT in pixels, 200x150 to 10000x10000, not \"%1\"")
                    .arg(value);
            request.size = QSize(w, h);
        } else {
            return QStringLiteral("unknown plot option \"%1\"").arg(option);
        }
    }
    if (positional.size() != 2)
        return QStringLiteral("plot takes a test data file and an output file");
    request.data = positional[0];
    request.output = positional[1];
    const QString suffix = QFileInfo(request.output).suffix().toLower();
    if (suffix != QLatin1String("png") && suffix != QLatin1String("pdf"))
        return QStringLiteral("the output file must end in .png or .pdf");
    request.pdf = suffix == QLatin1String("pdf");
    return {};
}

int Plot(const QStringList& args, QTextStream& err) {
    PlotRequest request;
    if (const QString wrong = ParsePlot(args, request); !wrong.isEmpty())
        return UsageError(err, wrong);
    if (!qobject_cast<QApplication*>(QCoreApplication::instance()))
        return Fail(err, QStringLiteral("plot needs the application object of a graphical program"));

    SharedState state;
    if (Status s = datafiles::ReadTestDataFile(request.data, state.periodic); !s) {
        Fail(err, QStringLiteral("cannot read %1: %2").arg(request.data, s.message()));
        return kExitUsage;
    }
    // The channels as if clicked in the order given.
    PlaybackSelection& selection = state.playback;
    for (std::size_t s = 0; s < request.channels.size(); ++s) {
        const int k = request.channels[s];
        selection.PlotChannelOrder[s] = static_cast<int16_t>(k);
        selection.PlotChannelSelected[static_cast<std::size_t>(k - 1)] = true;
    }
    selection.PlotChannelClicks = static_cast<int16_t>(request.channels.size());
    selection.PlotSetCount = selection.PlotChannelClicks;

    playback::GraphSettings settings;
    settings.choose(request.type);
    const auto result = playback::PlotRoutine::build(state, settings, request.title);
    if (result.outcome != playback::PlotRoutine::Outcome::Drawn)
        return Fail(err, QStringLiteral("%1: %2").arg(request.data, result.message));

    QCustomPlot plot;
    plot.resize(request.size);
    playback::GraphDrawing drawing(plot);
    drawing.setStyle(request.style);
    drawing.draw(result.spec);
    drawing.showWholeTest();
    const QByteArray bytes = request.pdf ? drawing.pdf(request.size) : drawing.png(request.size);
    if (bytes.isEmpty())
        return Fail(err, QStringLiteral("the graph could not be drawn"));
    if (Status s = WriteFileAtomically(request.output, bytes); !s)
        return Fail(err, QStringLiteral("cannot write %1: %2").arg(request.output, s.message()));
    return kExitOk;
}

// One line per journal of HOME/Recovery: when and with which probe its test was logged, and
// how many readings it holds.
int RecoverList(const QString& home, QTextStream& out, QTextStream& err) {
    if (!QFileInfo(home).isDir())
        return Fail(err, QStringLiteral("%1 is not a folder").arg(home));
    SharedState state;
    state.folders.Home = QFileInfo(home).absoluteFilePath();
    int status = kExitOk;
    for (const QString& path : datafiles::ListJournals(state.folders.recoveryFolder())) {
        datafiles::RecoveredTest test;
        if (datafiles::JournalIsEmpty(path)) {
            out << Printable(path)
                << ": empty, holds no readings (a test that could not start its journal)\n";
            continue;
        }
        if (Status s = datafiles::ReadJournalFile(path, test); !s) {
            status = Fail(err, QStringLiteral("cannot read %1: %2").arg(path, s.message()));
            continue;
        }
        out << Printable(path) << ": "
            << Printable(test.header.startTime.toLocalTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")))
            << ", probe " << Printable(test.header.probeName) << ", " << test.rows.size()
            << " readings every " << test.header.intervalSeconds << " s";
        if (datafiles::JournalInUse(path))
            out << ", still being logged";
        out << '\n';
    }
    return status;
}

int RecoverSave(const QString& journal, const QString& target, QTextStream& out, QTextStream& err) {
    datafiles::RecoveredTest test;
    if (Status s = datafiles::ReadJournalFile(journal, test); !s)
        return Fail(err, QStringLiteral("cannot read %1: %2").arg(journal, s.message()));
    // A file of that name may be a test someone wants to keep; the terminal has no dialog to ask.
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return Fail(err, QStringLiteral("%1 exists already; give a new file name").arg(target));
    if (Status s = datafiles::SaveRecoveredTest(test, target); !s)
        return Fail(err, QStringLiteral("cannot write %1: %2").arg(target, s.message()));
    out << "saved " << test.rows.size() << " readings to " << Printable(target) << '\n';
    if (datafiles::JournalInUse(journal)) {
        out << "the journal is kept: its test is still being logged\n";
        return kExitOk;
    }
    if (Status s = datafiles::RemoveJournal(journal); !s)
        return Fail(err, QStringLiteral("the journal %1 could not be removed: %2").arg(journal, s.message()));
    return kExitOk;
}

int Recover(const QStringList& args, QTextStream& out, QTextStream& err) {
    const QString command = args.value(0);
    if (command == QLatin1String("list")) {
        if (args.size() != 2 || args[1].isEmpty())
            return UsageError(err, QStringLiteral("recover list takes a Corvin home"));
        return RecoverList(args[1], out, err);
    }
    if (command == QLatin1String("save")) {
        if (args.size() != 3 || args[1].isEmpty() || args[2].isEmpty())
            return UsageError(err,
                              QStringLiteral("recover save takes a journal and the test data file to write"));
        return RecoverSave(args[1], args[2], out, err);
    }
    return UsageError(err, QStringLiteral("recover needs list or save"));
}

// ---- history ---------------------------------------------------------------------------------

struct HistoryRequest {
    QString home;
    history::HistoryFilter filter;
    QString format = QStringLiteral("text");
    bool rescanOnly = false;
    QString server; // --history, or CORVIN_HISTORY
};

QString ParseHistory(const QStringList& args, HistoryRequest& request) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const auto value = [&](QString& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        QString text;
        if (a == QLatin1String("--rescan-only")) {
            request.rescanOnly = true;
        } else if (a == QLatin1String("--history") || a.startsWith(QLatin1String("--history="))) {
            if (a.startsWith(QLatin1String("--history=")))
                request.server = a.mid(10);
            else if (!value(request.server))
                return QStringLiteral("--history needs the address of a lab's history server");
        } else if (a == QLatin1String("--probe")) {
            if (!value(request.filter.probe))
                return QStringLiteral("--probe needs a probe name");
        } else if (a == QLatin1String("--since") || a == QLatin1String("--until")) {
            if (!value(text))
                return QStringLiteral("%1 needs a date (YYYY-MM-DD)").arg(a);
            const QDate date = QDate::fromString(text, Qt::ISODate);
            if (!date.isValid())
                return QStringLiteral("%1 needs a date (YYYY-MM-DD), not \"%2\"").arg(a, text);
            (a == QLatin1String("--since") ? request.filter.from : request.filter.to) = date;
        } else if (a == QLatin1String("--verdict")) {
            if (!value(text))
                return QStringLiteral("--verdict needs PASS, MARGINAL, FAIL, \"NOT JUDGED\" or UNREADABLE");
            datafiles::Verdict v;
            if (!datafiles::VerdictOfName(text.toUpper(), v) && text.toUpper() != history::kUnreadableVerdict)
                return QStringLiteral(
                           "--verdict needs PASS, MARGINAL, FAIL, \"NOT JUDGED\" or UNREADABLE, not \"%1\"")
                    .arg(text);
            request.filter.verdict = text.toUpper();
        } else if (a == QLatin1String("--format")) {
            if (!value(request.format) ||
                !QStringList{QStringLiteral("text"), QStringLiteral("csv"), QStringLiteral("json")}.contains(
                    request.format))
                return QStringLiteral("--format needs text, csv or json");
        } else if (a.startsWith(QLatin1String("--")) || !request.home.isEmpty()) {
            return QStringLiteral("history does not know \"%1\"").arg(a);
        } else {
            request.home = a;
        }
    }
    if (request.home.isEmpty())
        return QStringLiteral("history takes a Corvin home");
    if (request.server.isEmpty())
        request.server = qEnvironmentVariable("CORVIN_HISTORY");
    return {};
}

QJsonObject HistoryJson(const history::TestEntry& e) {
    QJsonArray channels;
    for (int k = 0; k < kChannelCount; ++k) {
        QJsonObject c{{QStringLiteral("name"), e.channelNames[k].trimmed()},
                      {QStringLiteral("verdict"),
                       e.channelVerdicts[k].isEmpty() ? QJsonValue() : QJsonValue(e.channelVerdicts[k])}};
        if (const auto& n = e.numbers[k]) {
            c.insert(QStringLiteral("mean"), n->mean);
            c.insert(QStringLiteral("min"), n->min);
            c.insert(QStringLiteral("max"), n->max);
            c.insert(QStringLiteral("end"), n->end);
        }
        channels.append(c);
    }
    return QJsonObject{
        {QStringLiteral("start"), history::IsoLocalTime(e.startMs)},
        {QStringLiteral("probe"), e.probe},
        {QStringLiteral("rows"), e.rows},
        {QStringLiteral("intervalSeconds"), e.intervalSeconds},
        {QStringLiteral("verdict"), e.verdict},
        {QStringLiteral("operator"), e.operatorName},
        {QStringLiteral("station"), e.station},
        {QStringLiteral("note"), e.note},
        {QStringLiteral("path"), e.path},
        {QStringLiteral("size"), e.size},
        {QStringLiteral("sha256"), e.sha256},
        {QStringLiteral("record"), e.recordState},
        {QStringLiteral("readable"), e.readable},
        {QStringLiteral("problem"), e.problem},
        {QStringLiteral("channels"), channels},
    };
}

void WriteHistory(const std::vector<history::TestEntry>& entries, const QString& format, QTextStream& out) {
    if (format == QLatin1String("json")) {
        QJsonArray all;
        for (const history::TestEntry& e : entries)
            all.append(HistoryJson(e));
        out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return;
    }
    if (format == QLatin1String("csv"))
        out << "start,probe,rows,interval_s,verdict,operator,station,note,path\n";
    for (const history::TestEntry& e : entries) {
        const QString start = history::StartText(e);
        if (format == QLatin1String("csv")) {
            out << start << ',' << CsvField(e.probe) << ',' << e.rows << ',' << e.intervalSeconds << ','
                << CsvField(e.verdict) << ',' << CsvField(e.operatorName) << ',' << CsvField(e.station) << ','
                << CsvField(e.note) << ',' << CsvField(e.path) << '\n';
        } else {
            out << start << '\t' << Printable(e.probe.isEmpty() ? QStringLiteral("-") : e.probe) << '\t'
                << e.rows << '\t' << history::VerdictText(e) << '\t' << Printable(e.path) << '\n';
        }
    }
}

int History(const QStringList& args, QTextStream& out, QTextStream& err) {
    HistoryRequest request;
    if (const QString why = ParseHistory(args, request); !why.isEmpty())
        return UsageError(err, why);
    if (!QFileInfo(request.home).isDir())
        return Fail(err, QStringLiteral("%1 is not a folder").arg(request.home));
    const SystemClock clock;
    history::TestHistory testHistory(request.home, clock);
    if (!testHistory.notice().isEmpty())
        Fail(err, testHistory.notice());
    if (!request.server.isEmpty()) {
        if (Status s = testHistory.useServer(request.server, history::TestHistory::Sending::Caller); !s)
            return UsageError(err, s.message());
    }
    history::RescanCounts counts;
    if (Status s = testHistory.rescanNow(counts); !s)
        return Fail(err, s.message());
    // The lab's server gets what this station has before the list is read from it. When it
    // cannot be reached the changes wait in the home's queue for the next run.
    int status = kExitOk;
    int sent = 0;
    if (Status s = testHistory.sendQueuedNow(sent); !s) {
        int waiting = 0;
        static_cast<void>(testHistory.local().queuedCount(waiting));
        status = Fail(err, QStringLiteral("%1 (%2 test%3 wait for the server)")
                               .arg(s.message())
                               .arg(waiting)
                               .arg(waiting == 1 ? "" : "s"));
    }
    if (request.rescanOnly) {
        out << history::RescanSummary(counts);
        if (testHistory.hasServer() && status == kExitOk)
            out << QStringLiteral("; %1 sent to the lab history").arg(sent);
        out << '\n';
        return status;
    }
    std::vector<history::TestEntry> entries;
    if (Status s = testHistory.entries(entries); !s)
        return Fail(err, s.message());
    if (!testHistory.serverProblem().isEmpty())
        status =
            Fail(err, testHistory.serverProblem() + QStringLiteral(": listing this station's tests only"));
    WriteHistory(history::Filtered(entries, request.filter), request.format, out);
    return status;
}

} // namespace

int RunCorvinData(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty()) {
        err << kUsage;
        return kExitUsage;
    }
    const QString& command = args[0];
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h") ||
        command == QLatin1String("help")) {
        out << kUsage;
        return kExitOk;
    }
    if (command == QLatin1String("--version")) {
        out << "corvin-data " << kVersion << '\n';
        return kExitOk;
    }
    if (command == QLatin1String("probe"))
        return Probe(rest, out, err);
    if (command == QLatin1String("recover"))
        return Recover(rest, out, err);
    if (command == QLatin1String("info") || command == QLatin1String("dump")) {
        if (rest.size() != 1)
            return UsageError(err, QStringLiteral("%1 takes one test data file").arg(command));
        return command == QLatin1String("info") ? Info(rest[0], out, err) : Dump(rest[0], out, err);
    }
    if (command == QLatin1String("record")) {
        if (rest.size() != 1)
            return UsageError(err, QStringLiteral("record takes one test data file"));
        return Record(rest[0], out, err);
    }
    if (command == QLatin1String("verdict"))
        return VerdictOf(rest, out, err);
    if (command == QLatin1String("history"))
        return History(rest, out, err);
    if (command == QLatin1String("report"))
        return Report(rest, out, err);
    if (command == QLatin1String("convert")) {
        if (rest.size() != 2)
            return UsageError(err, QStringLiteral("convert takes a test data file and the file to write"));
        return Convert(rest[0], rest[1], err);
    }
    if (command == QLatin1String("plot"))
        return Plot(rest, err);
    return UsageError(err, QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace corvin::tools
