#include "app/MainWindow.h"

#include "app/Startup.h"
#include "app/frmAbout.h"
#include "common/EnablingRules.h"
#include "common/Pictures.h"
#include "datafiles/RecoveryOffer.h"
#include "datafiles/frmDataEntry.h"
#include "datafiles/frmTestOptions.h"
#include "livetest/TestWindowLayout.h"
#include "livetest/frmStdTestLogging.h"
#include "platform/QtDialogs.h"
#include "probes/ProbeFile.h"
#include "probes/frmProbeConfig.h"
#include "probes/frmStandardSignOn.h"
#include "settings/BarColourFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/frmGraphColor.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace corvin::app {
namespace {

const QString kNoProbes = QStringLiteral("<No Probe Devices Available>");

} // namespace

MainWindow::MainWindow(AppServices services, QWidget* parent) : QMainWindow(parent), m_services(services) {
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Tarvik CORVIN"));
    setWindowIcon(Pictures::ApplicationWindowIcon());
    m_client = new QMdiArea(this);
    m_client->setObjectName(QStringLiteral("MDIClient"));
    m_client->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(m_client);
    m_client->viewport()->installEventFilter(this);
    m_barView = new QtCommandBar(m_bar, *this);
    connect(&m_bar, &CommandBar::toolClicked, this, &MainWindow::ActiveBar21_ToolClick);
    connect(this, &MainWindow::shellEvent, this, &MainWindow::applyEnablingRule);
    // A change of the toolbar (shown or hidden) changes the client area: the band notification
    // lays the child window out again.
    connect(m_barView->toolBar(), &QToolBar::visibilityChanged, this, [this] { BandChanged(); });
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

    // 1-2: the probe folder beside the program's other files.
    state.folders.ProbesFolder = state.folders.Home + QStringLiteral("/Probes");
    state.folders.HelpFile = QStringLiteral("Splash.htm");
    QDir().mkpath(state.folders.ProbesFolder);

    // 3: the recent-files list comes from the settings store (its menu entries start hidden).
    ProcessEvents();

    // 4
    Report(ShellEvent::Startup);

    // 5
    if (!PrinterCheckPasses(desktop.printers)) {
        desktop.dialogs.message({kNoPrinterMessage, platform::Icon::Information});
        m_unloaded = true;
        return false;
    }

    // 6-9
    StartCard(m_services.card, state.instrument, desktop.dialogs);

    // 10
    if (Status s = settings::BarColourFile::Load(state.folders.BarColourFile(), state.BarColours); !s)
        desktop.dialogs.critical(s.message());

    // 11
    if (!m_startupNotice.isEmpty())
        desktop.dialogs.information(m_startupNotice);

    // Tests logged but never saved (a crash, a power cut) are offered for saving.
    datafiles::RecoveryOffer(state.folders.RecoveryFolder(), state.folders.DataFolder(), desktop.dialogs)
        .Run();
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

livetest::frmStdTestLogging* MainWindow::testWindow() const {
    for (QMdiSubWindow* sub : m_client->subWindowList()) {
        if (auto* w = qobject_cast<livetest::frmStdTestLogging*>(sub->widget()))
            return w;
    }
    return nullptr;
}

// ---- Commands ------------------------------------------------------------------------------

void MainWindow::ActiveBar21_ToolClick(const QString& toolName, const QString& tag) {
    const bool testRunning = m_services.state.session.TestRunning();
    const QString& t = toolName;
    if (t == tool::mFOpen) {
        NotAvailableYet(QStringLiteral("Opening a stored test"));
    } else if (t == tool::mFClose) {
        FileClose();
    } else if (t == tool::mFCreateProbe || t == tool::miTProbe) {
        if (!testRunning)
            ShowProbeCreation();
    } else if (t.startsWith(QLatin1String("miFMRU"))) {
        Q_UNUSED(tag);
        NotAvailableYet(QStringLiteral("Opening a stored test"));
    } else if (t == tool::mFExit) {
        if (!testRunning)
            ExitCommand();
    } else if (t == tool::mTStandard) {
        if (!bringTestWindowForward())
            StandardTest();
    } else if (t == tool::miFullScreen) {
        DisplayFullscreen();
    } else if (t == tool::miNormal) {
        DisplayNormal();
    } else if (t == tool::mOPreferences) {
        ShowBarColours();
    } else if (t == tool::mOExcelDataExport) {
        datafiles::frmDataEntry window(m_services.state, m_services.desktop, this);
        window.exec();
    } else if (t == tool::mOTestOptions) {
        datafiles::frmTestOptions dialog(m_services.state.options, this);
        dialog.exec();
    } else if (t == tool::mOPrinterOptions) {
        PrinterSetup();
    } else if (t == tool::miHContents) {
        if (!testRunning)
            ShowHelpContents();
    } else if (t == tool::miHAbout) {
        if (!testRunning)
            ShowAbout();
    } else if (t == tool::miTAuto) {
        if (!testRunning && !bringTestWindowForward())
            AutoTest();
    }
    // mFPrintGraph, mTIndependent and miHSearch have no action.
}

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

void MainWindow::NotAvailableYet(const QString& what) {
    m_services.desktop.dialogs.information(what +
                                           QStringLiteral(" is not available in this version of Corvin."));
}

void MainWindow::StandardTest() {
    Report(ShellEvent::StandardTestChosen);
    auto* window = new probes::frmStandardSignOn(m_services.state, m_services.desktop.dialogs, *this,
                                                 m_services.registry);
    addChild(window, true);
}

void MainWindow::AutoTest() {
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
                Report(ShellEvent::AutoTestStarted);
                ShowStatus(pane::miDefaultProbe, name.trimmed().toUpper());
                OpenTestWindow();
                return;
            }
        }
    }
    m_services.desktop.dialogs.information(QStringLiteral("No Default Probe") + QLatin1Char('\n') +
                                           QStringLiteral("Setup Default Probe and Re Try"));
}

void MainWindow::ExitCommand() {
    ReleaseCard(m_services.card, m_services.state.instrument);
    close();
}

void MainWindow::PrinterSetup() {
    platform::Printers& printers = m_services.desktop.printers;
    if (auto chosen = m_services.desktop.dialogs.printSetup(printers.defaultPrinter()))
        printers.setDefaultPrinter(*chosen);
}

void MainWindow::ShowBarColours() {
    settings::frmGraphColor dialog(m_services.state, m_services.desktop.dialogs, this);
    matchTestWindowText(dialog);
    connect(&dialog, &settings::frmGraphColor::saved, this, [this] {
        if (auto* test = testWindow())
            test->barColoursSaved();
    });
    connect(&dialog, &settings::frmGraphColor::cancelled, this, [this] {
        if (auto* test = testWindow())
            test->barColoursCancelled();
    });
    dialog.exec();
}

void MainWindow::ShowHelpContents() {
    m_services.desktop.help.showHelp(QStringLiteral("Splash.htm"));
}

void MainWindow::ShowAbout() {
    auto* about = new frmAbout(m_services.desktop.help, this);
    matchTestWindowText(*about);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::ShowProbeCreation() {
    probes::frmProbeConfig dialog(m_services.state, m_services.desktop.dialogs, m_services.registry, this);
    matchTestWindowText(dialog);
    dialog.exec();
}

void MainWindow::matchTestWindowText(QWidget& dialog) const {
    if (m_textScale > 0)
        dialog.setFont(platform::TextAtScale(m_textScale));
}

void MainWindow::OpenTestWindow() {
    auto* window = new livetest::frmStdTestLogging(m_services.state, m_services.card, m_services.pauser,
                                                   m_services.desktop, *this);
    addChild(window);
}

// ---- Frame operations ------------------------------------------------------------------------

void MainWindow::Report(ShellEvent event) {
    emit shellEvent(event);
}

void MainWindow::applyEnablingRule(ShellEvent event) {
    const RuleOutcome outcome = ApplyEnablingRule(m_bar, event);
    if (outcome.recentFiles == RecentFilesChange::Enable)
        EnableMRU();
    else if (outcome.recentFiles == RecentFilesChange::Disable)
        DissableMRU();
    if (outcome.runFileClose)
        FileClose();
}

void MainWindow::ShowStatus(const QString& pane, const QString& text) {
    m_bar.showStatus(pane, text);
}

void MainWindow::ShowNotice(const QString& text) {
    statusBar()->showMessage(text, 15000);
}

void MainWindow::DisplayFullscreen() {
    m_services.state.display.FullScreenMode = true;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showFullScreenLayout();
    Report(ShellEvent::FullScreenShown);
}

void MainWindow::DisplayNormal() {
    Report(ShellEvent::NormalShown);
    m_services.state.display.FullScreenMode = false;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showNormalLayout();
}

void MainWindow::EnableMRU() {}

void MainWindow::DissableMRU() {}

void MainWindow::FileClose() {
    // Child windows count themselves down as they close, so the count is right at once (and a
    // child may ask for FileClose from its own handler: it is deleted later, not here).
    if (m_childWindows != 0) {
        if (QMdiSubWindow* sub = frontSubWindow())
            sub->close();
    }
    Report(m_childWindows != 0 ? ShellEvent::FileClosedChildrenLeft : ShellEvent::FileClosedNoChildLeft);
}

void MainWindow::setFrameEnabled(bool enabled) {
    // The menus, toolbar and client area, not the window itself: disabling a window would
    // disable the range dialogs that belong to it as well.
    menuBar()->setEnabled(enabled);
    m_barView->toolBar()->setEnabled(enabled);
}

void MainWindow::ProcessEvents() {
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

void MainWindow::BandChanged() {
    if (!activeChild())
        return;
    fitChildren();
    if (m_services.state.display.FullScreenMode) {
        DisplayNormal();
        ProcessEvents();
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
    for (QMdiSubWindow* sub : m_client->subWindowList())
        sub->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ReleaseCard(m_services.card, m_services.state.instrument);
}

} // namespace corvin::app
