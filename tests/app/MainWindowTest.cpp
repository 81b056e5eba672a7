// The main window: start-up, the command dispatch and its guards, the child-window frame
// operations and the layouts of the test window.
#include "app/MainWindow.h"
#include "app/QtCommandBar.h"
#include "app/Startup.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/SpreadsheetExport.h"
#include "instrument/NoPause.h"
#include "livetest/TestSession.h"
#include "livetest/TestWindowLayout.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "livetest/frmStdTestLogging.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/RecordingCard.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::app;
using corvin::testing::RecordingCard;
using corvin::testing::ScriptedDesktop;
using corvin::testing::TempHome;

namespace {

const QString kFile = QStringLiteral("mnuFile");
const QString kView = QStringLiteral("mnuView");
const QString kTool = QStringLiteral("ToolBar");

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        state.folders.Home = home.path();
        card.setRegisteredIndexes({{0, 0}});
        card.setModel(230);
    }

    // The window after a normal start-up.
    app::MainWindow& started() {
        window =
            std::make_unique<app::MainWindow>(app::AppServices{state, card, pauser, desk.desktop, registry});
        EXPECT_TRUE(window->Form_Load());
        window->show();
        return *window;
    }

    void makeProbe(const QString& name) {
        cProbe p;
        p.setProbe_Name(name);
        for (int k = 1; k <= 7; ++k)
            p.setCh(k, QStringLiteral("Ch%1").arg(k));
        ASSERT_TRUE(probes::WriteProbeFile(home.file(QStringLiteral("Probes")), p).ok());
    }

    livetest::frmStdTestLogging* test() { return window->testWindow(); }

    TempHome home;
    SharedState state;
    RecordingCard card;
    instrument::NoPause pauser;
    ScriptedDesktop desk;
    settings::RegistryStore registry{home.file(QStringLiteral("registry.sqlite")), desk.clock};
    std::unique_ptr<app::MainWindow> window;
};

// ---- Start-up and shutdown -------------------------------------------------------------------

TEST_F(MainWindowTest, StartsWithTheCardSetUpAndFileCloseDisabled) {
    app::MainWindow& w = started();
    EXPECT_EQ(state.instrument.BoardHandle, 0);
    EXPECT_TRUE(desk.dialogs.messages.empty());
    EXPECT_EQ(card.calls("DIOsetData").size(), 24);
    EXPECT_FALSE(w.bar().isEnabled(kFile, QStringLiteral("mFClose")));
    EXPECT_TRUE(QDir(home.file(QStringLiteral("Probes"))).exists());
    EXPECT_EQ(TempHome::read(home.file(QStringLiteral("BAR.CFG"))).size(), 28);
    EXPECT_EQ(w.objectName(), QStringLiteral("MDIMain"));
}

// The date pane showed the fixed caption "2/17/2006", which read as a wrong clock.
TEST_F(MainWindowTest, TheDatePaneShowsTodaysDate) {
    desk.clock.setStart(QDateTime(QDate(2031, 7, 4), QTime(10, 0)));
    app::MainWindow& w = started();
    EXPECT_EQ(w.bar().caption(QStringLiteral("sb"), QStringLiteral("tDate")),
              datafiles::ShortDateText(QDate(2031, 7, 4)));
    EXPECT_TRUE(
        w.bar().caption(QStringLiteral("sb"), QStringLiteral("tDate")).contains(QStringLiteral("2031")));
}

TEST_F(MainWindowTest, StartUpOffersATestThatWasLoggedButNeverSaved) {
    datafiles::JournalHeader header;
    header.startTime = QDateTime(QDate(2026, 1, 2), QTime(8, 0));
    header.intervalSeconds = 5;
    header.plannedRows = 10;
    header.probeName = QStringLiteral("LOST");
    QString path;
    {
        datafiles::RecoveryJournal journal; // the Corvin that logged this is gone
        ASSERT_TRUE(journal.begin(home.file(QStringLiteral("Recovery")), header));
        ASSERT_TRUE(journal.append(0, {}));
        path = journal.path();
    }
    started(); // the offer is closed: kept for later
    ASSERT_EQ(desk.dialogs.choiceBoxes.size(), 1u);
    EXPECT_TRUE(desk.dialogs.choiceBoxes[0].text.startsWith(QStringLiteral(
        "A test logged on 2026-01-02 08:00:00 with probe LOST, 1 reading every 5 s, was not saved.")));
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(MainWindowTest, WithoutACardSaysSoOnceAndRunsOnHandleMinusOne) {
    card.setRegisteredIndexes({});
    started();
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{QStringLiteral("Amplicon Card not Found")});
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Critical);
    EXPECT_EQ(state.instrument.BoardHandle, -1);
    EXPECT_TRUE(card.calls("DIOsetData").first().startsWith(QStringLiteral("DIOsetData(-1,")));
}

TEST_F(MainWindowTest, WithoutAPrinterTheProgramEndsBeforeTouchingTheCard) {
    desk.printers.installed.clear();
    app::MainWindow w({state, card, pauser, desk.desktop, registry});
    EXPECT_FALSE(w.Form_Load());
    EXPECT_EQ(
        desk.dialogs.messageTexts(),
        QStringList{QStringLiteral("This program requires a printer driver to be installed to operate")});
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Information);
    EXPECT_TRUE(card.log().isEmpty());
}

TEST_F(MainWindowTest, ADamagedSettingsStoreIsReportedOnceAtStartUp) {
    window = std::make_unique<app::MainWindow>(app::AppServices{state, card, pauser, desk.desktop, registry});
    window->setStartupNotice(QStringLiteral("The settings were damaged and set aside."));
    ASSERT_TRUE(window->Form_Load());
    EXPECT_EQ(desk.dialogs.messageTexts(),
              QStringList{QStringLiteral("The settings were damaged and set aside.")});
}

TEST_F(MainWindowTest, CloseIsRefusedWhileATestRunsAndReleasesTheCardOtherwise) {
    app::MainWindow& w = started();
    state.session.phase = SessionPhase::Running;
    QCloseEvent refused;
    QCoreApplication::sendEvent(&w, &refused);
    EXPECT_FALSE(refused.isAccepted());
    EXPECT_TRUE(card.calls("FreeBoard").isEmpty());

    // Exit does nothing during a test either.
    w.ActiveBar21_ToolClick(QStringLiteral("mFExit"));
    EXPECT_TRUE(card.calls("FreeBoard").isEmpty());

    state.session.phase = SessionPhase::Stopped;
    QCloseEvent accepted;
    QCoreApplication::sendEvent(&w, &accepted);
    EXPECT_TRUE(accepted.isAccepted());
    EXPECT_EQ(card.calls("FreeBoard"), QStringList{QStringLiteral("FreeBoard(0)")});
}

// ---- Commands and their guards ---------------------------------------------------------------

TEST_F(MainWindowTest, HelpAndAboutDoNothingWhileATestRuns) {
    app::MainWindow& w = started();
    state.session.phase = SessionPhase::Running;
    w.ActiveBar21_ToolClick(QStringLiteral("miHContents"));
    w.ActiveBar21_ToolClick(QStringLiteral("miHAbout"));
    EXPECT_TRUE(desk.help.pages.isEmpty());
    EXPECT_EQ(w.findChild<QWidget*>(QStringLiteral("frmAbout")), nullptr);

    state.session.phase = SessionPhase::Stopped;
    w.ActiveBar21_ToolClick(QStringLiteral("miHContents"));
    EXPECT_EQ(desk.help.pages, QStringList{QStringLiteral("Splash.htm")});
    w.ActiveBar21_ToolClick(QStringLiteral("miHAbout"));
    EXPECT_NE(w.findChild<QWidget*>(QStringLiteral("frmAbout")), nullptr);
}

TEST_F(MainWindowTest, AutoWithoutAUsableDefaultProbeSaysSo) {
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("Gone")).ok());
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    const QString message = QStringLiteral("No Default Probe\nSetup Default Probe and Re Try");
    EXPECT_EQ(desk.dialogs.messageTexts(), (QStringList{message, message}));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Information);
    EXPECT_EQ(w.ChildWindowCount(), 0);
    EXPECT_TRUE(w.bar().isEnabled(kFile, QStringLiteral("mFOpen")));
}

TEST_F(MainWindowTest, AutoOpensTheTestWindowWithTheDefaultProbe) {
    makeProbe(QStringLiteral("BENCH"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("  bench  ")).ok());
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(test(), nullptr);
    EXPECT_TRUE(state.session.AutoTestMode);
    EXPECT_EQ(state.DefaultProbe.Probe_Name(), QStringLiteral("BENCH"));
    EXPECT_EQ(w.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")),
              QStringLiteral("Waitng RANGE selection"));
    EXPECT_EQ(w.bar().caption(QStringLiteral("sb"), QStringLiteral("miDefaultProbe")),
              QStringLiteral("BENCH"));
    EXPECT_FALSE(w.bar().isEnabled(kFile, QStringLiteral("mFOpen")));
    // The toolbar's own tools stay enabled, and do nothing while the test runs.
    EXPECT_TRUE(w.bar().isEnabled(kTool, QStringLiteral("miTAuto")));
    EXPECT_TRUE(w.bar().isEnabled(kTool, QStringLiteral("miTProbe")));
    state.session.phase = SessionPhase::Running;
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    EXPECT_EQ(w.clientArea()->subWindowList().size(), 1);
    state.session.phase = SessionPhase::Stopped;
}

// Regression: a second Auto stacked a second test window with its own session.
TEST_F(MainWindowTest, AutoAndStandardWhileATestWindowIsOpenOnlyBringItForward) {
    makeProbe(QStringLiteral("BENCH"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH")).ok());
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(test(), nullptr);
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    w.ActiveBar21_ToolClick(QStringLiteral("mTStandard"));
    EXPECT_EQ(w.clientArea()->subWindowList().size(), 1);
    EXPECT_EQ(w.activeChild(), test());
    EXPECT_EQ(w.ChildWindowCount(), 1);
}

// Regression: probe selection had no close box and no Escape; left that way, the main window's
// commands come back.
TEST_F(MainWindowTest, ProbeSelectionClosedByItsCloseBoxReturnsToTheIdleWindow) {
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("mTStandard"));
    QMdiSubWindow* sub = w.clientArea()->subWindowList().value(0);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(sub->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_TRUE(sub->close());
    EXPECT_EQ(w.ChildWindowCount(), 0);
    for (const auto& [band, tool] : {std::pair{kFile, "mFOpen"},
                                     {kFile, "mFCreateProbe"},
                                     {QStringLiteral("mnuTest"), "mTStandard"},
                                     {QStringLiteral("mnuOptions"), "mOPreferences"},
                                     {kTool, "miTAuto"}})
        EXPECT_TRUE(w.bar().isEnabled(band, QLatin1String(tool))) << tool;
}

// Regression: the range dialogs had no parent and could be buried under the main window.
TEST_F(MainWindowTest, RangeDialogsBelongToTheMainWindowAndAreModalToIt) {
    makeProbe(QStringLiteral("BENCH"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH")).ok());
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(test(), nullptr);
    test()->Command6_Click();
    QDialog* range = test()->rangeDialog();
    EXPECT_EQ(range->parentWidget(), &w);
    EXPECT_EQ(range->windowModality(), Qt::WindowModal);
    EXPECT_EQ(QApplication::activeModalWidget(), range);
    EXPECT_FALSE(w.close()); // not from under the dialog either
    test()->rangeDialog()->Command1_Click();
    QDialog* scale = test()->scaleDialog();
    EXPECT_EQ(scale->parentWidget(), &w);
    EXPECT_EQ(QApplication::activeModalWidget(), scale);
    test()->scaleDialog()->Command1_Click();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindowTest, StandardOpensProbeSelectionWithTheMenusDisabled) {
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("mTStandard"));
    EXPECT_NE(w.activeChild(), nullptr);
    EXPECT_EQ(w.activeChild()->objectName(), QStringLiteral("frmStandardSignOn"));
    EXPECT_FALSE(w.bar().isEnabled(QStringLiteral("mnuTest"), QStringLiteral("mTStandard")));
    EXPECT_FALSE(w.bar().isEnabled(kTool, QStringLiteral("miTAuto")));
    EXPECT_EQ(w.ChildWindowCount(), 1);

    w.FileClose();
    EXPECT_EQ(w.ChildWindowCount(), 0);
    EXPECT_TRUE(w.clientArea()->subWindowList().isEmpty());
    EXPECT_TRUE(w.bar().isEnabled(QStringLiteral("mnuTest"), QStringLiteral("mTStandard")));
    EXPECT_FALSE(w.bar().isEnabled(kFile, QStringLiteral("mFClose")));
}

TEST_F(MainWindowTest, FileCloseWithNoChildOnlyResetsTheMenus) {
    app::MainWindow& w = started();
    w.bar().setEnabled(kFile, QStringLiteral("mFOpen"), false);
    w.bar().setEnabled(kView, QStringLiteral("miFullScreen"), true);
    w.FileClose();
    EXPECT_TRUE(w.bar().isEnabled(kFile, QStringLiteral("mFOpen")));
    EXPECT_FALSE(w.bar().isEnabled(kView, QStringLiteral("miFullScreen")));
    EXPECT_EQ(w.ChildWindowCount(), 0);
}

TEST_F(MainWindowTest, PrinterOptionsChooseTheDefaultPrinter) {
    app::MainWindow& w = started();
    desk.dialogs.printSetups.push_back(QStringLiteral("Lab Laser"));
    w.ActiveBar21_ToolClick(QStringLiteral("mOPrinterOptions"));
    EXPECT_EQ(desk.printers.defaultName, QStringLiteral("Lab Laser"));
    w.ActiveBar21_ToolClick(QStringLiteral("mOPrinterOptions")); // cancelled: unchanged
    EXPECT_EQ(desk.printers.defaultName, QStringLiteral("Lab Laser"));
}

TEST_F(MainWindowTest, ToolbarClicksReachTheDispatchLikeTheMenu) {
    app::MainWindow& w = started();
    w.commandBarView().action(kTool, QStringLiteral("miHContents"))->trigger();
    EXPECT_EQ(desk.help.pages, QStringList{QStringLiteral("Splash.htm")});
    w.bar().showStatus(QStringLiteral("miStatus"), QStringLiteral("Testing"));
    EXPECT_EQ(w.commandBarView().pane(QStringLiteral("miStatus"))->text(), QStringLiteral("Testing"));
}

// ---- The test window's layouts ---------------------------------------------------------------

TEST_F(MainWindowTest, FullScreenThenNormalRestoresThePictureToItsDesignPlace) {
    makeProbe(QStringLiteral("BENCH"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH")).ok());
    app::MainWindow& w = started();
    w.resize(1400, 1000);
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(test(), nullptr);
    QWidget* picture = test()->findChild<QWidget*>(QStringLiteral("Picture1"));
    ASSERT_NE(picture, nullptr);

    w.DisplayFullscreen();
    EXPECT_TRUE(state.display.FullScreenMode);
    EXPECT_TRUE(w.bar().isEnabled(kView, QStringLiteral("miNormal")));
    EXPECT_FALSE(w.bar().isEnabled(kView, QStringLiteral("miFullScreen")));
    EXPECT_GT(picture->width(), 617);

    w.DisplayNormal();
    EXPECT_FALSE(state.display.FullScreenMode);
    EXPECT_FALSE(w.bar().isEnabled(kView, QStringLiteral("miNormal")));
    EXPECT_TRUE(w.bar().isEnabled(kView, QStringLiteral("miFullScreen")));
    // 9255 x 5325 twips at (2385, 375), at 15 twips a pixel times the window's layout scale
    // (1 at the design size), inside the centred design frame.
    const double scale = livetest::LayoutScale(test()->size());
    EXPECT_EQ(QRect(picture->pos(), picture->size()),
              livetest::TwipsToPixels(QRectF(2385, 375, 9255, 5325), scale));
    EXPECT_EQ(livetest::TwipsToPixels(QRectF(2385, 375, 9255, 5325), 1.0), QRect(159, 25, 617, 355));
}

TEST_F(MainWindowTest, HidingTheToolbarRelaysTheChildOutAndKeepsFullScreen) {
    makeProbe(QStringLiteral("BENCH"));
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH")).ok());
    app::MainWindow& w = started();
    w.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(test(), nullptr);
    w.DisplayFullscreen();
    w.commandBarView().toolBar()->hide();
    QCoreApplication::processEvents();
    EXPECT_TRUE(state.display.FullScreenMode);
    EXPECT_TRUE(test()->fullScreenLayout());
    EXPECT_EQ(w.clientArea()->subWindowList().first()->geometry(), w.clientArea()->viewport()->rect());
}

} // namespace
