#include "app/CommandLine.h"

#include "history/ServerAddress.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <QUrl>

namespace corvin::app {
namespace {

// "none", "sim", "comedi" or "comedi:DEVICE"; the device goes into `device`.
std::optional<CardChoice> CardNamed(const QString& name, QString& device) {
    if (name == QLatin1String("none"))
        return CardChoice::None;
    if (name == QLatin1String("sim"))
        return CardChoice::Simulated;
    if (name == QLatin1String("comedi"))
        return CardChoice::Comedi;
    const QString comediPrefix = QStringLiteral("comedi:");
    if (name.startsWith(comediPrefix) && name.size() > comediPrefix.size()) {
        device = name.mid(comediPrefix.size());
        return CardChoice::Comedi;
    }
    return std::nullopt;
}

// "--name=value" or "--name value"; advances i past the value.
std::optional<QString> ValueOf(const QStringList& args, int& i, const QString& name, bool& missing) {
    const QString& a = args[i];
    const QString prefix = name + QLatin1Char('=');
    if (a.startsWith(prefix))
        return a.mid(prefix.size());
    if (a == name) {
        if (i + 1 >= args.size()) {
            missing = true;
            return std::nullopt;
        }
        return args[++i];
    }
    return std::nullopt;
}

} // namespace

QString UsageText() {
    return QStringLiteral(
        "Usage: corvin [options] [FILE.DAT]\n"
        "Runs tests on the MULTIQ seven-channel micro-ampere instrument.\n"
        "\n"
        "FILE.DAT, a test data file, is opened for playback once Corvin has started; when a\n"
        "Corvin already runs for the same home, that one opens it. It is not opened while a test\n"
        "or another window is open.\n"
        "\n"
        "Options:\n"
        "  --card=none|sim|comedi[:DEVICE]\n"
        "                        the acquisition card: none (no card fitted, the default), the\n"
        "                        simulated instrument, or a real PCI230 card through Comedi\n"
        "                        (the first of /dev/comedi0..7 that is one, or DEVICE)\n"
        "  --home=DIR            the Corvin home: probe files, data, BAR.CFG and the settings\n"
        "                        (created when it does not exist)\n"
        "  --sim-profile=FILE    channel currents of the simulated instrument\n"
        "  --history=postgresql://[USER[:PASSWORD]@]HOST[:PORT]/DATABASE\n"
        "                        keep the test history in a lab's PostgreSQL database, shared by\n"
        "                        its stations (the home's own history.sqlite by default; also\n"
        "                        set in Options > Preferences)\n"
        "  --help                this text\n"
        "  --version             the program's version\n"
        "  --                    ends the options: what follows is the file, even when it\n"
        "                        starts with a dash\n"
        "\n"
        "Environment: CORVIN_CARD, CORVIN_HOME, CORVIN_SIM_PROFILE and CORVIN_HISTORY do what the\n"
        "options do; the options win.\n");
}

ParseResult ParseCommandLine(const QStringList& arguments,
                             const std::function<QString(const char*)>& environment,
                             const QString& defaultHome) {
    Options o;
    QString card = environment("CORVIN_CARD");
    QString home = environment("CORVIN_HOME");
    o.simulatorProfile = environment("CORVIN_SIM_PROFILE");
    o.historyServer = environment("CORVIN_HISTORY");
    bool cardFromEnvironment = !card.isEmpty();
    QString file;
    bool optionsEnded = false;

    for (int i = 0; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        bool missing = false;
        if (optionsEnded || !a.startsWith(QLatin1Char('-'))) {
            if (!file.isNull())
                return {
                    std::nullopt,
                    QStringLiteral("only one test data file can be opened, not '%1' and '%2'").arg(file, a)};
            if (a.isEmpty())
                return {std::nullopt, QStringLiteral("the test data file has an empty name")};
            file = a;
        } else if (a == QLatin1String("--")) {
            optionsEnded = true;
        } else if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            o.showHelp = true;
        } else if (a == QLatin1String("--version")) {
            o.showVersion = true;
        } else if (auto v = ValueOf(arguments, i, QStringLiteral("--card"), missing)) {
            card = *v;
            cardFromEnvironment = false;
            // "--card=" names no card: a mistake, not a choice of the default.
            if (card.isEmpty())
                return {std::nullopt,
                        QStringLiteral("unknown card '': use none, sim, comedi or comedi:DEVICE")};
        } else if (auto h = ValueOf(arguments, i, QStringLiteral("--home"), missing)) {
            home = *h;
            if (home.isEmpty())
                return {std::nullopt, QStringLiteral("--home needs a folder")};
        } else if (auto p = ValueOf(arguments, i, QStringLiteral("--sim-profile"), missing)) {
            o.simulatorProfile = *p;
        } else if (auto h = ValueOf(arguments, i, QStringLiteral("--history"), missing)) {
            o.historyServer = *h;
        } else if (missing) {
            return {std::nullopt, QStringLiteral("%1 needs a value").arg(a)};
        } else {
            return {std::nullopt, QStringLiteral("unknown option '%1' (see corvin --help)").arg(a)};
        }
    }

    if (!o.historyServer.isEmpty()) {
        history::ServerAddress address;
        if (Status s = history::ParseServerAddress(o.historyServer, address); !s)
            return {std::nullopt, s.message()};
    }
    if (!card.isEmpty()) {
        const auto choice = CardNamed(card, o.cardDevice);
        if (!choice) {
            return {std::nullopt,
                    QStringLiteral("unknown card '%1'%2: use none, sim, comedi or comedi:DEVICE")
                        .arg(card, cardFromEnvironment ? QStringLiteral(" in CORVIN_CARD") : QString())};
        }
        o.card = *choice;
    }
    o.home = QDir::cleanPath(QFileInfo(home.isEmpty() ? defaultHome : home).absoluteFilePath());
    if (!file.isNull()) {
        // A file manager may hand over a URL instead of a path.
        if (file.startsWith(QLatin1String("file:"))) {
            const QUrl url(file);
            if (url.isLocalFile())
                file = url.toLocalFile();
        }
        // Absolute against the folder corvin was started in: a Corvin already running elsewhere
        // opens it too.
        o.testDataFile = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    }
    return {o, {}};
}

std::optional<QString> PrepareHome(const QString& home) {
    const QFileInfo info(home);
    if (info.exists() && !info.isDir())
        return QStringLiteral("The Corvin home %1 is a file, not a folder.").arg(home);
    if (!info.exists() && !QDir().mkpath(home))
        return QStringLiteral("The Corvin home %1 cannot be created.").arg(home);
    // Writing a scratch file is the only sure test (permissions, read-only mounts, ACLs).
    QTemporaryFile probe(QDir(home).filePath(QStringLiteral(".corvin-write-check-XXXXXX")));
    if (!probe.open())
        return QStringLiteral("The Corvin home %1 cannot be written to.").arg(home);
    // The probes folder is made at start-up; something else of that name would stop that.
    const QFileInfo probes(QDir(home).filePath(QStringLiteral("Probes")));
    if ((probes.exists() || probes.isSymLink()) && !probes.isDir())
        return QStringLiteral("The probes folder %1 is a file, not a folder. Move it out of the way and "
                              "start Corvin again.")
            .arg(probes.filePath());
    return std::nullopt;
}

} // namespace corvin::app
