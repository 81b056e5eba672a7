#include "tools/CorvinData.h"

#include "common/BuildInfo.h"
#include "common/Clock.h"
#include "common/SharedState.h"
#include "common/TextTrim.h"
#include "datafiles/TestDataFile.h"
#include "probes/NewProbeCheck.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "settings/StoreLocation.h"

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
    "  --help                              this text\n"
    "  --version                           the program's version\n"
    "\n"
    "Exit status: 0 on success, 1 when a file cannot be read or written, 2 for a wrong command line.\n";

// Messages may hold a line break (the program's own texts do); on the terminal they are one line.
QString OneLine(const QString& message) {
    QString line = message;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(": "));
    line.replace(QLatin1Char('\n'), QStringLiteral(": "));
    return line;
}

int Fail(QTextStream& err, const QString& message) {
    err << "corvin-data: " << OneLine(message) << '\n';
    return kExitFailed;
}

int UsageError(QTextStream& err, const QString& message) {
    err << "corvin-data: " << message << " (corvin-data --help lists the commands)\n";
    return kExitUsage;
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
    for (const probes::ProbeListing& entry : probes::ReadProbeListing(folder))
        out << TrimPadding(entry.record.Probe_Name) << '\n';
    return kExitOk;
}

int ProbeShow(const QString& path, QTextStream& out, QTextStream& err) {
    cProbe probe;
    if (Status s = probes::ReadProbeFile(path, probe); !s)
        return Fail(err, QStringLiteral("cannot read %1: %2").arg(path, s.message()));
    out << "name: " << probe.Probe_Name() << '\n';
    for (int k = 1; k <= kChannelCount; ++k)
        out << "channel " << k << ": " << probe.Ch(k) << '\n';
    return kExitOk;
}

int ProbeCreate(const QStringList& args, QTextStream& out, QTextStream& err) {
    // args: DIR NAME [CHANNEL...]
    if (args.size() < 2)
        return UsageError(err, QStringLiteral("probe create needs a folder and a name"));
    if (args.size() > 2 + kChannelCount)
        return UsageError(err, QStringLiteral("a probe has at most %1 channels").arg(kChannelCount));
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
    if (const int32_t code = settings::WriteDefaultProbeName(registry, name); code != 0)
        return Fail(
            err,
            QStringLiteral("cannot write the default probe to %1 (registry error %2)").arg(store).arg(code));
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
        if (rest.size() != 1)
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

int Info(const QString& path, QTextStream& out, QTextStream& err) {
    PeriodicDataSet data;
    if (!ReadData(path, data, err))
        return kExitFailed;
    out << "interval: " << data.HeaderValues[0] << '\n'
        << "rows: " << data.SampleCapacity << '\n'
        << "stored rows: " << data.HeaderValues[1] << '\n';
    for (int k = 1; k <= kChannelCount; ++k)
        out << "channel " << k << ": " << TrimPaddingEnd(data.ChannelNames[k - 1]) << '\n';
    return kExitOk;
}

int Dump(const QString& path, QTextStream& out, QTextStream& err) {
    PeriodicDataSet data;
    if (!ReadData(path, data, err))
        return kExitFailed;
    // CSV records end in CR LF.
    QString header = QStringLiteral("Time (s)");
    for (const QString& name : data.ChannelNames)
        header += QLatin1Char(',') + CsvField(TrimPaddingEnd(name));
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
    if (command == QLatin1String("info") || command == QLatin1String("dump")) {
        if (rest.size() != 1)
            return UsageError(err, QStringLiteral("%1 takes one test data file").arg(command));
        return command == QLatin1String("info") ? Info(rest[0], out, err) : Dump(rest[0], out, err);
    }
    return UsageError(err, QStringLiteral("unknown command \"%1\"").arg(command));
}

} // namespace corvin::tools
