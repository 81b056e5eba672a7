// The enabling table of the menus and toolbar, row by row. Each row's expectation is written out
// from the program's table of events, not taken from the code under test.
#include "app/EnablingRules.h"
#include "common/CommandBar.h"

#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

using namespace corvin;
using namespace corvin::app;

namespace {

using ToolRef = std::pair<const char*, const char*>; // band, tool

struct Row {
    const char* event;
    std::function<void(CommandBar&)> apply;
    std::vector<ToolRef> enabled;
    std::vector<ToolRef> disabled;
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

// Rows print as their event's name in test output.
void PrintTo(const Row& row, std::ostream* os) {
    *os << row.event;
}

class EnablingTable : public ::testing::TestWithParam<Row> {};

// Starting from "all disabled" and "all enabled" shows both what a row sets and what it leaves.
TEST_P(EnablingTable, RowSetsExactlyItsTools) {
    const Row& row = GetParam();
    for (bool start : {false, true}) {
        CommandBar bar;
        for (const ToolRef& t : AllSwitchableTools())
            bar.setEnabled(QLatin1String(t.first), QLatin1String(t.second), start);
        row.apply(bar);
        for (const ToolRef& t : row.enabled)
            EXPECT_TRUE(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)))
                << row.event << ": " << t.second << " should be enabled";
        for (const ToolRef& t : row.disabled)
            EXPECT_FALSE(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)))
                << row.event << ": " << t.second << " should be disabled";
        for (const ToolRef& t : Without(Without(AllSwitchableTools(), row.enabled), row.disabled))
            EXPECT_EQ(bar.isEnabled(QLatin1String(t.first), QLatin1String(t.second)), start)
                << row.event << ": " << t.second << " should keep its state";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, EnablingTable,
    ::testing::Values(
        Row{"start-up", ToolsAtStartup, {}, {{"mnuFile", "mFClose"}}},
        Row{"standard test chosen", ToolsForStandardTest, {}, kStandardDisabled},
        Row{"automatic test started",
            ToolsForAutoTest,
            {},
            Without(kStandardDisabled, {{"ToolBar", "miTProbe"}, {"ToolBar", "miTAuto"}})},
        Row{"DisplayFullscreen",
            ToolsForFullScreen,
            {{"mnuView", "miNormal"}},
            {{"mnuView", "miFullScreen"}}},
        Row{"DisplayNormal", ToolsForNormal, {{"mnuView", "miFullScreen"}}, {{"mnuView", "miNormal"}}},
        Row{"stored test being opened",
            ToolsForStoredTest,
            {{"mnuFile", "mFClose"}, {"mnuFile", "mFCreateProbe"}},
            {{"mnuFile", "mFOpen"},
             {"mnuTest", "mTStandard"},
             {"mnuView", "miFullScreen"},
             {"mnuView", "miNormal"},
             {"ToolBar", "miTAuto"}}},
        Row{"FileClose, no child window left",
            [](CommandBar& b) { ToolsAfterFileClose(b, false); },
            {{"mnuFile", "mFOpen"}, {"mnuFile", "mFCreateProbe"}, {"mnuTest", "mTStandard"}},
            {{"mnuFile", "mFClose"}, {"mnuView", "miFullScreen"}, {"mnuView", "miNormal"}}},
        Row{"FileClose, child windows left",
            [](CommandBar& b) { ToolsAfterFileClose(b, true); },
            {{"mnuFile", "mFOpen"}},
            {{"mnuFile", "mFClose"}}}),
    [](const ::testing::TestParamInfo<Row>& info) {
        std::string name = info.param.event;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(EnablingTable, DisplayNormalClearsAndDisablesTheElapsedTime) {
    CommandBar bar;
    bar.showStatus(QStringLiteral("miTimeElapsed"), QStringLiteral("00:01:02"));
    ToolsForNormal(bar);
    EXPECT_FALSE(bar.isEnabled(QStringLiteral("sb"), QStringLiteral("miTimeElapsed")));
    EXPECT_TRUE(bar.caption(QStringLiteral("sb"), QStringLiteral("miTimeElapsed")).isEmpty());
}

// ---- The bar's content -----------------------------------------------------------------------

TEST(CommandBarLayout, BandsAndToolsInDisplayOrder) {
    CommandBar bar;
    QStringList bands;
    for (const Band& b : bar.bands())
        bands << b.name;
    EXPECT_EQ(bands, (QStringList{"mnuMain", "mnuFile", "mnuTest", "mnuOptions", "mnuView", "mnuHelp", "sb",
                                  "ToolBar"}));

    QStringList file;
    for (const Tool& t : bar.band(QStringLiteral("mnuFile"))->tools)
        file << t.name;
    EXPECT_EQ(file,
              (QStringList{"mFOpen", "mFClose", "mnuSep", "mFCreateProbe", "mnuSep", "mFPrintGraph",
                           "miFMRUSep", "miFMRU1", "miFMRU2", "miFMRU3", "miFMRU4", "mnuSep", "mFExit"}));
    QStringList status;
    for (const Tool& t : bar.band(QStringLiteral("sb"))->tools)
        status << t.name;
    EXPECT_EQ(status, (QStringList{"miProbeLoaded", "miSeparator", "miDefaultProbe", "miSeperator",
                                   "miStatus", "miTimeElapsed", "tDate"}));
    EXPECT_EQ(bar.caption(QStringLiteral("sb"), QStringLiteral("tDate")), QStringLiteral("2/17/2006"));
    EXPECT_EQ(bar.caption(QStringLiteral("mnuOptions"), QStringLiteral("mOExcelDataExport")),
              QStringLiteral("ExcelDataExport"));
    EXPECT_EQ(bar.tool(QStringLiteral("ToolBar"), QStringLiteral("miTAuto"))->tooltip,
              QStringLiteral("Default Test/Probe"));
}

TEST(CommandBarLayout, ToolbarCopiesOfMenuEntriesFollowTheMenu) {
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
