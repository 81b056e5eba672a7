// The enabling table of the menus and toolbar, row by row. Each row's expectation is written out
// from the program's table of events, not taken from the code under test.
#include "app/CommandBar.h"
#include "app/EnablingRules.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace corvin;
using namespace corvin::app;

namespace {

using ToolRef = std::pair<const char*, const char*>; // band, tool
using PaneText = std::pair<const char*, const char*>;

struct Row {
    const char* name;
    ShellEvent event;
    std::vector<ToolRef> enabled;
    std::vector<ToolRef> disabled;
    std::vector<PaneText> status = {};
    RecentFilesChange recentFiles = RecentFilesChange::Unchanged;
    bool fileClose = false;
};

// The standard test disables every tool the table's events switch; the row is written out from
// the table, and it doubles as the list of all switchable tools, so a row can say "and nothing
// else changed".
const std::vector<ToolRef> kStandardDisabled = {{"mnuFile", "mFOpen"},
                                                {"mnuFile", "mFClose"},
                                                {"mnuFile", "mFCreateProbe"},
                                                {"mnuTest", "mTStandard"},
                                                {"mnuTest", "mTIndependent"},
                                                {"mnuView", "miFullScreen"},
                                                {"mnuView", "miNormal"},
                                                {"mnuOptions", "mOPreferences"},
                                                {"mnuOptions", "mOExcelDataExport"},
                                                {"mnuOptions", "mOTestOptions"},
                                                {"mnuOptions", "mOPrinterOptions"},
                                                {"ToolBar", "miTProbe"},
                                                {"ToolBar", "miTAuto"}};

std::vector<ToolRef> AllSwitchableTools() {
    return kStandardDisabled;
}

std::vector<ToolRef> Without(std::vector<ToolRef> tools, const std::vector<ToolRef>& drop) {
    std::erase_if(tools, [&](const ToolRef& t) {
        for (const ToolRef& d : drop)
            if (QLatin1String(t.first) == QLatin1String(d.first) &&
                QLatin1String(t.second) == QLatin1String(d.second))
                return true;
        return false;
    });
    return tools;
}

// The test window's EXIT (and, beyond the table, probe selection left by its own close).
const Row kExitRow{"test window left by its EXIT",
                   ShellEvent::TestWindowExited,
                   {{"mnuFile", "mFOpen"},
                    {"mnuFile", "mFCreateProbe"},
                    {"mnuTest", "mTStandard"},
                    {"mnuOptions", "mOPreferences"},
                    {"mnuOptions", "mOExcelDataExport"},
                    {"mnuOptions", "mOTestOptions"},
                    {"mnuOptions", "mOPrinterOptions"},
                    {"ToolBar", "miTProbe"},
                    {"ToolBar", "miTAuto"}},
                   {{"mnuFile", "mFClose"},
                    {"mnuTest", "mTIndependent"},
                    {"mnuView", "miFullScreen"},
                    {"mnuView", "miNormal"}},
                   {{"miStatus", ""}, {"miTimeElapsed", ""}},
                   RecentFilesChange::Enable};

Row Renamed(Row row, const char* name, ShellEvent event) {
    row.name = name;
    row.event = event;
    return row;
}

// Rows print as their event's name in test output.
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.name;
}

class EnablingTable : public ::testing::TestWithParam<Row> {};

// Starting from "all disabled" and "all enabled" shows both what a row sets and what it leaves.
TEST_P(EnablingTable, RowSetsExactlyItsToolsAndTexts) {
    const Row& row = GetParam();
    for (bool start : {false, true}) {
        CommandBar bar;
        for (const ToolRef& t : AllSwitchableTools())
            bar.setEnabled(QLatin1String(t.first), QLatin1String(t.second), start);
        bar.showStatus(QStringLiteral("miTimeElapsed"), QStringLiteral("00:01:02"));
        const RuleOutcome outcome = ApplyEnablingRule(bar, row.event);
        for (const ToolRef& t : row.enabled)
            EXPECT_TRUE(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)))
                << row.name << ": " << t.second << " should be enabled";
        for (const ToolRef& t : row.disabled)
            EXPECT_FALSE(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)))
                << row.name << ": " << t.second << " should be disabled";
        for (const ToolRef& t : Without(Without(AllSwitchableTools(), row.enabled), row.disabled))
            EXPECT_EQ(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)), start)
                << row.name << ": " << t.second << " should keep its state";
        for (const auto& [pane, text] : row.status) {
            EXPECT_EQ(bar.caption(QStringLiteral("sb"), QLatin1String(pane)), QLatin1String(text))
                << row.name;
            // A written pane is enabled; the elapsed time is cleared and disabled.
            EXPECT_EQ(bar.isEnabled(QStringLiteral("sb"), QLatin1String(pane)),
                      QLatin1String(pane) != QLatin1String("miTimeElapsed"))
                << row.name << ": " << pane;
        }
        EXPECT_EQ(outcome.recentFiles, row.recentFiles) << row.name;
        EXPECT_EQ(outcome.runFileClose, row.fileClose) << row.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnablingTable,
    ::testing::Values(Row{"start-up", ShellEvent::Startup, {}, {{"mnuFile", "mFClose"}}},
                      Row{"standard test chosen",
                          ShellEvent::StandardTestChosen,
                          {},
                          kStandardDisabled,
                          {},
                          RecentFilesChange::Disable},
                      Row{"automatic test started",
                          ShellEvent::AutoTestStarted,
                          {},
                          Without(kStandardDisabled, {{"ToolBar", "miTProbe"}, {"ToolBar", "miTAuto"}}),
                          {{"miStatus", "Waitng RANGE selection"}},
                          RecentFilesChange::Disable},
                      // Beyond the table: the two commands that create a probe come back with Standard.
                      Row{"Go without a probe",
                          ShellEvent::ProbeGoWithoutProbe,
                          {{"mnuTest", "mTStandard"}, {"mnuFile", "mFCreateProbe"}, {"ToolBar", "miTProbe"}},
                          {},
                          {{"miProbeLoaded", "No probe loaded"}, {"miStatus", "Create a Probe device"}}},
                      Row{"test started",
                          ShellEvent::TestStarted,
                          {{"mnuView", "miFullScreen"}},
                          {{"mnuView", "miNormal"}},
                          {{"miStatus", "Testing"}}},
                      Row{"test stopped",
                          ShellEvent::TestStopped,
                          {},
                          {{"mnuView", "miFullScreen"}, {"mnuView", "miNormal"}},
                          {{"miStatus", "Test Stopped"}}},
                      Row{"Stop from the pop-up menu",
                          ShellEvent::StopChosenFromPopup,
                          {{"mnuView", "miFullScreen"}},
                          {{"mnuView", "miNormal"}}},
                      Row{"DisplayFullscreen",
                          ShellEvent::FullScreenShown,
                          {{"mnuView", "miNormal"}},
                          {{"mnuView", "miFullScreen"}}},
                      Row{"DisplayNormal",
                          ShellEvent::NormalShown,
                          {{"mnuView", "miFullScreen"}},
                          {{"mnuView", "miNormal"}},
                          {{"miTimeElapsed", ""}}},
                      kExitRow,
                      Renamed(kExitRow, "probe selection left by its own close",
                              ShellEvent::ProbeSelectionClosed),
                      Row{"stored test being opened",
                          ShellEvent::StoredTestOpening,
                          {{"mnuFile", "mFClose"}, {"mnuFile", "mFCreateProbe"}},
                          {{"mnuFile", "mFOpen"},
                           {"mnuTest", "mTStandard"},
                           {"mnuView", "miFullScreen"},
                           {"mnuView", "miNormal"},
                           {"ToolBar", "miTAuto"}},
                          {},
                          RecentFilesChange::Disable},
                      Row{"opening failed or cancelled",
                          ShellEvent::StoredTestOpeningFailed,
                          {{"ToolBar", "miTAuto"}},
                          {},
                          {},
                          RecentFilesChange::Unchanged,
                          true},
                      Row{"playback windows left by Exit",
                          ShellEvent::PlaybackExited,
                          {{"ToolBar", "miTAuto"}},
                          {},
                          {},
                          RecentFilesChange::Unchanged,
                          true},
                      Row{"FileClose, no child window left",
                          ShellEvent::FileClosedNoChildLeft,
                          {{"mnuFile", "mFOpen"}, {"mnuFile", "mFCreateProbe"}, {"mnuTest", "mTStandard"}},
                          {{"mnuFile", "mFClose"}, {"mnuView", "miFullScreen"}, {"mnuView", "miNormal"}},
                          {},
                          RecentFilesChange::Enable},
                      Row{"FileClose, child windows left",
                          ShellEvent::FileClosedChildrenLeft,
                          {{"mnuFile", "mFOpen"}},
                          {{"mnuFile", "mFClose"}}}),
    [](const ::testing::TestParamInfo<Row>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

// ---- The bar's content -----------------------------------------------------------------------

TEST(CommandBarLayout, BandsAndToolsInDisplayOrder) {
    CommandBar bar;
    QStringList bands;
    for (const Band& b : bar.bands())
        bands << b.name;
    EXPECT_EQ(bands, (QStringList{"mnuMain", "mnuFile", "mnuTest", "mnuOptions", "mnuView", "mnuHelp", "sb",
                                  "ToolBar"}));

    QStringList file;
    for (const QAction* t : bar.band(QStringLiteral("mnuFile")).tools)
        file << t->objectName();
    EXPECT_EQ(file,
              (QStringList{"mFOpen", "mFClose", "mnuSep", "mFCreateProbe", "mnuSep", "mFPrintGraph",
                           "miFMRUSep", "miFMRU1", "miFMRU2", "miFMRU3", "miFMRU4", "mnuSep", "mFExit"}));
    QStringList status;
    for (const QAction* t : bar.band(QStringLiteral("sb")).tools)
        status << t->objectName();
    EXPECT_EQ(status, (QStringList{"miProbeLoaded", "miSeparator", "miDefaultProbe", "miSeperator",
                                   "miStatus", "miTimeElapsed", "tDate"}));
    EXPECT_EQ(bar.caption(QStringLiteral("sb"), QStringLiteral("tDate")), QStringLiteral("2/17/2006"));
    EXPECT_EQ(bar.caption(QStringLiteral("mnuOptions"), QStringLiteral("mOExcelDataExport")),
              QStringLiteral("ExcelDataExport"));
    EXPECT_EQ(bar.action(QStringLiteral("ToolBar"), QStringLiteral("miTAuto"))->toolTip(),
              QStringLiteral("Default Test/Probe"));
}

TEST(CommandBarLayout, ToolbarCopiesOfMenuEntriesFollowTheMenu) {
    // One action per command: the toolbar's Open is the File menu's Open.
    CommandBar shared;
    EXPECT_EQ(shared.action(QStringLiteral("ToolBar"), QStringLiteral("mFOpen")),
              shared.action(QStringLiteral("mnuFile"), QStringLiteral("mFOpen")));
    CommandBar bar;
    bar.setEnabled(QStringLiteral("mnuFile"), QStringLiteral("mFOpen"), false);
    EXPECT_FALSE(bar.isEnabled(QStringLiteral("ToolBar"), QStringLiteral("mFOpen")));
    bar.setEnabled(QStringLiteral("mnuFile"), QStringLiteral("mFOpen"), true);
    EXPECT_TRUE(bar.isEnabled(QStringLiteral("ToolBar"), QStringLiteral("mFOpen")));
    // The toolbar's own tools are addressed on their own.
    bar.setEnabled(QStringLiteral("ToolBar"), QStringLiteral("miTAuto"), false);
    EXPECT_FALSE(bar.isEnabled(QStringLiteral("ToolBar"), QStringLiteral("miTAuto")));
}

} // namespace

TEST(CommandBarLayout, ARecentFileToolIsClickedWithItsTag) {
    CommandBar bar;
    EXPECT_FALSE(
        bar.isVisible(QStringLiteral("mnuFile"), QStringLiteral("miFMRU2"))); // until it holds a file
    EXPECT_EQ(bar.category(QStringLiteral("mnuFile"), QStringLiteral("mFOpen")), QStringLiteral("File"));
    EXPECT_EQ(bar.category(QStringLiteral("ToolBar"), QStringLiteral("miTAuto")), QStringLiteral("Tools"));
    bar.setVisible(QStringLiteral("mnuFile"), QStringLiteral("miFMRU2"), true);
    bar.setTag(QStringLiteral("mnuFile"), QStringLiteral("miFMRU2"), QStringLiteral("3"));
    QStringList clicks;
    QObject::connect(&bar, &CommandBar::toolClicked, [&clicks](const QString& tool, const QString& tag) {
        clicks << tool + QLatin1Char('=') + tag;
    });
    bar.action(QStringLiteral("mnuFile"), QStringLiteral("miFMRU2"))->trigger();
    EXPECT_EQ(clicks, QStringList(QStringLiteral("miFMRU2=3")));
    EXPECT_EQ(bar.tag(QStringLiteral("mnuFile"), QStringLiteral("miFMRU2")), QStringLiteral("3"));
}

TEST(CommandBarLayoutDeathTest, AnUnknownToolNameStopsTheProgram) {
    CommandBar bar;
    EXPECT_DEATH(bar.setEnabled(QStringLiteral("mnuFile"), QStringLiteral("mFOpn"), true),
                 "no tool named mFOpn");
}
