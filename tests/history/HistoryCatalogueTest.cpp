// The test history's catalogue in the home: what a row keeps, the damage rule, and the rescan
// that keeps the rows in line with the files on disc.

#include "datafiles/TestRecord.h"
#include "history/HistoryFilter.h"
#include "history/LocalCatalogue.h"
#include "history/Rescan.h"
#include "history/TestHistory.h"
#include "support/CorvinDataRun.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <gtest/gtest.h>

namespace corvin {
namespace {

using history::LocalCatalogue;
using history::RescanCounts;
using history::TestEntry;
using testing::TempHome;

const SystemClock kClock;

std::array<QString, kChannelCount> Names() {
    return {QStringLiteral("Anode"), QStringLiteral("Cathode"), QStringLiteral("Grid"),
            QStringLiteral("Ring"),  QStringLiteral("Guard"),   QStringLiteral("Shield"),
            QStringLiteral("Tip")};
}

// A test of `rows` rows whose channel k reads k + offset, saved with a record of `probe`.
void SaveTest(const QString& path, int16_t rows, float offset, const QString& probe,
              const QString& note = {}) {
    PeriodicDataSet data;
    data.resize(rows);
    for (int k = 0; k < kChannelCount; ++k) {
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[k][r] = float(k + 1) + offset + (r == rows - 1 ? 0.5f : 0.0f);
    }
    datafiles::TestRecord record;
    record.probeName = probe;
    record.start = QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC).addDays(int(offset));
    record.end = record.start.addSecs(rows * 5);
    record.operatorName = QStringLiteral("ana");
    record.station = QStringLiteral("bench-2");
    record.note = note;
    record.channelsOn = std::array<bool, kChannelCount>{true, true, true, true, true, true, false};
    record.verdicts = datafiles::RecordedVerdicts{};
    record.verdicts->channels[0] = datafiles::Verdict::Fail;
    record.verdicts->test = datafiles::Verdict::Fail;
    QDir().mkpath(QFileInfo(path).path());
    ASSERT_TRUE(datafiles::WriteTestDataWithRecord(path, data, 5, Names(), record));
}

std::vector<TestEntry> Rows(LocalCatalogue& catalogue) {
    std::vector<TestEntry> rows;
    EXPECT_TRUE(catalogue.entries(rows));
    return rows;
}

// ---- a row ---------------------------------------------------------------------------------

TEST(HistoryCatalogue, ARowKeepsTheFileTheRecordAndTheNumbersAndReadsBackWhole) {
    TempHome home;
    const QString dat = home.file(QStringLiteral("Data/first.DAT"));
    SaveTest(dat, 4, 0, QStringLiteral("PX-7"), QStringLiteral("after repair, \"quoted\""));
    const TestEntry entry = history::CatalogueFile(dat, QStringLiteral("bench-2"));

    EXPECT_TRUE(entry.readable) << entry.problem.toStdString();
    EXPECT_EQ(entry.recordState, QStringLiteral("matches"));
    EXPECT_EQ(entry.rows, 4);
    EXPECT_EQ(entry.intervalSeconds, 5);
    EXPECT_EQ(entry.probe, QStringLiteral("PX-7"));
    EXPECT_EQ(entry.verdict, QStringLiteral("FAIL"));
    EXPECT_EQ(entry.channelVerdicts[0], QStringLiteral("FAIL"));
    EXPECT_EQ(entry.channelVerdicts[1], QString());
    EXPECT_EQ(entry.startMs, QDateTime(QDate(2026, 12, 1), QTime(9, 30), Qt::UTC).toMSecsSinceEpoch());
    EXPECT_EQ(entry.sha256, datafiles::Sha256Hex(TempHome::read(dat)));
    ASSERT_TRUE(entry.numbers[1]);
    EXPECT_DOUBLE_EQ(entry.numbers[1]->mean, 2.125);
    EXPECT_DOUBLE_EQ(entry.numbers[1]->max, 2.5);
    EXPECT_DOUBLE_EQ(entry.numbers[1]->end, 2.5);
    EXPECT_FALSE(entry.numbers[6]) << "channel 7 was off";

    LocalCatalogue catalogue(history::CatalogueFileIn(home.path()), kClock);
    ASSERT_TRUE(catalogue.put({entry}));
    ASSERT_TRUE(catalogue.put({entry})); // the same file again replaces its row
    const std::vector<TestEntry> rows = Rows(catalogue);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], entry);
}

TEST(HistoryCatalogue, AFileChangedAfterItsRecordOrNoTestAtAllIsStillARow) {
    TempHome home;
    const QString dat = home.file(QStringLiteral("Data/changed.DAT"));
    SaveTest(dat, 3, 0, QStringLiteral("PX-7"));
    QByteArray bytes = TempHome::read(dat);
    bytes[0] = char(bytes[0] ^ 1);
    ASSERT_TRUE(TempHome::write(dat, bytes));
    const TestEntry changed = history::CatalogueFile(dat, QStringLiteral("s"));
    EXPECT_EQ(changed.recordState, QStringLiteral("changed"));
    EXPECT_EQ(changed.problem, datafiles::kRecordChangedText);
    EXPECT_EQ(history::VerdictText(changed), QStringLiteral("FAIL (data changed)"));

    const QString garbage = home.file(QStringLiteral("Data/garbage.DAT"));
    ASSERT_TRUE(TempHome::write(garbage, "not a test"));
    const TestEntry unreadable = history::CatalogueFile(garbage, QStringLiteral("s"));
    EXPECT_FALSE(unreadable.readable);
    EXPECT_EQ(unreadable.verdict, history::kUnreadableVerdict);
    EXPECT_FALSE(unreadable.problem.isEmpty());
}

// ---- the damage rule ------------------------------------------------------------------------

TEST(HistoryCatalogue, AnUnusableFileIsMovedAsideAndANewCatalogueStarted) {
    struct Case {
        const char* name;
        std::function<void(const QString& path)> spoil;
    };
    const Case cases[] = {
        {"random bytes", [](const QString& p) { TempHome::write(p, QByteArray(8192, '\x5a')); }},
        {"empty", [](const QString& p) { TempHome::write(p, QByteArray()); }},
        {"another program's database",
         [](const QString& p) {
             {
                 QSqlDatabase db =
                     QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("other"));
                 db.setDatabaseName(p);
                 ASSERT_TRUE(db.open());
                 QSqlQuery(db).exec(QStringLiteral("CREATE TABLE t (x)"));
                 db.close();
             }
             QSqlDatabase::removeDatabase(QStringLiteral("other"));
         }},
        {"another version",
         [](const QString& p) {
             { LocalCatalogue made(p, kClock); }
             {
                 QSqlDatabase db =
                     QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("older"));
                 db.setDatabaseName(p);
                 ASSERT_TRUE(db.open());
                 QSqlQuery(db).exec(
                     QStringLiteral("UPDATE meta SET value = '0' WHERE name = 'schema_version'"));
                 db.close();
             }
             QSqlDatabase::removeDatabase(QStringLiteral("older"));
         }},
    };
    for (const Case& c : cases) {
        TempHome home;
        const QString path = history::CatalogueFileIn(home.path());
        c.spoil(path);
        LocalCatalogue catalogue(path, kClock);
        EXPECT_TRUE(catalogue.notice().contains(QStringLiteral("could not be used"))) << c.name;
        EXPECT_TRUE(catalogue.persistent()) << c.name;
        EXPECT_EQ(QDir(home.path()).entryList({QStringLiteral("history.sqlite.damaged-*")}).size(), 1)
            << c.name;
        EXPECT_TRUE(catalogue.put({history::CatalogueFile(home.file("none.DAT"), QStringLiteral("s"))}))
            << c.name;
        EXPECT_EQ(Rows(catalogue).size(), 1u) << c.name;
    }
    // A good catalogue opens without a word and keeps its rows.
    TempHome home;
    const QString path = history::CatalogueFileIn(home.path());
    {
        LocalCatalogue first(path, kClock);
        ASSERT_TRUE(first.put({history::CatalogueFile("x.DAT", "s")}));
    }
    LocalCatalogue again(path, kClock);
    EXPECT_TRUE(again.notice().isEmpty()) << again.notice().toStdString();
    EXPECT_EQ(Rows(again).size(), 1u);
}

// ---- the rescan ------------------------------------------------------------------------------

class Rescanning : public ::testing::Test {
protected:
    RescanCounts rescan() {
        RescanCounts counts;
        EXPECT_TRUE(testHistory.rescanNow(counts));
        return counts;
    }
    QStringList paths() {
        QStringList all;
        for (const TestEntry& e : Rows(testHistory.local()))
            all << QFileInfo(e.path).fileName();
        all.sort();
        return all;
    }
    TempHome home;
    history::TestHistory testHistory{home.path(), kClock};
};

TEST_F(Rescanning, FindsNewChangedMovedAndDeletedFilesAndLeavesTheRestUnread) {
    SaveTest(home.file("Data/a.DAT"), 3, 0, "PX-7");
    SaveTest(home.file("TESTS/old/b.dat"), 3, 1, "PX-7");
    ASSERT_TRUE(TempHome::write(home.file("Data/notes.txt"), "not a test data file"));
    ASSERT_TRUE(TempHome::write(home.file("Data/broken.DAT"), "garbage"));
    EXPECT_EQ(rescan(), (RescanCounts{.added = 3, .unreadable = 1}));
    EXPECT_EQ(paths(), (QStringList{"a.DAT", "b.dat", "broken.DAT"}));
    EXPECT_EQ(rescan(), (RescanCounts{.unchanged = 3}));

    SaveTest(home.file("Data/a.DAT"), 5, 2, "PX-7"); // saved over
    ASSERT_TRUE(QDir().mkpath(home.file("Data/kept")));
    ASSERT_TRUE(QFile::rename(home.file("TESTS/old/b.dat"), home.file("Data/kept/b2.DAT")));
    ASSERT_TRUE(QFile::rename(home.file("TESTS/old/b.dat.json"), home.file("Data/kept/b2.DAT.json")));
    ASSERT_TRUE(QFile::remove(home.file("Data/broken.DAT")));
    EXPECT_EQ(rescan(), (RescanCounts{.changed = 1, .moved = 1, .removed = 1}));
    EXPECT_EQ(paths(), (QStringList{"a.DAT", "b2.DAT"}));
    EXPECT_EQ(Rows(testHistory.local())[0].rows, 5) << "newest first: a.DAT as saved over";
}

TEST_F(Rescanning, KeepsFilesSavedElsewhereAndTheRowsOfAFolderThatIsNotThere) {
    TempHome elsewhere;
    SaveTest(elsewhere.file("away.DAT"), 3, 0, "PX-7");
    ASSERT_TRUE(testHistory.noteSaved(elsewhere.file("away.DAT")));
    SaveTest(home.file("share/c.DAT"), 3, 0, "PX-7");
    ASSERT_TRUE(testHistory.addFolder(home.file("share")));
    EXPECT_EQ(rescan(), (RescanCounts{.added = 1, .unchanged = 1}));

    // The share is unmounted: its tests stay in the history; a file that went is forgotten.
    ASSERT_TRUE(QDir(home.file("share")).removeRecursively());
    EXPECT_EQ(rescan(), (RescanCounts{.unchanged = 1}));
    EXPECT_EQ(paths(), (QStringList{"away.DAT", "c.DAT"}));
    ASSERT_TRUE(QFile::remove(elsewhere.file("away.DAT")));
    EXPECT_EQ(rescan(), (RescanCounts{.removed = 1}));
}

TEST_F(Rescanning, CorvinDataRescansThenListsWhatTheFilterKeeps) {
    SaveTest(home.file("Data/a.DAT"), 3, 0, "PX-7", "first");
    SaveTest(home.file("Data/b.DAT"), 4, 2, "OTHER");
    const auto run = [this](QStringList args) {
        return testing::RunCorvinData(QStringList{"history", home.path()} + args);
    };

    testing::CorvinDataRun cron = run({"--rescan-only"});
    EXPECT_EQ(cron.status, 0) << cron.err.toStdString();
    EXPECT_EQ(cron.out, QStringLiteral("Test history: 2 new tests (0 unchanged)\n"));

    const testing::CorvinDataRun text = run({});
    EXPECT_EQ(text.out.count('\n'), 2);
    EXPECT_TRUE(text.out.contains(QStringLiteral("\tOTHER\t4\tFAIL\t") + home.file("Data/b.DAT") + "\n"));
    EXPECT_TRUE(text.out.endsWith(QStringLiteral("\tPX-7\t3\tFAIL\t") + home.file("Data/a.DAT") + "\n"))
        << "newest first";

    const testing::CorvinDataRun csv = run({"--probe", "px-7", "--since", "2026-12-01", "--format", "csv"});
    const QStringList lines = csv.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << csv.out.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("start,probe,rows,interval_s,verdict,operator,station,note,path"));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(",PX-7,3,5,FAIL,ana,") + history::ThisStation() + ",first," +
                                  home.file("Data/a.DAT")));

    const testing::CorvinDataRun json =
        run({"--verdict", "FAIL", "--until", "2026-12-02", "--format", "json"});
    const QJsonArray tests = QJsonDocument::fromJson(json.out.toUtf8()).array();
    ASSERT_EQ(tests.size(), 1) << json.out.toStdString();
    EXPECT_DOUBLE_EQ(tests[0]["channels"][1]["mean"].toDouble(), 13.0 / 6);

    for (const QStringList& wrong : {QStringList{"--verdict", "GOOD"}, QStringList{"--since", "yesterday"},
                                     QStringList{"--format", "xml"}, QStringList{"--history", "mysql://x/y"}})
        EXPECT_EQ(run(wrong).status, 2) << wrong.join(' ').toStdString();
    EXPECT_EQ(testing::RunCorvinData({"history", home.file("none")}).status, 1);
}

TEST(RescanSummary, SaysWhatChanged) {
    EXPECT_EQ(history::RescanSummary({.unchanged = 40}),
              QStringLiteral("Test history: nothing new (40 tests)"));
    EXPECT_EQ(
        history::RescanSummary(
            {.added = 2, .changed = 1, .moved = 1, .removed = 1, .unreadable = 1, .unchanged = 40}),
        QStringLiteral(
            "Test history: 2 new tests, 1 changed, 1 moved, 1 gone (40 unchanged); 1 could not be read"));
}

} // namespace
} // namespace corvin
