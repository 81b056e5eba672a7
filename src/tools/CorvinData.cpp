#include "tools/CorvinData.h"

#include "common/Clock.h"
#include "common/SharedState.h"
#include "datafiles/RecoveryFiles.h"
#include "datafiles/TestDataChecks.h"
#include "datafiles/TestDataFile.h"
#include "probes/NewProbeCheck.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"

#include <QDir>
#include <QFileInfo>

#include <charconv>

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
    "  info FILE.DAT                       interval, rows, stored rows and channel names of a test\n"
    "  dump FILE.DAT                       the readings of a test as CSV, one row per reading\n"
    "  recover list HOME                   the tests of a Corvin home that were logged but never\n"
    "                                      saved (a crash, a power cut), one journal a line\n"
    "  recover save JOURNAL OUT.DAT        writes the readings of a journal as a test data file\n"
    "                                      and removes the journal\n"
    "  --help                              this text\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for a wrong command line.\n";

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

int Fail(QTextStream& err, const QString& message) {
    err << "corvin-data: " << OneLine(message) << '\n';
    return kExitFailed;
}

int UsageError(QTextStream& err, const QString& message) {
    err << "corvin-data: " << message << " (corvin-data --help lists the commands)\n";
    return kExitUsage;
}

// A stored name without the padding after it: spaces, and zero bytes a short file reads as.
QString TrimEnd(const QString& text) {
    qsizetype end = text.size();
    while (end > 0 && (text.at(end - 1) == QLatin1Char(' ') || text.at(end - 1) == QChar(0)))
        --end;
    return text.left(end);
}

// One CSV field, quoted when it holds a separator, a quote or a line break.
QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
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
        out << Printable(probes::TrimProbeField(entry.record.Probe_Name)) << '\n';
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
    out << probes::NewProbeCheck::WrittenMessage(probes::ProbeFilePath(args[0], check.name())).trimmed()
        << '\n';
    return kExitOk;
}

// The default probe lives in the settings store of a Corvin home given with --home.
int ProbeDefault(const QStringList& args, QTextStream& out, QTextStream& err) {
    if (args.isEmpty() || args.size() > 2)
        return UsageError(err, QStringLiteral("probe default takes a Corvin home and optionally a name"));
    const QString store = QDir(args[0]).filePath(QStringLiteral("registry.sqlite"));
    if (!QFileInfo(args[0]).isDir())
        return Fail(err, QStringLiteral("%1 is not a folder").arg(args[0]));
    SystemClock clock;
    settings::RegistryStore registry(store, clock);
    if (!registry.notice().isEmpty())
        err << QString(registry.notice()).replace(QLatin1Char('\n'), QStringLiteral(": ")) << '\n';
    if (args.size() == 1) {
        out << settings::ReadDefaultProbeName(registry) << '\n';
        return kExitOk;
    }
    const QString name = args[1].trimmed();
    if (!probes::ResolveProbePath(QDir(args[0]).filePath(QStringLiteral("Probes")), name))
        return Fail(err, QStringLiteral("there is no probe %1 in %2/Probes").arg(name, args[0]));
    settings::WriteDefaultProbeName(registry, name);
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
        out << "channel " << k << ": " << Printable(TrimEnd(data.ChannelNames[k - 1])) << '\n';
    for (const QString& warning : Warnings(path, data))
        out << "warning: " << warning << '\n';
    return kExitOk;
}

int Dump(const QString& path, QTextStream& out, QTextStream& err) {
    PeriodicDataSet data;
    if (!ReadData(path, data, err))
        return kExitFailed;
    for (const QString& warning : Warnings(path, data))
        err << "corvin-data: warning: " << OneLine(path) << ": " << warning << '\n';
    // CSV records end in CR LF.
    QString header = QStringLiteral("Time (s)");
    for (const QString& name : data.ChannelNames)
        header += QLatin1Char(',') + CsvField(Printable(TrimEnd(name)));
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
    for (const QString& path : datafiles::ListJournals(state.folders.RecoveryFolder())) {
        datafiles::RecoveredTest test;
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
    if (command == QLatin1String("probe"))
        return Probe(rest, out, err);
    if (command == QLatin1String("recover"))
        return Recover(rest, out, err);
    if (command == QLatin1String("info") || command == QLatin1String("dump")) {
        if (rest.size() != 1)
            return UsageError(err, QStringLiteral("%1 takes one test data file").arg(command));
        return command == QLatin1String("info") ? Info(rest[0], out, err) : Dump(rest[0], out, err);
    }
    return UsageError(err, QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace corvin::tools
