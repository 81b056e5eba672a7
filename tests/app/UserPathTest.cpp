// The whole path of a lab user, offscreen on the simulated instrument, with scripted dialogs:
// create a probe as the default, start a standard test, pick the probe, choose the range, switch
// channels on, log readings, look at the full-screen chart, stop, save, and leave the test
// window; then start again with Auto. The spreadsheet path: Test Options set to Excel, a logged
// test stopped into a workbook, and a stored test converted with the conversion utility. And the
// playback path: a stored test opened, plotted, printed and left.
#include "app/MainWindow.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/frmDataEntry.h"
#include "datafiles/frmTestOptions.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "livetest/TestSession.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "livetest/frmStdTestLogging.h"
#include "platform/QtPrinters.h"
#include "playback/PlaybackFixtures.h"
#include "playback/frmPeriodDataSetup.h"
#include "playback/frmPeriodicDataGraph.h"
#include "probes/ProbeFile.h"
#include "probes/frmProbeConfig.h"
#include "probes/frmStandardSignOn.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <qcustomplot.h>

using namespace corvin;
using corvin::testing::ScriptedDesktop;
using corvin::testing::TempHome;

namespace {

// Types into a line edit and presses Enter, as the user moves through the probe dialog.
void TypeAndEnter(QLineEdit* box, const QString& text) {
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(box->isEnabled());
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

TEST(UserPath, FromANewProbeToASavedTestDataFile) {
    TempHome home;
    SharedState state;
    state.folders.Home = home.path();
    ScriptedDesktop desk;
    instrument::SimulatedCard card(desk.clock);
    instrument::NoPause pauser;
    settings::RegistryStore registry(home.file(QStringLiteral("registry.sqlite")), desk.clock);
    app::MainWindow window({state, card, pauser, desk.desktop, registry});
    ASSERT_TRUE(window.Form_Load());
    window.resize(1280, 800);
    window.show();
    EXPECT_TRUE(desk.dialogs.messages.empty()); // the simulated card was found

    // File > Create Probe Device: the modal dialog, driven through its boxes. Should the dialog
    // not be the one expected, the test fails and every modal dialog is closed, so it never waits.
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<probes::frmProbeConfig*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "the probe creation dialog is not the modal window";
            for (int i = 0; i < 10 && QApplication::activeModalWidget(); ++i) {
                if (auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    modal->reject();
            }
            return;
        }
        TypeAndEnter(dialog->findChild<QLineEdit*>(QStringLiteral("txtProbeName")), QStringLiteral("Cell 7"));
        const QStringList channels{"Anode", "Cathode", "Guard", "Reference", "Heater", "Shield", "Substrate"};
        for (int k = 1; k <= 7; ++k)
            TypeAndEnter(dialog->txtChannel(k), channels[k - 1]);
        dialog->cmdSaveAsDefault_Click();
        dialog->cmdClose_Click();
    });
    window.ActiveBar21_ToolClick(QStringLiteral("mFCreateProbe"));
    EXPECT_EQ(
        desk.dialogs.lastMessage().text,
        QStringLiteral(" Probe Spec %1/Probes/Cell 7.prb successfully written to disc").arg(home.path()));
    EXPECT_EQ(settings::ReadDefaultProbeName(registry), QStringLiteral("Cell 7"));

    // Test > Standard: the list shows the probe, checked as the default; Go opens the test window.
    window.ActiveBar21_ToolClick(QStringLiteral("mTStandard"));
    auto* selection = qobject_cast<probes::frmStandardSignOn*>(window.activeChild());
    ASSERT_NE(selection, nullptr);
    selection->cmdGO_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    livetest::frmStdTestLogging* test = window.testWindow();
    ASSERT_NE(test, nullptr);
    EXPECT_EQ(window.ChildWindowCount(), 1);
    EXPECT_EQ(state.CurrentProbe.Ch(3), QStringLiteral("Guard"));
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miProbeLoaded")),
              QStringLiteral("Probe Cell 7 loaded"));
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")),
              QStringLiteral("Waitng RANGE selection"));

    // " HIGH/LOW" -> HIGH -> 10 µA full scale -> OK.
    test->Command6_Click();
    ASSERT_NE(test->rangeDialog(), nullptr);
    test->rangeDialog()->Command1_Click();
    ASSERT_NE(test->scaleDialog(), nullptr);
    test->scaleDialog()->Command1_Click();
    EXPECT_EQ(state.instrument.ScreenScale, 2);
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")),
              QStringLiteral("Ready Hit START to proceed with test"));

    // Channels 1 to 4 on; START with logging every 5 s for 0.1 h.
    livetest::TestSession& session = test->session();
    for (int k = 1; k <= 4; ++k)
        session.ToggleChannel(k);
    session.setPeriodicChoice(livetest::PeriodicChoice::On);
    desk.dialogs.inputs = {QStringLiteral("5"), QStringLiteral("0.1")};
    session.cmdStart_Click();
    ASSERT_TRUE(state.session.TestRunning());
    EXPECT_EQ(state.periodic.SampleCapacity, 72);
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")),
              QStringLiteral("Testing"));

    // Ten logging intervals pass, with the live display ticking between them.
    for (int interval = 0; interval < 10; ++interval) {
        for (int tick = 0; tick < 20; ++tick) {
            desk.clock.advanceMs(250);
            session.Timer1_Timer();
        }
        session.Timer2_Timer();
    }
    EXPECT_EQ(state.periodic.SampleCount, 10);
    EXPECT_NEAR(test->chart().lastBarValue(1), 6.0, 2.0); // the simulated channel 1 current
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miTimeElapsed")), QString());

    // Full screen shows the elapsed time in the status bar; Normal clears it again.
    window.ActiveBar21_ToolClick(QStringLiteral("miFullScreen"));
    desk.clock.advanceMs(250);
    session.Timer1_Timer();
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miTimeElapsed")),
              QStringLiteral("00:00:50"));
    window.ActiveBar21_ToolClick(QStringLiteral("miNormal"));
    EXPECT_FALSE(state.display.FullScreenMode);

    // The main window refuses to close during the test.
    EXPECT_FALSE(window.close());

    // STOP: Yes to saving; the save dialog names the file.
    const QString saved = home.file(QStringLiteral("Data/cell7.DAT"));
    QDir().mkpath(home.file(QStringLiteral("Data")));
    desk.dialogs.answers = {platform::Answer::Yes};
    desk.dialogs.saveFiles = {saved};
    session.cmdStop_Click();
    EXPECT_FALSE(state.session.TestRunning());
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")),
              QStringLiteral("Test Stopped"));

    // The file: 10 rows of 7 readings, then interval, row count and the channel names.
    const QByteArray bytes = TempHome::read(saved);
    ASSERT_EQ(bytes.size(), 24 * (7 * 10 + 9));
    PeriodicDataSet back;
    ASSERT_TRUE(datafiles::ReadTestDataFile(saved, back).ok());
    EXPECT_EQ(back.SampleCapacity, 10);
    EXPECT_EQ(back.HeaderValues[0], 5);
    EXPECT_EQ(back.HeaderValues[1], 10);
    EXPECT_EQ(back.ChannelNames[0], QStringLiteral("Anode").leftJustified(20));
    EXPECT_EQ(back.ChannelNames[6], QStringLiteral("Substrate").leftJustified(20));
    EXPECT_NEAR(back.PeriodicData[0][9], 6.0, 2.0);
    EXPECT_FLOAT_EQ(back.PeriodicData[5][0], 0.0f); // channel 6 was off: its relays read 0 V

    // EXIT: the menus come back.
    test->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(window.testWindow(), nullptr);
    EXPECT_EQ(window.ChildWindowCount(), 0);
    for (const char* tool : {"mFOpen", "mFCreateProbe"})
        EXPECT_TRUE(window.bar().isEnabled(QStringLiteral("mnuFile"), QLatin1String(tool))) << tool;
    EXPECT_TRUE(window.bar().isEnabled(QStringLiteral("mnuTest"), QStringLiteral("mTStandard")));
    EXPECT_FALSE(window.bar().isEnabled(QStringLiteral("mnuFile"), QStringLiteral("mFClose")));
    EXPECT_EQ(window.bar().caption(QStringLiteral("sb"), QStringLiteral("miStatus")), QString());

    // Auto starts at once with the default probe.
    window.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(window.testWindow(), nullptr);
    EXPECT_TRUE(state.session.AutoTestMode);
    EXPECT_EQ(state.DefaultProbe.Ch(7), QStringLiteral("Substrate"));
    window.testWindow()->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.close());
}

// Runs `drive` on the modal dialog a command opens, then makes sure the dialog is gone, so that a
// test that goes wrong fails instead of waiting for a click that never comes.
template <typename Dialog, typename Drive> void WhenModalOpens(Drive drive) {
    QTimer::singleShot(0, [drive] {
        QWidget* modal = QApplication::activeModalWidget();
        auto* dialog = qobject_cast<Dialog*>(modal);
        EXPECT_NE(dialog, nullptr) << "the dialog did not open";
        if (dialog)
            drive(*dialog);
        if (auto* still = qobject_cast<QDialog*>(QApplication::activeModalWidget()); still && still == modal)
            still->done(QDialog::Rejected);
    });
}

TEST(UserPath, FromTestOptionsToWorkbooksOfALiveTestAndOfAStoredOne) {
    TempHome home;
    SharedState state;
    state.folders.Home = home.path();
    ScriptedDesktop desk;
    instrument::SimulatedCard card(desk.clock);
    instrument::NoPause pauser;
    settings::RegistryStore registry(home.file(QStringLiteral("registry.sqlite")), desk.clock);
    cProbe probe;
    probe.setProbe_Name(QStringLiteral("Cell 7"));
    probe.setCh(1, QStringLiteral("Anode µA"));
    ASSERT_TRUE(probes::WriteProbeFile(home.file(QStringLiteral("Probes")), probe).ok());
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("Cell 7")).ok());
    app::MainWindow window({state, card, pauser, desk.desktop, registry});
    ASSERT_TRUE(window.Form_Load());
    window.show();

    // Options > Test Options: Excel (.Xls), OK.
    WhenModalOpens<datafiles::frmTestOptions>([](datafiles::frmTestOptions& dialog) {
        dialog.findChild<QRadioButton*>(QStringLiteral("Option1"))->click();
        dialog.cmdOK_Click();
    });
    window.ActiveBar21_ToolClick(QStringLiteral("mOTestOptions"));
    EXPECT_FALSE(state.options.SaveToDataFile);

    // Auto, the range, START with logging every 5 s, three readings, STOP: Yes.
    window.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    livetest::frmStdTestLogging* test = window.testWindow();
    ASSERT_NE(test, nullptr);
    test->Command6_Click();
    ASSERT_NE(test->rangeDialog(), nullptr);
    test->rangeDialog()->Command1_Click();
    ASSERT_NE(test->scaleDialog(), nullptr);
    test->scaleDialog()->Command1_Click();
    livetest::TestSession& session = test->session();
    session.ToggleChannel(1);
    session.setPeriodicChoice(livetest::PeriodicChoice::On);
    desk.dialogs.inputs = {QStringLiteral("5"), QStringLiteral("0.1")};
    session.cmdStart_Click();
    for (int i = 0; i < 3; ++i)
        session.Timer2_Timer();
    const QString workbook = home.file(QStringLiteral("Data/cell7"));
    desk.dialogs.answers = {platform::Answer::Yes};
    desk.dialogs.saveFiles = {workbook};
    session.cmdStop_Click();
    EXPECT_EQ(desk.dialogs.fileDialogs.back().title, QStringLiteral("Option saveas XLS File"));
    EXPECT_TRUE(state.session.PeriodicDataDone);
    EXPECT_TRUE(TempHome::read(workbook + QStringLiteral(".xls")).startsWith("\xD0\xCF\x11\xE0"));
    test->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Options > ExcelDataExport: open a stored test, convert it to .xlsx, exit.
    PeriodicDataSet stored;
    stored.resize(4);
    const QString dat = home.file(QStringLiteral("Data/old.DAT"));
    ASSERT_TRUE(datafiles::WriteTestDataFile(dat, stored, 10, {"A", "B", "C", "D", "E", "F", "G"}));
    const QString converted = home.file(QStringLiteral("Data/old.xlsx"));
    WhenModalOpens<datafiles::frmDataEntry>([&](datafiles::frmDataEntry& utility) {
        desk.dialogs.openFiles = {dat};
        utility.cmdConvirt_Click();
        desk.dialogs.saveFiles = {converted};
        utility.cmdSaveFile_Click();
        utility.cmdExit_Click();
    });
    window.ActiveBar21_ToolClick(QStringLiteral("mOExcelDataExport"));
    EXPECT_EQ(desk.dialogs.fileDialogs.back().title, QStringLiteral("Test Option SaveAs XLS File"));
    EXPECT_TRUE(TempHome::read(converted).startsWith("PK"));
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
    EXPECT_TRUE(window.close());
}

int PdfPages(const QByteArray& pdf) {
    int pages = 0;
    for (qsizetype at = pdf.indexOf("/Type /Page"); at >= 0; at = pdf.indexOf("/Type /Page", at + 1))
        pages += pdf.mid(at, 12) != "/Type /Pages" ? 1 : 0;
    return pages;
}

TEST(UserPath, FromFileOpenToAPrintedGraphAndBackToIdle) {
    TempHome home;
    SharedState state;
    state.folders.Home = home.path();
    ScriptedDesktop desk;
    platform::QtPrinters printers(home.file(QStringLiteral("Printouts")));
    platform::Desktop desktop{desk.dialogs, printers, desk.clipboard, desk.help, desk.clock};
    instrument::SimulatedCard card(desk.clock);
    instrument::NoPause pauser;
    settings::RegistryStore registry(home.file(QStringLiteral("registry.sqlite")), desk.clock);
    QDir().mkpath(home.file(QStringLiteral("TESTS")));
    const QString run = home.file(QStringLiteral("TESTS/run.DAT"));
    ASSERT_TRUE(corvin::testing::WriteTest(run, 600));
    app::MainWindow window({state, card, pauser, desktop, registry});
    ASSERT_TRUE(window.Form_Load());
    window.resize(1280, 800);
    window.show();

    // The toolbar's Open, the file, then channels 5, 2 and 7 clicked in the selection and OK.
    desk.dialogs.openFiles = {run};
    corvin::testing::WhenShown<playback::frmPeriodDataSetup> selection([](playback::frmPeriodDataSetup& s) {
        for (const char* name : {"Picture1_5", "Picture1_2", "Picture1_7", "cmdOK"})
            QTest::mouseClick(s.findChild<QWidget*>(QString::fromLatin1(name)), Qt::LeftButton);
    });
    window.commandBarView().action(QStringLiteral("ToolBar"), QStringLiteral("mFOpen"))->trigger();
    ASSERT_TRUE(selection.ran());

    // The graph fills the client area; " Plot Graph" draws channel 5 as set 1.
    playback::frmPeriodicDataGraph* graph = window.graphWindow();
    ASSERT_NE(graph, nullptr);
    EXPECT_EQ(window.activeChild(), graph);
    EXPECT_EQ(window.clientArea()->subWindowList().front()->geometry(),
              window.clientArea()->viewport()->rect());
    QTest::mouseClick(graph->findChild<QWidget*>(QStringLiteral("cmdPlotGraph")), Qt::LeftButton);
    ASSERT_EQ(graph->graph()->graphCount(), 3);
    EXPECT_TRUE(graph->graph()->graph(0)->name().startsWith(QStringLiteral("Collector")));

    // " Print Graph": one page on the PDF printer.
    QTest::mouseClick(graph->findChild<QWidget*>(QStringLiteral("cmdPrintGraph")), Qt::LeftButton);
    const QStringList printouts =
        QDir(home.file(QStringLiteral("Printouts"))).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    ASSERT_EQ(printouts.size(), 1);
    EXPECT_EQ(PdfPages(TempHome::read(home.file(QStringLiteral("Printouts/") + printouts.front()))), 1);

    // " Exit": back to the idle window, the file at the head of the recent list.
    QTest::mouseClick(graph->findChild<QWidget*>(QStringLiteral("cmdExit")), Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.clientArea()->subWindowList().isEmpty());
    EXPECT_TRUE(window.bar().isEnabled(QStringLiteral("ToolBar"), QStringLiteral("miTAuto")));
    QAction* recent = window.commandBarView().action(QStringLiteral("mnuFile"), QStringLiteral("miFMRU1"));
    EXPECT_TRUE(recent->isVisible() && recent->isEnabled());
    EXPECT_EQ(recent->text(), settings::cMRUFileList::caption(1, run));
    EXPECT_TRUE(desk.dialogs.messages.empty());
    EXPECT_TRUE(window.close());
}

} // namespace
