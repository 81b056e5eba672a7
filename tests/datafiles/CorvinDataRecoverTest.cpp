// corvin-data recover: the journals of unsaved tests from the terminal.
#include "datafiles/JournalFormat.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/TestDataFile.h"

#include "support/CorvinDataRun.h"
#include "support/TempHome.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::RunCorvinData;
using corvin::testing::TempHome;

namespace {

class CorvinDataRecover : public ::testing::Test {
protected:
    TempHome home;
    QString folder = home.file(QStringLiteral("Recovery"));

    QString journal(const QString& name, int rows, const QString& probe = QStringLiteral("P-14")) {
        JournalHeader h;
        h.startTime = QDateTime(QDate(2026, 2, 3), QTime(14, 5, 6));
        h.intervalSeconds = 15;
        h.plannedRows = 50;
        h.probeName = probe;
        h.channelNames = {"one", "two", "three", "four", "five", "six", "seven"};
        QByteArray bytes = EncodeJournalHeader(h);
        for (int r = 0; r < rows; ++r)
            bytes += EncodeJournalFrame(uint32_t(r), {float(r), 0.5f, 0, 0, 0, 0, -1});
        QDir().mkpath(folder);
        const QString path = folder + QLatin1Char('/') + name;
        EXPECT_TRUE(TempHome::write(path, bytes));
        return path;
    }
};

} // namespace

TEST_F(CorvinDataRecover, ListShowsEachJournalOnOneLine) {
    const QString a = journal(QStringLiteral("test-a.journal"), 3);
    const QString b = journal(QStringLiteral("test-b.journal"), 0, QStringLiteral("Esc\x1b"));
    const auto run = RunCorvinData({"recover", "list", home.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, a + ": 2026-02-03 14:05:06, probe P-14, 3 readings every 15 s\n" + b +
                           ": 2026-02-03 14:05:06, probe Esc\\x1B, 0 readings every 15 s\n");
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CorvinDataRecover, ListNamesAJournalStillBeingLogged) {
    RecoveryJournal live;
    JournalHeader h;
    h.startTime = QDateTime(QDate(2026, 2, 3), QTime(14, 5, 6));
    h.intervalSeconds = 5;
    h.plannedRows = 10;
    ASSERT_TRUE(live.begin(folder, h));
    const auto run = RunCorvinData({"recover", "list", home.path()});
    EXPECT_TRUE(run.out.endsWith(QStringLiteral(", 0 readings every 5 s, still being logged\n")));
}

TEST_F(CorvinDataRecover, ListOfAJournalWithoutItsHeaderSaysItHoldsNothing) {
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/test-0.journal");
    ASSERT_TRUE(TempHome::write(path, QByteArray()));
    const auto run = RunCorvinData({"recover", "list", home.path()});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, path + ": empty, holds no readings (a test that could not start its journal)\n");
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CorvinDataRecover, ListOfAnUnreadableJournalSaysSoAndFails) {
    QDir().mkpath(folder);
    ASSERT_TRUE(TempHome::write(folder + QStringLiteral("/test-x.journal"), QByteArray("junk")));
    const auto run = RunCorvinData({"recover", "list", home.path()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "corvin-data: cannot read " + folder +
                           "/test-x.journal: it is 4 bytes long, too short to hold a journal header\n");
    EXPECT_EQ(RunCorvinData({"recover", "list", home.file("none")}).status, 1);
}

TEST_F(CorvinDataRecover, SaveWritesTheDataFileAndRemovesTheJournal) {
    const QString path = journal(QStringLiteral("test-a.journal"), 4);
    const QString target = home.file(QStringLiteral("out.DAT"));
    const auto run = RunCorvinData({"recover", "save", path, target});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "saved 4 readings to " + target + "\n");
    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(target, data));
    EXPECT_EQ(data.SampleCapacity, 4);
    EXPECT_EQ(data.HeaderValues[0], 15);
    EXPECT_FLOAT_EQ(data.PeriodicData[0][3], 3.0f);
    EXPECT_EQ(data.ChannelNames[2], QStringLiteral("three               "));
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(CorvinDataRecover, SaveNeverReplacesAFileAndKeepsTheJournal) {
    const QString path = journal(QStringLiteral("test-a.journal"), 2);
    const QString target = home.file(QStringLiteral("out.DAT"));
    ASSERT_TRUE(TempHome::write(target, QByteArray("precious")));
    const auto run = RunCorvinData({"recover", "save", path, target});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "corvin-data: " + target + " exists already; give a new file name\n");
    EXPECT_EQ(TempHome::read(target), QByteArray("precious"));
    EXPECT_TRUE(QFileInfo::exists(path));
}

TEST_F(CorvinDataRecover, WrongCommandLinesAreUsageErrors) {
    for (const QStringList& args :
         {QStringList{"recover"}, QStringList{"recover", "list"}, QStringList{"recover", "list", ""},
          QStringList{"recover", "save", "j"}, QStringList{"recover", "save", "", "o"},
          QStringList{"recover", "mend", "x"}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        EXPECT_EQ(RunCorvinData(args).status, 2);
    }
}
