// What the History window and the trend show of the rows: the filter, the trend's table and its
// CSV, and the window's answers for a test whose file another station holds.

#include "history/HistoryFilter.h"
#include "history/ProbeTrend.h"
#include "history/TestHistory.h"
#include "history/frmTestHistory.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTableView>
#include <gtest/gtest.h>

namespace corvin {
namespace {

using history::TestEntry;

const qint64 kDay = 24 * 3600 * 1000;
const qint64 kFirst = QDateTime(QDate(2026, 11, 2), QTime(10, 0)).toMSecsSinceEpoch();

TestEntry Entry(const char* probe, const char* path, int day, const char* verdict, const char* note = "") {
    TestEntry e;
    e.station = history::ThisStation();
    e.probe = QString::fromUtf8(probe);
    e.path = QString::fromUtf8(path);
    e.startMs = kFirst + day * kDay;
    e.verdict = QString::fromUtf8(verdict);
    e.note = QString::fromUtf8(note);
    e.rows = 10;
    return e;
}

const std::vector<TestEntry> kEntries = {
    Entry("PX-7", "/d/a.DAT", 0, "PASS", "first run"),
    Entry("px-7", "/d/b.DAT", 3, "FAIL", "Heater high"),
    Entry("PX-70", "/d/c.DAT", 5, "MARGINAL"),
    Entry("", "/d/heater-c.DAT", 9, "UNREADABLE"),
};

QStringList Files(const std::vector<TestEntry>& entries) {
    QStringList files;
    for (const TestEntry& e : entries)
        files << QFileInfo(e.path).fileName();
    return files;
}

TEST(HistoryFilter, NarrowsByProbeTextDatesAndVerdict) {
    struct Case {
        const char* probe;
        const char* text;
        QDate from, to;
        const char* verdict;
        QStringList files;
    };
    const Case cases[] = {
        {"", "", {}, {}, "", {"a.DAT", "b.DAT", "c.DAT", "heater-c.DAT"}},
        {"PX-7", "", {}, {}, "", {"a.DAT", "b.DAT"}},                             // the whole name, any case
        {"", "heater", {}, {}, "", {"b.DAT", "heater-c.DAT"}},                    // a note or a file name
        {"", "px-7", {}, {}, "", {"a.DAT", "b.DAT", "c.DAT"}},                    // part of a probe's name
        {"", "", QDate(2026, 11, 5), QDate(2026, 11, 7), "", {"b.DAT", "c.DAT"}}, // inclusive days
        {"", "", {}, {}, "fail", {"b.DAT"}},
        {"", "", {}, {}, "UNREADABLE", {"heater-c.DAT"}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const history::HistoryFilter filter{QString::fromUtf8(c.probe), QString::fromUtf8(c.text), c.from,
                                            c.to, QString::fromUtf8(c.verdict)};
        EXPECT_EQ(Files(history::Filtered(kEntries, filter)), c.files) << "case " << i;
    }
    EXPECT_EQ(history::ProbesIn(kEntries), (QStringList{"PX-7", "px-7", "PX-70"}));
}

TEST(ProbeTrend, TakesOneStatisticPerTestOldestFirstAndWritesItAsCsv) {
    std::vector<TestEntry> entries{Entry("PX-7", "/d/late, \"b\".DAT", 3, "FAIL"),
                                   Entry("PX-7", "/d/a.DAT", 0, "PASS"),
                                   Entry("OTHER", "/d/o.DAT", 1, "PASS")};
    entries[0].numbers[0] = history::ChannelNumbers{5.0, 4.0, 6.5, 6.25};
    entries[1].numbers[0] = history::ChannelNumbers{4.5, 4.0, 5.0, 4.75};
    entries[1].numbers[4] = history::ChannelNumbers{450, 440, 460, 455};
    entries[0].channelNames[0] = QStringLiteral("Anode               ");

    const history::ProbeTrend trend =
        history::TrendOf(entries, QStringLiteral("PX-7"), history::Statistic::End);
    ASSERT_EQ(trend.points.size(), 2u);
    EXPECT_EQ(trend.points[0].path, QStringLiteral("/d/a.DAT"));
    EXPECT_TRUE(history::ChannelHasValues(trend, 5));
    EXPECT_FALSE(history::ChannelHasValues(trend, 2));

    const QString first = history::IsoLocalTime(kFirst);
    const QString last = history::IsoLocalTime(kFirst + 3 * kDay);
    EXPECT_EQ(QString::fromUtf8(history::TrendCsv(trend)),
              QStringLiteral("start,file,verdict,1 Anode,2,3,4,5,6,7\n") + first +
                  QStringLiteral(",/d/a.DAT,PASS,4.75,,,,455,,\n") + last +
                  QStringLiteral(",\"/d/late, \"\"b\"\".DAT\",FAIL,6.25,,,,,,\n"));
}

TEST(TestHistoryWindow, OpensAndShowsOnlyTheFilesThisStationHolds) {
    testing::TempHome home;
    testing::ScriptedDesktop desk;
    history::TestHistory testHistory(home.path(), desk.clock);
    TestEntry mine = Entry("PX-7", "", 1, "PASS");
    mine.path = home.file(QStringLiteral("Data/mine.DAT"));
    ASSERT_TRUE(QDir().mkpath(home.file(QStringLiteral("Data"))));
    ASSERT_TRUE(testing::TempHome::write(mine.path, "x"));
    TestEntry theirs = Entry("PX-7", "/elsewhere/theirs.DAT", 2, "FAIL");
    theirs.station = QStringLiteral("bench-9");
    ASSERT_TRUE(testHistory.local().put({mine, theirs}));

    QStringList opened;
    history::frmTestHistory window(testHistory, desk.desktop, home.file(QStringLiteral("Probes")),
                                   [&opened](const QString& path) { opened << path; });
    ASSERT_EQ(window.table()->model()->rowCount(), 2);
    window.table()->selectRow(0); // the newest: the other station's
    window.openSelected();
    window.showSelectedFile();
    EXPECT_TRUE(opened.isEmpty());
    ASSERT_EQ(desk.dialogs.messages.size(), 2u);
    EXPECT_TRUE(desk.dialogs.messages[0].text.contains(QStringLiteral("bench-9")));
    EXPECT_TRUE(desk.help.urls.isEmpty());

    window.table()->selectRow(1);
    window.openSelected();
    window.showSelectedFile();
    EXPECT_EQ(opened, QStringList{mine.path});
    EXPECT_EQ(desk.help.urls, QStringList{QUrl::fromLocalFile(home.file(QStringLiteral("Data"))).toString()});

    // A folder added for the rescan.
    desk.dialogs.folders = {home.file(QStringLiteral("share"))};
    window.addFolder();
    EXPECT_TRUE(testHistory.folders().contains(home.file(QStringLiteral("share"))));
    window.verdictChoice()->setCurrentIndex(window.verdictChoice()->findData(QStringLiteral("FAIL")));
    EXPECT_EQ(window.table()->model()->rowCount(), 1);
}

} // namespace
} // namespace corvin
