#include "app/MainWindow.h"

#include "app/EnablingRules.h"
#include "app/Startup.h"
#include "app/frmAbout.h"
#include "common/Pictures.h"
#include "datafiles/RecoveryOffer.h"
#include "livetest/frmStdTestLogging.h"
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
#include <QToolBar>

namespace corvin::app {
namespace {

const QString kNoProbes = QStringLiteral("<No Probe Devices Available>");

} // namespace

MainWindow::MainWindow(AppServices services, QWidget* parent) : QMainWindow(parent), m_services(services) {
    setObjectName(QStringLiteral("MDIMain"));
    setWindowTitle(QStringLiteral("Tarvik CORVIN"));
    setWindowIcon(QIcon(QPixmap::fromImage(Pictures::ApplicationIcon())));
    m_client = new QMdiArea(this);
    m_client->setObjectName(QStringLiteral("MDIClient"));
    m_client->setBackground(QColor(0x80, 0x80, 0x80));
    setCentralWidget(m_client);
    m_client->viewport()->installEventFilter(this);
    m_barView = new QtCommandBar(m_bar, *this);
    connect(m_barView, &QtCommandBar::toolClicked, this,
            [this](const QString& name, const QString& tag) { ActiveBar21_ToolClick(name, tag); });
    // A change of the toolbar (shown, hidden, moved) changes the client area: the band
    // notification lays the child window out again.
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
    ToolsAtStartup(m_bar);

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

// ---- Commands --------------------------------------------------------------------------------

void MainWindow::ActiveBar21_ToolClick(const QString& toolName, const QString& tag) {
    const bool testRunning = m_services.state.session.TestRunning;
    const QString& t = toolName;
    if (t == QLatin1String("mFOpen")) {
        NotAvailableYet(QStringLiteral("Opening a stored test"));
    } else if (t == QLatin1String("mFClose")) {
        FileClose();
    } else if (t == QLatin1String("mFCreateProbe") || t == QLatin1String("miTProbe")) {
        if (!testRunning)
            ShowProbeCreation();
    } else if (t.startsWith(QLatin1String("miFMRU"))) {
        Q_UNUSED(tag);
        NotAvailableYet(QStringLiteral("Opening a stored test"));
    } else if (t == QLatin1String("mFExit")) {
        if (!testRunning)
            ExitCommand();
    } else if (t == QLatin1String("mTStandard")) {
        StandardTest();
    } else if (t == QLatin1String("miFullScreen")) {
        DisplayFullscreen();
    } else if (t == QLatin1String("miNormal")) {
        DisplayNormal();
    } else if (t == QLatin1String("mOPreferences")) {
        ShowBarColours();
    } else if (t == QLatin1String("mOExcelDataExport")) {
        NotAvailableYet(QStringLiteral("Converting data files to spreadsheets"));
    } else if (t == QLatin1String("mOTestOptions")) {
        NotAvailableYet(QStringLiteral("Test options"));
    } else if (t == QLatin1String("mOPrinterOptions")) {
        PrinterSetup();
    } else if (t == QLatin1String("miHContents")) {
        if (!testRunning)
            ShowHelpContents();
    } else if (t == QLatin1String("miHAbout")) {
        if (!testRunning)
            ShowAbout();
    } else if (t == QLatin1String("miTAuto")) {
        if (!testRunning)
            AutoTest();
    }
    // mFPrintGraph, mTIndependent, miHSearch and miHWhatsThis have no action.
}

void MainWindow::NotAvailableYet(const QString& what) {
    m_services.desktop.dialogs.information(what +
                                           QStringLiteral(" is not available in this version of Corvin."));
}

void MainWindow::StandardTest() {
    ToolsForStandardTest(m_bar);
    DissableMRU();
    auto* window = new probes::frmStandardSignOn(m_services.state, m_services.desktop.dialogs, *this,
                                                 m_services.registry);
    addChild(window);
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
                ToolsForAutoTest(m_bar);
                m_bar.showStatus(QStringLiteral("miStatus"), QStringLiteral("Waitng RANGE selection"));
                m_bar.showStatus(QStringLiteral("miDefaultProbe"), name.trimmed().toUpper());
                DissableMRU();
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
    dialog.onSaved = [this] {
        if (auto* test = testWindow())
            test->barColoursSaved();
    };
    dialog.onCancelled = [this] {
        if (auto* test = testWindow())
            test->barColoursCancelled();
    };
    dialog.exec();
}

void MainWindow::ShowHelpContents() {
    m_services.desktop.help.showHelp(QStringLiteral("Splash.htm"));
}

void MainWindow::ShowAbout() {
    auto* about = new frmAbout(m_services.desktop.help, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->show();
}

void MainWindow::ShowProbeCreation() {
    probes::frmProbeConfig dialog(m_services.state, m_services.desktop.dialogs, m_services.registry, this);
    dialog.exec();
}

void MainWindow::OpenTestWindow() {
    auto* window = new livetest::frmStdTestLogging(m_services.state, m_services.card, m_services.pauser,
                                                   m_services.desktop, *this);
    addChild(window);
}

// ---- Frame operations ------------------------------------------------------------------------

void MainWindow::DisplayFullscreen() {
    m_services.state.display.FullScreenMode = true;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showFullScreenLayout();
    ToolsForFullScreen(m_bar);
}

void MainWindow::DisplayNormal() {
    ToolsForNormal(m_bar);
    m_services.state.display.FullScreenMode = false;
    if (auto* test = qobject_cast<livetest::frmStdTestLogging*>(activeChild()))
        test->showNormalLayout();
}

void MainWindow::EnableMRU() {}

void MainWindow::DissableMRU() {}

void MainWindow::FileClose() {
    if (m_childWindows != 0) {
        if (QMdiSubWindow* sub = frontSubWindow())
            sub->close();
        // The child's unload has run once its window is gone.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    const bool childrenLeft = m_childWindows != 0;
    ToolsAfterFileClose(m_bar, childrenLeft);
    if (!childrenLeft)
        EnableMRU();
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

void MainWindow::addChild(QWidget* child) {
    child->setAttribute(Qt::WA_DeleteOnClose);
    QMdiSubWindow* sub = m_client->addSubWindow(child, Qt::FramelessWindowHint | Qt::SubWindow);
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
    if (watched == m_client->viewport() && event->type() == QEvent::Resize)
        fitChildren();
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    fitChildren();
}

// ---- Closing ---------------------------------------------------------------------------------

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_services.state.session.TestRunning) {
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
