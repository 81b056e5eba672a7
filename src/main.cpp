// corvin: the command line, the Corvin home, one instance per home (a second start hands its
// test data file to the first), and the start of the main window with the card, the settings
// store and the desktop it works with.

#include "app/CommandLine.h"
#include "app/MainWindow.h"
#include "app/QtSingleInstance.h"
#include "app/StaleTemporaries.h"
#include "app/StartupRefusal.h"
#include "common/BuildInfo.h"
#include "common/Clock.h"
#include "common/Pictures.h"
#include "common/SharedState.h"
#include "instrument/ComediCard.h"
#include "instrument/LibComedi.h"
#include "instrument/NoCard.h"
#include "instrument/SimulatedCard.h"
#include "instrument/SimulatorProfile.h"
#include "instrument/SleepPauser.h"
#include "platform/QtDesktop.h"
#include "platform/QtDialogs.h"
#include "platform/QtPrinters.h"
#include "settings/RegistryStore.h"
#include "settings/StoreLocation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>
#include <cstdio>
#include <iostream>
#include <memory>

using namespace corvin;

namespace {

int Fail(const QString& message) {
    std::fprintf(stderr, "corvin: %s\n", qPrintable(message));
    return 2;
}

// A refusal after the command line was understood: also in a message box when a desktop is
// there, since a Corvin started from the desktop menu has no terminal.
int Refuse(int& argc, char** argv, const QString& message) {
    if (!app::DesktopAvailable(qEnvironmentVariable("QT_QPA_PLATFORM"),
                               qEnvironmentVariableIsSet("DISPLAY") ||
                                   qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))) {
        app::ReportStartupRefusal(message, stderr, nullptr);
        return 2;
    }
    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Corvin"));
    platform::QtDialogs dialogs;
    app::ReportStartupRefusal(message, stderr, &dialogs);
    return 2;
}

QStringList ArgumentsOf(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    return args;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication::setOrganizationName(QStringLiteral("Tarvik"));
    QCoreApplication::setApplicationName(QStringLiteral("Corvin"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(kVersion));

    // The command line is read before any window system is reached, so --help and mistakes are
    // answered on the terminal even without a display.
    const app::ParseResult parsed = app::ParseCommandLine(
        ArgumentsOf(argc, argv), [](const char* name) { return qEnvironmentVariable(name); },
        settings::DefaultHome());
    if (!parsed.options)
        return Fail(parsed.error);
    const app::Options& options = *parsed.options;
    if (options.showHelp) {
        std::fputs(qPrintable(app::UsageText()), stdout);
        return 0;
    }
    if (options.showVersion) {
        std::printf("corvin %s\n", kVersion);
        return 0;
    }
    // Without a window system Qt would abort, after the home was made: say why, touching nothing.
    if (!app::DisplayReachable(qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariableIsSet("DISPLAY"),
                               qEnvironmentVariableIsSet("WAYLAND_DISPLAY")))
        return Fail(app::kNoDisplayMessage);
    if (auto problem = app::PrepareHome(options.home))
        return Refuse(argc, argv, *problem);

    SystemClock clock;
    instrument::LibComedi comedi;
    std::unique_ptr<instrument::CardLibrary> card;
    if (options.card == app::CardChoice::Simulated) {
        instrument::SimulatorProfile profile = instrument::SimulatorProfile::demo();
        if (!options.simulatorProfile.isEmpty()) {
            if (Status s = instrument::SimulatorProfile::Load(options.simulatorProfile, profile); !s)
                return Refuse(argc, argv, s.message());
        }
        card = std::make_unique<instrument::SimulatedCard>(clock, profile);
    } else if (options.card == app::CardChoice::Comedi) {
        // Why a device cannot be used goes to standard error; the program then runs as with no card.
        card = std::make_unique<instrument::ComediCard>(
            comedi, QFile::encodeName(options.cardDevice).toStdString(), std::cerr);
    } else {
        card = std::make_unique<instrument::NoCard>();
    }

    QApplication application(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Corvin"));
    // The desktop entry's name (without .desktop) is the application id the window system sees, so
    // that Wayland compositors and X11 task bars find the entry's name and icon for our windows.
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopId));
    QGuiApplication::setWindowIcon(Pictures::applicationWindowIcon());

    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    app::QtSingleInstance instance(options.home, runtime);
    if (!instance.claim(options.testDataFile)) {
        if (instance.handedOver())
            return 0;
        return Fail(
            QStringLiteral("a Corvin already runs for the home %1 but does not answer").arg(options.home));
    }
    // Only this Corvin works in the home now: what a killed one left half-saved can go.
    app::RemoveStaleTemporaries(options.home);

    const QString storePath = settings::SettingsStorePath(options.home);
    QDir().mkpath(QFileInfo(storePath).path());
    settings::RegistryStore registry(storePath, clock);

    platform::QtDialogs dialogs;
    platform::QtPrinters printers(QDir(options.home).filePath(QStringLiteral("Printouts")));
    platform::QtClipboard clipboard;
    platform::QtHelp help;
    platform::Desktop desktop{dialogs, printers, clipboard, help, clock};
    instrument::SleepPauser pauser;

    SharedState state;
    state.folders.Home = options.home;
    state.instrument.cardKind = options.card == app::CardChoice::Simulated ? QStringLiteral("sim")
                                : options.card == app::CardChoice::Comedi  ? QStringLiteral("comedi")
                                                                           : QStringLiteral("none");
    state.instrument.cardDevice = options.cardDevice;

    app::MainWindow window({state, *card, pauser, desktop, registry, options.historyServer});
    dialogs.setParent(&window);
    window.setStartupNotice(registry.notice());
    QObject::connect(&instance, &app::QtSingleInstance::raiseRequested, &window,
                     &app::MainWindow::bringToFront);
    // Queued: the open shows modal windows, which must not run inside the socket's own handler.
    QObject::connect(&instance, &app::QtSingleInstance::openRequested, &window,
                     &app::MainWindow::openTestDataFile, Qt::QueuedConnection);
    QObject::connect(&window, &app::MainWindow::textScaleChanged, &window,
                     [&dialogs](double scale) { dialogs.setTextScale(scale); });
    // The file of the command line opens once the start-up has finished and the window is up.
    if (!options.testDataFile.isEmpty())
        window.openTestDataFile(options.testDataFile);
    if (!window.Form_Load())
        return 1;
    // Open as large as the screen allows; a desktop that maximises windows does the rest.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        window.resize(screen->availableSize());
    window.showMaximized();
    return application.exec();
}
