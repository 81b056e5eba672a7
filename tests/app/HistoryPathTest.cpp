// The test history's user path: two tests of one probe run and saved, then Test > History finds
// both, the filter narrows them, the trend shows the probe across them and exports its table,
// and a double-click opens a test for playback as File > Open does.
#include "app/MainWindow.h"
#include "history/TestHistory.h"
#include "history/frmProbeTrend.h"
#include "history/frmTestHistory.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "livetest/TestSession.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "livetest/frmStdTestLogging.h"
#include "playback/frmPeriodDataSetup.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"
#include "support/WhenShown.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <gtest/gtest.h>

using namespace corvin;
using corvin::testing::ScriptedDesktop;
using corvin::testing::TempHome;

namespace {

class HistoryPath : public ::testing::Test {
protected:
    HistoryPath() {
        state.folders.Home = home.path();
        cProbe probe;
        probe.setProbe_Name(QStringLiteral("Cell 7"));
        probe.setCh(1, QStringLiteral("Anode"));
        EXPECT_TRUE(probes::WriteProbeFile(home.file(QStringLiteral("Probes")), probe));
        EXPECT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("Cell 7")));
    }
    ~HistoryPath() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    // Waits (events running) for the rescan Corvin starts with, so what follows is not raced.
    void rescanDone() {
        QElapsedTimer waited;
        waited.start();
        while (window.testHistory()->rescanRunning() && waited.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        ASSERT_FALSE(window.testHistory()->rescanRunning());
    }

    // Auto, HIGH range, channels 1 and 2, logging every 5 s, `rows` readings, STOP and save.
    void runAndSave(const QString& path, const QString& note, int rows) {
        window.ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
        livetest::frmStdTestLogging* test = window.testWindow();
        ASSERT_NE(test, nullptr);
        test->Command6_Click();
        test->rangeDialog()->Command1_Click();
        test->scaleDialog()->Command1_Click();
        livetest::TestSession& session = test->session();
        session.ToggleChannel(1);
        session.ToggleChannel(2);
        session.setPeriodicChoice(livetest::PeriodicChoice::On);
        desk.dialogs.inputs = {QStringLiteral("5"), QStringLiteral("0.1")};
        session.cmdStart_Click();
        for (int i = 0; i < rows; ++i) {
            desk.clock.advanceMs(5000);
            session.Timer2_Timer();
        }
        desk.dialogs.answers = {platform::Answer::Yes};
        desk.dialogs.saveFiles = {path};
        desk.dialogs.notes = {note};
        session.cmdStop_Click();
        test->cmdExit_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TempHome home;
    SharedState state;
    ScriptedDesktop desk;
    instrument::SimulatedCard card{desk.clock};
    instrument::NoPause pauser;
    settings::RegistryStore registry{home.file(QStringLiteral("registry.sqlite")), desk.clock};
    app::MainWindow window{{state, card, pauser, desk.desktop, registry}};
};

TEST_F(HistoryPath, TwoSavedTestsOfAProbeAreFoundFilteredTrendedAndOpened) {
    ASSERT_TRUE(window.Form_Load());
    window.show();
    rescanDone();
    QDir().mkpath(home.file(QStringLiteral("Data")));
    runAndSave(home.file(QStringLiteral("Data/first.DAT")), QStringLiteral("before cleaning"), 3);
    desk.clock.advanceMs(3600 * 1000);
    runAndSave(home.file(QStringLiteral("Data/second.DAT")), QStringLiteral("after cleaning"), 4);

    // Test > History: both tests, the newer first, noted when they were saved.
    window.ActiveBar21_ToolClick(QStringLiteral("mTHistory"));
    history::frmTestHistory* list = window.historyWindow();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->table()->model()->rowCount(), 2);
    const auto cell = [list](int row, int column) {
        return list->table()->model()->index(row, column).data().toString();
    };
    EXPECT_EQ(cell(0, history::HistoryTableModel::File), QStringLiteral("second.DAT"));
    EXPECT_EQ(cell(0, history::HistoryTableModel::Probe), QStringLiteral("Cell 7"));
    EXPECT_EQ(cell(0, history::HistoryTableModel::Rows), QStringLiteral("4"));
    EXPECT_EQ(cell(1, history::HistoryTableModel::Note), QStringLiteral("before cleaning"));
    // A second History brings the same window forward.
    window.ActiveBar21_ToolClick(QStringLiteral("mTHistory"));
    EXPECT_EQ(window.historyWindow(), list);

    // The filter: text of a note.
    list->filterText()->setText(QStringLiteral("BEFORE"));
    ASSERT_EQ(list->table()->model()->rowCount(), 1);
    EXPECT_EQ(cell(0, history::HistoryTableModel::File), QStringLiteral("first.DAT"));
    list->filterText()->clear();

    // The trend of Cell 7 across its two tests, exported.
    list->table()->selectRow(0);
    list->showTrend();
    auto* trend = list->findChild<history::frmProbeTrend*>();
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(trend->trend().probe, QStringLiteral("Cell 7"));
    ASSERT_EQ(trend->trend().points.size(), 2u);
    EXPECT_TRUE(trend->trend().points[0].values[0].has_value());
    EXPECT_FALSE(trend->trend().points[0].values[2].has_value()) << "channel 3 was off";
    const QString csv = home.file(QStringLiteral("trend.csv"));
    desk.dialogs.saveFiles = {csv};
    trend->exportCsv();
    EXPECT_EQ(TempHome::read(csv).count('\n'), 3);
    EXPECT_TRUE(trend->footText()->text().contains(csv));
    trend->close();

    // Opening a test: the channel selection of playback, as after File > Open.
    corvin::testing::WhenShown<playback::frmPeriodDataSetup> selection(
        [](playback::frmPeriodDataSetup& s) { s.cmdExit_Click(); });
    list->table()->selectRow(1);
    list->openSelected();
    EXPECT_TRUE(selection.ran());
    EXPECT_EQ(state.playback.playbackFile, home.file(QStringLiteral("Data/first.DAT")));
    list->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.close());
}

} // namespace
