// Stored tests in the main window: File > Open and the recent-files entries, the menus after
// every way in and out of playback, the recent-files list across a restart, and a test data file
// named from outside the program.
#include "app/MainWindow.h"
#include "datafiles/TestRecord.h"
#include "instrument/NoPause.h"
#include "livetest/frmStdTestLogging.h"
#include "playback/PlaybackFixtures.h"
#include "playback/frmPeriodDataSetup.h"
#include "playback/frmPeriodicDataGraph.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/RecordingCard.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"
#include "support/WhenShown.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace corvin;
using corvin::testing::TempHome;
using corvin::testing::WhenShown;
using playback::frmPeriodDataSetup;

namespace {

const QString kFile = QStringLiteral("mnuFile");

// The tools the stored-test events switch: their state while a stored test is open, and once the
// main window is idle again.
struct ToolStates {
    const char* band;
    const char* tool;
    bool storedTest;
    bool idle;
};
const ToolStates kTools[] = {
    {"mnuFile", "mFOpen", false, true},        {"mnuFile", "mFClose", true, false},
    {"mnuFile", "mFCreateProbe", true, true},  {"mnuTest", "mTStandard", false, true},
    {"mnuView", "miFullScreen", false, false}, {"mnuView", "miNormal", false, false},
    {"ToolBar", "miTAuto", false, true}};
enum class Expect { StoredTest, Idle };

class StoredTests : public ::testing::Test {
protected:
    StoredTests() {
        state.folders.Home = home.path();
        card.setRegisteredIndexes({{0, 0}});
        card.setModel(230);
        QDir().mkpath(home.file(QStringLiteral("TESTS")));
    }
    ~StoredTests() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    app::MainWindow& started(settings::RegistryStore& store) {
        window =
            std::make_unique<app::MainWindow>(app::AppServices{state, card, pauser, desk.desktop, store});
        EXPECT_TRUE(window->Form_Load());
        window->show();
        return *window;
    }
    app::MainWindow& started() { return started(registry); }

    // A test data file in TESTS; `interval` tells the files apart once loaded.
    QString written(const QString& name, int16_t interval = 10) {
        const QString path = home.file(QStringLiteral("TESTS/") + name);
        EXPECT_TRUE(corvin::testing::WriteTest(path, 30, interval));
        return path;
    }

    // File > Open on `path`; the selection is left at once by its Exit.
    void openAndExit(const QString& path) {
        desk.dialogs.openFiles.push_back(path);
        WhenShown<frmPeriodDataSetup> selection([](frmPeriodDataSetup& s) { s.cmdExit_Click(); });
        window->ActiveBar21_ToolClick(QStringLiteral("mFOpen"));
        EXPECT_TRUE(selection.ran());
    }

    void expectTools(Expect expected, const char* where) {
        for (const ToolStates& t : kTools)
            EXPECT_EQ(window->bar().isEnabled(QLatin1String(t.band), QLatin1String(t.tool)),
                      expected == Expect::StoredTest ? t.storedTest : t.idle)
                << where << ": " << t.tool;
    }
    bool recentShown(int n) const {
        return window->bar().isVisible(kFile, QStringLiteral("miFMRU%1").arg(n));
    }
    bool recentEnabled(int n) const {
        return window->bar().isEnabled(kFile, QStringLiteral("miFMRU%1").arg(n));
    }
    QString recentCaption(int n) const {
        return window->bar().caption(kFile, QStringLiteral("miFMRU%1").arg(n));
    }

    TempHome home;
    SharedState state;
    corvin::testing::RecordingCard card;
    instrument::NoPause pauser;
    corvin::testing::ScriptedDesktop desk;
    settings::RegistryStore registry{home.file(QStringLiteral("registry.sqlite")), desk.clock};
    std::unique_ptr<app::MainWindow> window;
};

// ---- File > Open, every way in and out -------------------------------------------------------

enum class Chosen { Nothing, WrongExtension, Unreadable, TestDataFile };
enum class Leave { NotShown, SelectionExit, GraphExit, ReselectThenExit };

struct OpenPath {
    const char* name;
    Chosen chosen;
    Leave leave;
    const char* message; // the start of the one message shown, or none
};

void PrintTo(const OpenPath& path, std::ostream* os) {
    *os << path.name;
}

class OpenPaths : public StoredTests, public ::testing::WithParamInterface<OpenPath> {};

TEST_P(OpenPaths, EndIdleWithTheProgramsMessages) {
    const OpenPath& p = GetParam();
    app::MainWindow& w = started();
    const QString good = written(QStringLiteral("run.DAT"));
    const QString wrong = written(QStringLiteral("run.TXT"));
    const QString shortFile = home.file(QStringLiteral("TESTS/short.DAT"));
    ASSERT_TRUE(TempHome::write(shortFile, QByteArray(100, 'x')));
    const std::map<Chosen, std::optional<QString>> files = {{Chosen::Nothing, std::nullopt},
                                                            {Chosen::WrongExtension, wrong},
                                                            {Chosen::Unreadable, shortFile},
                                                            {Chosen::TestDataFile, good}};
    desk.dialogs.openFiles.push_back(files.at(p.chosen));

    WhenShown<frmPeriodDataSetup> selection([&](frmPeriodDataSetup& s) {
        expectTools(Expect::StoredTest, "selection shown");
        // The file heads the recent list already; its entry is shown but unavailable.
        EXPECT_TRUE(recentShown(1));
        EXPECT_FALSE(recentEnabled(1));
        EXPECT_EQ(recentCaption(1), settings::cMRUFileList::caption(1, good));
        if (p.leave == Leave::SelectionExit) {
            s.cmdExit_Click();
            return;
        }
        for (int k : {5, 2, 7})
            s.Picture1_Click(k);
        s.cmdOK_Click();
    });
    w.commandBarView().action(QStringLiteral("ToolBar"), QStringLiteral("mFOpen"))->trigger();
    EXPECT_EQ(selection.ran(), p.leave != Leave::NotShown);

    if (p.leave == Leave::GraphExit || p.leave == Leave::ReselectThenExit) {
        playback::frmPeriodicDataGraph* graph = w.graphWindow();
        ASSERT_NE(graph, nullptr);
        EXPECT_EQ(w.activeChild(), graph);
        EXPECT_EQ(w.ChildWindowCount(), 1);
        expectTools(Expect::StoredTest, "graph shown");
        if (p.leave == Leave::GraphExit) {
            graph->cmdExit_Click();
        } else {
            WhenShown<frmPeriodDataSetup> again([](frmPeriodDataSetup& s) { s.cmdExit_Click(); });
            graph->cmdReselect_Click();
            EXPECT_TRUE(again.ran());
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    expectTools(Expect::Idle, "after");
    EXPECT_TRUE(w.clientArea()->subWindowList().isEmpty());
    EXPECT_EQ(w.ChildWindowCount(), 0);
    if (p.message) {
        ASSERT_EQ(desk.dialogs.messages.size(), 1u);
        EXPECT_TRUE(desk.dialogs.lastMessage().text.startsWith(QString::fromUtf8(p.message)))
            << desk.dialogs.lastMessage().text.toStdString();
        EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Critical);
    } else {
        EXPECT_TRUE(desk.dialogs.messages.empty());
    }
    const bool opened = p.chosen == Chosen::TestDataFile;
    EXPECT_EQ(w.recentFiles().FileCount(), opened ? 1 : 0);
    EXPECT_EQ(recentShown(1) && recentEnabled(1), opened);
    EXPECT_EQ(w.bar().isVisible(kFile, QStringLiteral("miFMRUSep")), opened);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OpenPaths,
    ::testing::Values(OpenPath{"cancelled", Chosen::Nothing, Leave::NotShown, nullptr},
                      OpenPath{"wrong extension", Chosen::WrongExtension, Leave::NotShown,
                               "File is not a Periodic Data File"},
                      OpenPath{"unreadable", Chosen::Unreadable, Leave::NotShown,
                               "Problems Reading File Back Corrupted Data ! \nVB Error generated= "},
                      OpenPath{"opened, selection Exit", Chosen::TestDataFile, Leave::SelectionExit, nullptr},
                      OpenPath{"opened, graph Exit", Chosen::TestDataFile, Leave::GraphExit, nullptr},
                      OpenPath{"opened, graph ReSelect Exit", Chosen::TestDataFile, Leave::ReselectThenExit,
                               nullptr}),
    [](const ::testing::TestParamInfo<OpenPath>& info) { return std::to_string(info.index); });

// Regression: File > Print Graph was always enabled and did nothing.
TEST_F(StoredTests, FilePrintGraphIsEnabledOnlyWhileAGraphIsOpenAndPrintsIt) {
    app::MainWindow& w = started();
    EXPECT_FALSE(w.bar().isEnabled(kFile, QStringLiteral("mFPrintGraph")));
    desk.dialogs.openFiles.push_back(written(QStringLiteral("run.DAT")));
    WhenShown<frmPeriodDataSetup> selection([](frmPeriodDataSetup& s) {
        s.Picture1_Click(3);
        s.cmdOK_Click();
    });
    w.ActiveBar21_ToolClick(QStringLiteral("mFOpen"));
    ASSERT_NE(w.graphWindow(), nullptr);
    EXPECT_TRUE(w.bar().isEnabled(kFile, QStringLiteral("mFPrintGraph")));
    w.ActiveBar21_ToolClick(QStringLiteral("mFPrintGraph"));
    EXPECT_EQ(desk.printers.jobs.size(), 1u);

    w.graphWindow()->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(w.bar().isEnabled(kFile, QStringLiteral("mFPrintGraph")));
    w.ActiveBar21_ToolClick(QStringLiteral("mFPrintGraph"));
    EXPECT_EQ(desk.printers.jobs.size(), 1u);
}

// A stored test with a record: its probe and start in the status bar and the graph's title bar,
// every field behind the graph's Test Record button; a changed data file is flagged, and a
// record that cannot be read is one message that does not stop the test from opening.
TEST_F(StoredTests, AStoredTestShowsItsRecordAndAChangedDataFileIsFlagged) {
    app::MainWindow& w = started();
    const QString path = home.file(QStringLiteral("TESTS/recorded.DAT"));
    PeriodicDataSet data;
    data.resize(20);
    datafiles::TestRecord record;
    record.probeName = QStringLiteral("CELL 4");
    record.start = QDateTime(QDate(2026, 11, 30), QTime(9, 15));
    record.note = QStringLiteral("before shipping");
    ASSERT_TRUE(datafiles::WriteTestDataWithRecord(path, data, 10, {}, record));

    const auto openGraph = [&] {
        desk.dialogs.openFiles.push_back(path);
        WhenShown<frmPeriodDataSetup> selection([](frmPeriodDataSetup& s) {
            s.Picture1_Click(1);
            s.cmdOK_Click();
        });
        w.ActiveBar21_ToolClick(QStringLiteral("mFOpen"));
    };
    openGraph();
    ASSERT_NE(w.graphWindow(), nullptr);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("notice"))->text(),
              QStringLiteral("recorded.DAT: CELL 4, started 2026-11-30 09:15"));
    EXPECT_EQ(w.graphWindow()->windowTitle(),
              QStringLiteral("Periodic Data Graph \u2014 CELL 4, started 2026-11-30 09:15"));
    auto* button = w.graphWindow()->findChild<QPushButton*>(QStringLiteral("cmdTestRecord"));
    ASSERT_NE(button, nullptr);
    button->click();
    EXPECT_TRUE(desk.dialogs.lastMessage().text.contains(QStringLiteral("\nnote: before shipping\n")));
    w.graphWindow()->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    QByteArray bytes = TempHome::read(path);
    bytes[4] = 'x';
    ASSERT_TRUE(TempHome::write(path, bytes));
    openGraph();
    ASSERT_NE(w.graphWindow(), nullptr);
    EXPECT_TRUE(w.graphWindow()->windowTitle().endsWith(
        QStringLiteral("(the data file was changed after its record was written)")));
    w.graphWindow()->cmdExit_Click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    ASSERT_TRUE(TempHome::write(datafiles::RecordPathFor(path), "garbage"));
    openGraph();
    ASSERT_NE(w.graphWindow(), nullptr);
    EXPECT_EQ(w.findChild<QLabel*>(QStringLiteral("notice"))->text(),
              QStringLiteral("recorded.DAT: its test record is not usable: it is not JSON"));
    EXPECT_EQ(w.graphWindow()->findChild<QPushButton*>(QStringLiteral("cmdTestRecord")), nullptr);
}

// ---- The recent-files entries ----------------------------------------------------------------

TEST_F(StoredTests, TheRecentListSurvivesARestartWithoutFilesDeletedSince) {
    const QString a = written(QStringLiteral("a.DAT"));
    const QString b = written(QStringLiteral("R&D.DAT"));
    const QString c = written(QStringLiteral("c.DAT"));
    started();
    EXPECT_FALSE(window->bar().isVisible(kFile, QStringLiteral("miFMRUSep")));
    for (const QString& path : {a, b, c})
        openAndExit(path);
    EXPECT_EQ(recentCaption(1), settings::cMRUFileList::caption(1, c));
    // A "&" of the path shows as it is; the digit stays the access key.
    EXPECT_TRUE(recentCaption(2).startsWith(QStringLiteral("&2)  "))) << recentCaption(2).toStdString();
    EXPECT_TRUE(recentCaption(2).endsWith(QStringLiteral("/R&&D.DAT"))) << recentCaption(2).toStdString();
    EXPECT_EQ(recentCaption(3), settings::cMRUFileList::caption(3, a));
    EXPECT_FALSE(recentShown(4));
    EXPECT_TRUE(window->close());
    window.reset();

    ASSERT_TRUE(QFile::remove(b));
    settings::RegistryStore again(home.file(QStringLiteral("registry.sqlite")), desk.clock);
    started(again);
    EXPECT_EQ(window->recentFiles().MaxFileCount(), 4);
    EXPECT_EQ(window->recentFiles().FileCount(), 2);
    EXPECT_EQ(recentCaption(1), settings::cMRUFileList::caption(1, c));
    EXPECT_EQ(recentCaption(2), settings::cMRUFileList::caption(2, a));
    EXPECT_TRUE(recentShown(2) && recentEnabled(2));
    EXPECT_FALSE(recentShown(3));
    EXPECT_TRUE(window->bar().isVisible(kFile, QStringLiteral("miFMRUSep")));
}

TEST_F(StoredTests, ARecentEntryOpensTheFileItsTagNamesAndKeepsTheOrder) {
    const QString older = written(QStringLiteral("older.DAT"), 5);
    const QString newer = written(QStringLiteral("newer.DAT"), 20);
    started();
    openAndExit(older);
    openAndExit(newer);

    // The entry's tag, not the digit in its name, picks the file.
    window->bar().setTag(kFile, QStringLiteral("miFMRU1"), QStringLiteral("2"));
    int16_t interval = 0;
    WhenShown<frmPeriodDataSetup> selection([&](frmPeriodDataSetup& s) {
        interval = state.periodic.HeaderValues[0];
        expectTools(Expect::StoredTest, "opened by name");
        EXPECT_FALSE(recentEnabled(1));
        EXPECT_FALSE(recentEnabled(2));
        s.cmdExit_Click();
    });
    window->commandBarView().action(kFile, QStringLiteral("miFMRU1"))->trigger();
    EXPECT_TRUE(selection.ran());
    EXPECT_EQ(interval, 5);
    EXPECT_EQ(window->recentFiles().file(1), newer);
    EXPECT_EQ(window->recentFiles().file(2), older);
    expectTools(Expect::Idle, "after the selection's Exit");
    EXPECT_TRUE(recentEnabled(1) && recentEnabled(2));

    // A file gone since: the program's words for the open by name, and the menus as they were.
    ASSERT_TRUE(QFile::remove(older));
    window->ActiveBar21_ToolClick(QStringLiteral("miFMRU2"), QStringLiteral("2"));
    ASSERT_EQ(desk.dialogs.messages.size(), 1u);
    EXPECT_TRUE(desk.dialogs.lastMessage().text.startsWith(
        QStringLiteral("Problems Reading File Back Corrupted Data ! \nError =")));
    expectTools(Expect::Idle, "after a failed open by name");
    EXPECT_TRUE(recentEnabled(1));
}

// ---- A file named from outside ---------------------------------------------------------------

TEST_F(StoredTests, AFileNamedFromOutsideOpensOnceStartedAndOnlyWhenIdle) {
    const QString run = written(QStringLiteral("run.DAT"), 15);
    window = std::make_unique<app::MainWindow>(app::AppServices{state, card, pauser, desk.desktop, registry});
    // Named before the start-up ends (the command line): it waits for the window.
    window->openTestDataFile(run);
    ASSERT_TRUE(window->Form_Load());
    window->show();
    EXPECT_EQ(state.periodic.SampleCapacity, 0);

    QString busyAnswer;
    WhenShown<frmPeriodDataSetup> selection([&](frmPeriodDataSetup& s) {
        EXPECT_EQ(state.periodic.HeaderValues[0], 15);
        expectTools(Expect::StoredTest, "opened from outside");
        // Another file while this one is open: not opened, and the user is told.
        window->openTestDataFile(written(QStringLiteral("other.DAT")));
        busyAnswer = desk.dialogs.messages.empty() ? QString() : desk.dialogs.lastMessage().text;
        EXPECT_EQ(state.periodic.HeaderValues[0], 15);
        s.cmdExit_Click();
    });
    QCoreApplication::processEvents();
    EXPECT_TRUE(selection.ran());
    EXPECT_EQ(busyAnswer,
              app::MainWindow::notOpenedWhileBusyMessage(home.file(QStringLiteral("TESTS/other.DAT"))));
    EXPECT_EQ(window->recentFiles().FileCount(), 0) << "opened by name, as a recent file is";
    expectTools(Expect::Idle, "after the selection's Exit");

    // While a test window is open: the same answer, and the test window stays as it was.
    cProbe probe;
    probe.setProbe_Name(QStringLiteral("BENCH"));
    ASSERT_TRUE(probes::WriteProbeFile(home.file(QStringLiteral("Probes")), probe).ok());
    ASSERT_TRUE(settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH")).ok());
    window->ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
    ASSERT_NE(window->testWindow(), nullptr);
    desk.dialogs.messages.clear();
    window->openTestDataFile(run);
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{app::MainWindow::notOpenedWhileBusyMessage(run)});
    EXPECT_EQ(desk.dialogs.lastMessage().icon, platform::Icon::Information);
    EXPECT_EQ(window->activeChild(), window->testWindow());
    EXPECT_EQ(window->ChildWindowCount(), 1);
    EXPECT_EQ(window->graphWindow(), nullptr);
}

} // namespace
