#include "app/MainWindow.h"

#include "app/EnablingRules.h"
#include "app/Startup.h"
#include "app/frmAbout.h"
#include "common/Pictures.h"
#include "common/TextTrim.h"
#include "datafiles/RecoveryOffer.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestRecord.h"
#include "history/ServerAddress.h"
#include "history/TestHistory.h"
#include "history/frmTestHistory.h"
#include "livetest/TestWindowLayout.h"
#include "livetest/TrendStripPanel.h"
#include "livetest/frmStdTestLogging.h"
#include "platform/QtDialogs.h"
#include "playback/StoredTestOpener.h"
#include "playback/frmPeriodDataSetup.h"
#include "playback/frmPeriodicDataGraph.h"
#include "probes/ProbeFile.h"
#include "probes/frmProbeConfig.h"
#include "probes/frmStandardSignOn.h"
#include "settings/BarColourFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RecentFilesMenu.h"
#include "settings/RegistryStore.h"
#include "settings/ViewPreferenceSettings.h"
#include "settings/cRegistry.h"
#include "settings/frmGraphColor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace corvin::app {
namespace {

const QString kNoProbes = QStringLiteral("<No Probe Devices Available>");

// The recent-files list's place in the settings store.
settings::cRegistry RecentFilesKey(settings::RegistryStore& store) {
    settings::cRegistry registry(store);
    registry.setClassKey(static_cast<int32_t>(settings::kHkeyCurrentUser));
    registry.setSectionKey(settings::kRecentFilesKey);
    return registry;
}

// A menu caption shows "&" as an access-key mark: the path's own "&" is doubled so it shows as it
// is, and only the entry's digit stays the access key.
QString ShownAsIs(const QString& caption) {
    const qsizetype pathStart = caption.indexOf(QStringLiteral(")  ")) + 3;
    return caption.left(pathStart) + caption.mid(pathStart).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// "PROBE, started 2026-12-08 14:03, verdict FAIL", flagged when the data file changed since.
QString RecordCaption(const datafiles::RecordReading& reading) {
    const datafiles::TestRecord& r = reading.record;
    QStringList parts;
    parts << (r.probeName.trimmed().isEmpty() ? QStringLiteral("no probe named") : r.probeName.trimmed());
    if (r.start.isValid())
        parts << QStringLiteral("started ") + r.start.toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    if (r.verdicts)
        parts << QStringLiteral("verdict ") + datafiles::VerdictName(r.verdicts->test);
    QString caption = parts.join(QStringLiteral(", "));
    if (reading.state == datafiles::RecordState::Changed)
        caption += QStringLiteral(" (") + datafiles::kRecordChangedText + QStringLiteral(")");
    return caption;
}

} // namespace

MainWindow::MainWindow(AppServices services, QWidget* parent) : QMainWindow(parent), m_services(services) {
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Tarvik CORVIN"));
    setWindowIcon(Pictures::applicationWindowIcon());
    m_client = new QMdiArea(this);
    m_client->setObjectName(QStringLiteral("MDIClient"));
    m_client->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(m_client);
    m_client->viewport()->installEventFilter(this);
    m_barView = new QtCommandBar(m_bar, *this);
    m_notice = new QLabel(this);
    m_notice->setObjectName(QStringLiteral("notice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setContentsMargins(0, 0, 16, 0); // a gap before the date pane that follows it
    statusBar()->addWidget(m_notice, 1);
    m_noticeTimer = new QTimer(this);
    m_noticeTimer->setSingleShot(true);
    connect(m_noticeTimer, &QTimer::timeout, m_notice, &QLabel::clear);
    makeCommands();
    connect(&m_bar, &CommandBar::toolClicked, this, &MainWindow::ActiveBar21_ToolClick);
    connect(this, &MainWindow::shellEvent, this, &MainWindow::applyEnablingRule);
    // A change of the toolbar (shown or hidden) changes the client area: the band notification
    // lays the child window out again.
    connect(m_barView->toolBar(), &QToolBar::visibilityChanged, this, [this] { bandChanged(); });
    resize(1024, 720);
}

MainWindow::~MainWindow() {
    // The child windows go while this window is still whole: they call back into it
    // (WindowDestroyed) as they go, which QWidget's own clean-up would do too late.
    for (QMdiSubWindow* sub : m_client->subWindowList())
        delete sub;
}

bool MainWindow::Form_Load() {
    SharedState& state = m_services.state;
    platform::Desktop& desktop = m_services.desktop;

    // The probe folder beside the program's other files.
    state.folders.ProbesFolder = state.folders.Home + QStringLiteral("/Probes");
    state.folders.HelpFile = QStringLiteral("Splash.htm");
    QDir().mkpath(state.folders.ProbesFolder);

    // The recent-files list from the settings store, always four entries long from now on;
    // a file that has gone since the last run drops out.
    settings::cRegistry recentKey = RecentFilesKey(m_services.registry);
    m_recent.Load(recentKey);
    m_recent.setMaxFileCount(settings::kRecentFilesCapacity);
    rebuildRecentFiles();
    // The graph style and the trend strip as the user left them.
    state.preferences = settings::ReadViewPreferences(m_services.registry);
    processEvents();

    // The commands enabled as at start-up.
    report(ShellEvent::Startup);
    m_bar.setEnabled(band::mnuFile, tool::mFPrintGraph, false);
    // The date pane shows today's date, and the next one after midnight.
    showToday();
    auto* dateTimer = new QTimer(this);
    connect(dateTimer, &QTimer::timeout, this, &MainWindow::showToday);
    dateTimer->start(60 * 1000);

    // Without a printer Corvin cannot run.
    if (!PrinterCheckPasses(desktop.printers)) {
        desktop.dialogs.message({kNoPrinterMessage, platform::Icon::Information});
        m_unloaded = true;
        return false;
    }

    // The acquisition card, or the message that there is none.
    StartCard(m_services.card, state.instrument, desktop.dialogs);

    // The bar colours.
    if (Status s = settings::BarColourFile::Load(state.folders.barColourFile(), state.BarColours); !s)
        desktop.dialogs.critical(s.message());

    // What the start-up found worth saying (a settings store set aside, ...).
    if (!m_startupNotice.isEmpty())
        desktop.dialogs.information(m_startupNotice);

    // Tests logged but never saved (a crash, a power cut) are offered for saving.
    datafiles::RecoveryOffer recovery(state.folders.recoveryFolder(), state.folders.dataFolder(),
                                      desktop.dialogs);
    recovery.run();
    startHistory();
    for (const QString& saved : recovery.savedFiles())
        testSaved(saved);
    m_loaded = true;
    // A file named from outside during the start-up opens once the window is up.
    if (!m_pendingFile.isEmpty()) {
        QMetaObject::invokeMethod(
            this, [this, path = std::exchange(m_pendingFile, QString())] { openTestDataFile(path); },
            Qt::QueuedConnection);
    }
    return true;
}

QMdiSubWindow* MainWindow::frontSubWindow() const {
    // Without the focus (another program in front) no sub-window is active: the newest is in front.
    if (QMdiSubWindow* sub = m_client->activeSubWindow())
        return sub;
    const QList<QMdiSubWindow*> all = m_client->subWindowList();
    return all.isEmpty() ? nullptr : all.constLast();
}

QWidget* MainWindow::activeChild() const {
    QMdiSubWindow* sub = frontSubWindow();
    return sub ? sub->widget() : nullptr;
}

template <typename Window> Window* MainWindow::childWindow() const {
    for (QMdiSubWindow* sub : m_client->subWindowList()) {
        if (auto* w = qobject_cast<Window*>(sub->widget()))
            return w;
    }
    return nullptr;
}

livetest::frmStdTestLogging* MainWindow::testWindow() const {
    return childWindow<livetest::frmStdTestLogging>();
}

playback::frmPeriodicDataGraph* MainWindow::graphWindow() const {
    return childWindow<playback::frmPeriodicDataGraph>();
}

// ---- Commands ------------------------------------------------------------------------------

bool MainWindow::bringTestWindowForward() {
    livetest::frmStdTestLogging* test = testWindow();
    if (!test)
        return false;
    for (QMdiSubWindow* sub : m_client->subWindowList()) {
        if (sub->widget() == test) {
            m_client->setActiveSubWindow(sub);
            sub->raise();
        }
    }
    raise();
    activateWindow();
    return true;
}

// ---- Stored tests ----------------------------------------------------------------------------

void MainWindow::openWithDialog() {
    report(ShellEvent::StoredTestOpening);
    playback::StoredTestOpener opener(m_services.state, m_services.desktop.dialogs, m_recent);
    if (opener.openWithDialog() != playback::OpenOutcome::Opened) {
        // Cancelled or refused (the reason has been shown): back to where the user was.
        report(ShellEvent::StoredTestOpeningFailed);
        return;
    }
    noteTestRecord(opener.path());
    rebuildRecentFiles();
    processEvents();
    showPlayback();
}

void MainWindow::openRecentFile(const QString& tag) {
    playback::StoredTestOpener opener(m_services.state, m_services.desktop.dialogs, m_recent);
    const playback::OpenOutcome outcome = opener.openRecent(tag);
    openedByName(outcome, opener.path());
}

void MainWindow::openByName(const QString& path) {
    playback::StoredTestOpener opener(m_services.state, m_services.desktop.dialogs, m_recent);
    const playback::OpenOutcome outcome = opener.openByName(path);
    openedByName(outcome, opener.path());
}

void MainWindow::openedByName(playback::OpenOutcome outcome, const QString& path) {
    // A file that could not be read leaves the menus as they were.
    if (outcome != playback::OpenOutcome::Opened)
        return;
    noteTestRecord(path);
    report(ShellEvent::StoredTestOpening);
    showPlayback();
}

void MainWindow::noteTestRecord(const QString& path) {
    // A record that is missing, unreadable or foreign never stops the test from opening.
    m_openPath = path;
    m_openRecord = datafiles::ReadRecordBeside(path);
    const QString name = QFileInfo(path).fileName();
    switch (m_openRecord.state) {
    case datafiles::RecordState::None:
        break;
    case datafiles::RecordState::Matches:
        showNotice(name + QStringLiteral(": ") + RecordCaption(m_openRecord));
        break;
    case datafiles::RecordState::Changed:
    case datafiles::RecordState::Unusable:
        showNotice(name + QStringLiteral(": ") + m_openRecord.message);
        break;
    }
}

void MainWindow::showPlayback() {
    // At the text size of the graph window, as when the graph's ReSelect shows it again.
    playback::frmPeriodDataSetup setup(m_services.state, m_services.desktop.dialogs, *this, this);
    connect(&setup, &playback::frmPeriodDataSetup::graphRequested, this, &MainWindow::showGraph);
    setup.exec();
}

void MainWindow::showGraph() {
    if (playback::frmPeriodicDataGraph* graph = graphWindow()) {
        for (QMdiSubWindow* sub : m_client->subWindowList()) {
            if (sub->widget() == graph)
                m_client->setActiveSubWindow(sub);
        }
        return;
    }
    auto* graph = new playback::frmPeriodicDataGraph(m_services.state, m_services.desktop, *this);
    graph->setStoredTestFile(m_openPath);
    if (m_openRecord.state == datafiles::RecordState::Matches ||
        m_openRecord.state == datafiles::RecordState::Changed)
        graph->showTestRecord(RecordCaption(m_openRecord), datafiles::RecordLines(m_openRecord.record));
    addChild(graph);
    // File > Print Graph prints the open graph, and only while there is one.
    m_bar.setEnabled(band::mnuFile, tool::mFPrintGraph, true);
    connect(graph, &QObject::destroyed, this,
            [this] { m_bar.setEnabled(band::mnuFile, tool::mFPrintGraph, false); });
}

QString MainWindow::notOpenedWhileBusyMessage(const QString& path) {
    return QStringLiteral("The test data file") + QLatin1Char('\n') + path + QLatin1Char('\n') +
           QStringLiteral("was not opened because Corvin is busy with a test, a stored test or a "
                          "dialog. Finish that first, then open the file again.");
}

bool MainWindow::idleForStoredTest() const {
    // File > Open is available exactly when no test, probe selection or stored test is open; a
    // dialog of the main window (the conversion utility works on the same data) counts too.
    return !m_services.state.session.TestRunning() && m_client->subWindowList().isEmpty() &&
           !QApplication::activeModalWidget() && m_bar.isEnabled(band::mnuFile, tool::mFOpen);
}

void MainWindow::openTestDataFile(const QString& path) {
    if (!m_loaded) {
        m_pendingFile = path;
        return;
    }
    bringToFront();
    if (!idleForStoredTest()) {
        m_services.desktop.dialogs.information(notOpenedWhileBusyMessage(path));
        return;
    }
    openByName(path);
}

void MainWindow::bringToFront() {
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void MainWindow::rebuildRecentFiles() {
    using settings::RecentFilesMenu;
    const RecentFilesMenu::Rebuild rebuild = RecentFilesMenu::forList(m_recent);
    for (const RecentFilesMenu::Entry& entry : rebuild.entries) {
        m_bar.setCaption(settings::kRecentFilesBand, entry.tool, ShownAsIs(entry.caption));
        m_bar.setTag(settings::kRecentFilesBand, entry.tool, entry.tag);
        m_bar.setVisible(settings::kRecentFilesBand, entry.tool, true);
        // While a stored test is open the entries stay unavailable, the newly shown one too.
        m_bar.setEnabled(settings::kRecentFilesBand, entry.tool, m_recentEnabled);
    }
    m_bar.setVisible(settings::kRecentFilesBand, settings::kRecentFilesSeparator, rebuild.separatorVisible);
}

void MainWindow::standardTest() {
    report(ShellEvent::StandardTestChosen);
    auto* window = new probes::frmStandardSignOn(m_services.state, m_services.desktop.dialogs, *this,
                                                 m_services.registry);
    addChild(window, true);
}

void MainWindow::autoTest() {
    SharedState& state = m_services.state;
    state.DefaultProbeName = settings::ReadDefaultProbeName(m_services.registry);
    const QString name = state.DefaultProbeName;
    if (!name.isEmpty() && !name.contains(kNoProbes)) {
        QDir::setCurrent(state.folders.ProbesFolder);
        const std::optional<QString> path = probes::ResolveProbePath(state.folders.ProbesFolder, name);
        if (path && QFileInfo::exists(*path)) {
            cProbe probe;
            if (probes::ReadProbeFile(*path, probe).ok()) {
                state.DefaultProbe = probe;
                state.session.AutoTestMode = true;
                report(ShellEvent::AutoTestStarted);
                showStatus(pane::miDefaultProbe, TrimSpaces(name).toUpper());
                openTestWindow();
                return;
            }
        }
    }
    m_services.desktop.dialogs.information(QStringLiteral("No Default Probe") + QLatin1Char('\n') +
                                           QStringLiteral("Setup Default Probe and Re Try"));
}

void MainWindow::exitCommand() {
    ReleaseCard(m_services.card, m_services.state.instrument);
    close();
}

void MainWindow::printerSetup() {
    platform::Printers& printers = m_services.desktop.printers;
    if (auto chosen = m_services.desktop.dialogs.printSetup(printers.defaultPrinter()))
        printers.setDefaultPrinter(*chosen);
}

void MainWindow::showBarColours() {
    settings::frmGraphColor dialog(m_services.state, m_services.desktop.dialogs, this);
    matchTestWindowText(dialog);
    const GraphStyleKind styleBefore = m_services.state.preferences.graphStyle;
    const QString serverBefore = m_services.state.preferences.historyServer;
    connect(&dialog, &settings::frmGraphColor::saved, this, [this, styleBefore, serverBefore] {
        storeHistoryServer(serverBefore);
        if (auto* test = testWindow())
            test->barColoursSaved();
        const GraphStyleKind style = m_services.state.preferences.graphStyle;
        if (style != styleBefore) {
            if (Status s = settings::WriteGraphStyle(m_services.registry, style); !s)
                showNotice(QStringLiteral("The graph style could not be stored: ") + s.message());
            if (playback::frmPeriodicDataGraph* graph = graphWindow())
                graph->graphStyleChanged();
        }
    });
    connect(&dialog, &settings::frmGraphColor::cancelled, this, [this] {
        if (auto* test = testWindow())
            test->barColoursCancelled();
    });
    dialog.exec();
}

void MainWindow::storeHistoryServer(const QString& before) {
    QString& server = m_services.state.preferences.historyServer;
    if (server == before)
        return;
    history::ServerAddress address;
    if (Status s = history::ParseServerAddress(server, address); !server.isEmpty() && !s) {
        m_services.desktop.dialogs.critical(
            QStringLiteral("The lab history server was not changed: %1").arg(s.message()));
        server = before;
        return;
    }
    if (Status s = settings::WriteHistoryServer(m_services.registry, server); !s) {
        showNotice(QStringLiteral("The lab history server could not be stored: ") + s.message());
        return;
    }
    showNotice(server.isEmpty() ? QStringLiteral("From the next start the test history is this PC's own.")
                                : QStringLiteral("From the next start the test history is the lab's at %1.")
                                      .arg(address.shown()));
}

void MainWindow::showHelpContents() {
    m_services.desktop.help.showHelp(QStringLiteral("Splash.htm"));
}

void MainWindow::showAbout() {
    auto* about = new frmAbout(m_services.desktop.help, this);
    matchTestWindowText(*about);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::showProbeCreation() {
    probes::frmProbeConfig dialog(m_services.state, m_services.desktop.dialogs, m_services.registry, this);
    matchTestWindowText(dialog);
    dialog.exec();
}

void MainWindow::matchTestWindowText(QWidget& dialog) const {
    if (m_textScale > 0)
        dialog.setFont(platform::TextAtScale(m_textScale));
}

void MainWindow::openTestWindow() {
    auto* window = new livetest::frmStdTestLogging(m_services.state, m_services.card, m_services.pauser,
                                                   m_services.desktop, *this);
    // The trend strip's toggle is remembered for the next test and the next run.
    connect(&window->trendStrip(), &livetest::TrendStripPanel::toggled, this, [this](bool on) {
        if (Status s = settings::WriteTrendStrip(m_services.registry, on); !s)
            showNotice(QStringLiteral("The trend strip's setting could not be stored: ") + s.message());
    });
    addChild(window);
}

// ---- Frame operations ------------------------------------------------------------------------

void MainWindow::report(ShellEvent event) {
    emit shellEvent(event);
}

void MainWindow::applyEnablingRule(ShellEvent event) {
    const RuleOutcome outcome = ApplyEnablingRule(m_bar, event);
    if (outcome.recentFiles == RecentFilesChange::Enable)
        enableRecentFiles();
    else if (outcome.recentFiles == RecentFilesChange::Disable)
        disableRecentFiles();
    if (outcome.runFileClose)
        FileClose();
}

void MainWindow::showToday() {
    const QString today = datafiles::ShortDateText(m_services.desktop.clock.now().date());
    if (m_bar.caption(band::sb, pane::tDate) != today)
        m_bar.setCaption(band::sb, pane::tDate, today);
}

void MainWindow::showStatus(const QString& pane, const QString& text) {
    m_bar.showStatus(pane, text);
}

void MainWindow::startHistory() {
    m_history =
        std::make_unique<history::TestHistory>(m_services.state.folders.Home, m_services.desktop.clock);
    if (!m_history->notice().isEmpty())
        m_services.desktop.dialogs.information(m_history->notice());
    // What the rescan found is worth a word only when something changed or it failed, and never
    // over a note the user is reading (the rescan ends whenever it ends).
    connect(m_history.get(), &history::TestHistory::rescanFinished, this,
            [this](const QString& text, bool ok) {
                if ((!ok || !text.contains(QLatin1String("nothing new"))) && m_notice->text().isEmpty())
                    showNotice(text);
            });
    const QString server = m_services.historyServer.isEmpty() ? m_services.state.preferences.historyServer
                                                              : m_services.historyServer;
    if (!server.isEmpty()) {
        if (Status s = m_history->useServer(server); !s)
            m_services.desktop.dialogs.information(
                QStringLiteral(
                    "The lab history server is not used: %1. Tests are kept in this PC's own history.")
                    .arg(s.message()));
    }
    // How far the lab's server is: said when it changes (a queue waiting, the server back).
    connect(m_history.get(), &history::TestHistory::serverStateChanged, this, [this](const QString& text) {
        if (text != m_lastServerState)
            showNotice(text);
        m_lastServerState = text;
    });
    m_history->startRescan();
}

void MainWindow::testSaved(const QString& path) {
    if (!m_history)
        return;
    if (Status s = m_history->noteSaved(path); !s)
        showNotice(
            QStringLiteral("%1 is saved, but the test history could not note it (%2); the next rescan will.")
                .arg(path, s.message()));
}

void MainWindow::showHistory() {
    if (!m_history)
        return;
    if (m_historyWindow) {
        m_historyWindow->raise();
        m_historyWindow->activateWindow();
        return;
    }
    m_historyWindow = new history::frmTestHistory(
        *m_history, m_services.desktop, m_services.state.folders.ProbesFolder,
        [this](const QString& path) { openTestDataFile(path); }, this);
    matchTestWindowText(*m_historyWindow);
    m_historyWindow->show();
}

void MainWindow::showNotice(const QString& text) {
    m_notice->setText(text);
    m_noticeTimer->start(15000);
}

void MainWindow::DisplayFullscreen() {
    m_services.state.display.FullScreenMode = true;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showFullScreenLayout();
    report(ShellEvent::FullScreenShown);
}

void MainWindow::DisplayNormal() {
    report(ShellEvent::NormalShown);
    m_services.state.display.FullScreenMode = false;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showNormalLayout();
}

void MainWindow::enableRecentFiles() {
    m_recentEnabled = true;
    const settings::RecentFilesMenu::Switch change = settings::RecentFilesMenu::toSwitch(m_recent);
    for (const QString& tool : change.tools) {
        // A hidden action reads as disabled whatever it was set to: shown first.
        m_bar.setVisible(settings::kRecentFilesBand, tool, true);
        m_bar.setEnabled(settings::kRecentFilesBand, tool, true);
    }
    m_bar.setVisible(settings::kRecentFilesBand, settings::kRecentFilesSeparator, change.separatorVisible);
}

void MainWindow::disableRecentFiles() {
    m_recentEnabled = false;
    const settings::RecentFilesMenu::Switch change = settings::RecentFilesMenu::toSwitch(m_recent);
    for (const QString& tool : change.tools)
        m_bar.setEnabled(settings::kRecentFilesBand, tool, false);
    m_bar.setVisible(settings::kRecentFilesBand, settings::kRecentFilesSeparator, change.separatorVisible);
}

void MainWindow::FileClose() {
    // Child windows count themselves down as they close, so the count is right at once (and a
    // child may ask for FileClose from its own handler: it is deleted later, not here).
    if (m_childWindows != 0) {
        if (QMdiSubWindow* sub = frontSubWindow())
            sub->close();
    }
    report(m_childWindows != 0 ? ShellEvent::FileClosedChildrenLeft : ShellEvent::FileClosedNoChildLeft);
}

void MainWindow::setFrameEnabled(bool enabled) {
    // The menus, toolbar and client area, not the window itself: disabling a window would
    // disable the range dialogs that belong to it as well.
    menuBar()->setEnabled(enabled);
    m_barView->toolBar()->setEnabled(enabled);
}

void MainWindow::processEvents() {
    QCoreApplication::processEvents();
}

void MainWindow::addChild(QWidget* child, bool closeBox) {
    child->setAttribute(Qt::WA_DeleteOnClose);
    const Qt::WindowFlags flags = closeBox ? Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint
                                           : Qt::SubWindow | Qt::FramelessWindowHint;
    QMdiSubWindow* sub = m_client->addSubWindow(child, flags);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    connect(child, &QObject::destroyed, sub, [sub] { sub->close(); });
    sub->setGeometry(m_client->viewport()->rect());
    sub->show();
    m_client->setActiveSubWindow(sub);
}

void MainWindow::bandChanged() {
    if (!activeChild())
        return;
    fitChildren();
    if (m_services.state.display.FullScreenMode) {
        DisplayNormal();
        processEvents();
        DisplayFullscreen();
    }
}

void MainWindow::fitChildren() {
    for (QMdiSubWindow* sub : m_client->subWindowList())
        sub->setGeometry(m_client->viewport()->rect());
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    // The child window always fills the client area.
    if (watched == m_client->viewport() && event->type() == QEvent::Resize) {
        fitChildren();
        const double scale = livetest::LayoutScale(m_client->viewport()->size());
        if (scale != m_textScale) {
            m_textScale = scale;
            emit textScaleChanged(scale);
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitChildren();
}

// ---- Closing ---------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    // Nor does it close under a dialog that waits for an answer (a range dialog, a question):
    // the window manager's close box reaches the window even while the dialog blocks it.
    if (m_services.state.session.TestRunning() || QApplication::activeModalWidget()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

void MainWindow::Form_Unload() {
    if (m_unloaded)
        return;
    m_unloaded = true;
    settings::cRegistry recentKey = RecentFilesKey(m_services.registry);
    m_recent.Save(recentKey);
    for (QMdiSubWindow* sub : m_client->subWindowList())
        sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseCard(m_services.card, m_services.state.instrument);
}

} // namespace corvin::app
