// The recovery journal: its bytes, the writer, and reading back what a crash leaves.
#include "datafiles/RecoveryJournal.h"
#include "datafiles/RecoveryFiles.h"
#include "common/Crc32.h"
#include "datafiles/TestDataFile.h"

#include "support/FailingFiles.h"
#include "support/TempHome.h"

#include <QDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <sys/stat.h>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::FailingFiles;
using corvin::testing::TempHome;

namespace {

JournalHeader Header(int16_t interval = 5, int16_t planned = 72) {
    JournalHeader h;
    h.startTime = QDateTime(QDate(2026, 3, 4), QTime(10, 20, 30), Qt::UTC);
    h.intervalSeconds = interval;
    h.plannedRows = planned;
    h.probeName = QStringLiteral("Sonde µ");
    h.channelNames = {"Anode", "Cathode", "", "Guard", "twenty-two characters!", "é", "7"};
    return h;
}

JournalRow RowOf(int r) {
    JournalRow row;
    for (int k = 0; k < kChannelCount; ++k)
        row[k] = float(r) * 1.25f - float(k) / 3.0f;
    return row;
}

// Little-endian bytes, spelled out by the test rather than by the code under test.
QByteArray Le(quint64 v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}

QByteArray JournalOf(int rows, int16_t planned = 72) {
    QByteArray bytes = EncodeJournalHeader(Header(5, planned));
    for (int r = 0; r < rows; ++r)
        bytes += EncodeJournalFrame(uint32_t(r), RowOf(r));
    return bytes;
}

void ExpectRows(const RecoveredTest& test, int rows) {
    ASSERT_EQ(test.rows.size(), std::size_t(rows));
    for (int r = 0; r < rows; ++r)
        EXPECT_EQ(test.rows[r], RowOf(r)) << "row " << r;
}

} // namespace

// ---- The bytes -------------------------------------------------------------------------------

TEST(JournalFormat, HeaderLayoutFieldByField) {
    const QByteArray h = EncodeJournalHeader(Header(12, 300));
    ASSERT_EQ(h.size(), 200);
    EXPECT_EQ(h.left(8), QByteArray("CRVNJRNL"));
    EXPECT_EQ(h.mid(8, 2), Le(2, 2));
    EXPECT_EQ(h.mid(10, 2), Le(200, 2));
    EXPECT_EQ(h.mid(12, 8), Le(quint64(Header().startTime.toMSecsSinceEpoch()), 8));
    EXPECT_EQ(h.mid(20, 2), Le(12, 2));
    EXPECT_EQ(h.mid(22, 2), Le(300, 2));
    EXPECT_EQ(h.mid(24, 16), QByteArray("Sonde \xB5         "));
    EXPECT_EQ(h.mid(40, 20), QByteArray("Anode               "));
    EXPECT_EQ(h.mid(80, 20), QByteArray(20, ' '));
    EXPECT_EQ(h.mid(120, 20), QByteArray("twenty-two character"));
    EXPECT_EQ(h.mid(140, 20), QByteArray("\xE9") + QByteArray(19, ' '));
    EXPECT_EQ(h.mid(180, 16), QByteArray::fromHex("000000ff00") + QByteArray(11, '\0')); // nothing recorded
}

TEST(JournalFormat, TheTestsSettingsReadBackAndAVersionOneJournalStillReads) {
    JournalHeader header = Header(10, 40);
    header.range = QStringLiteral("LOW");
    header.screenScale = 3;
    header.channelsOn = std::array<bool, kChannelCount>{true, false, true, false, false, false, true};
    header.autoTest = true;
    header.card = QStringLiteral("comedi");
    const JournalRow row{1, 2, 3, 4, 5, 6, 7};
    RecoveredTest test;
    ASSERT_TRUE(DecodeJournal(EncodeJournalHeader(header) + EncodeJournalFrame(0, row), test));
    EXPECT_EQ(test.header.range, QStringLiteral("LOW"));
    EXPECT_EQ(test.header.screenScale, 3);
    EXPECT_EQ(test.header.channelsOn, header.channelsOn);
    EXPECT_EQ(test.header.autoTest, std::optional<bool>(true));
    EXPECT_EQ(test.header.card, QStringLiteral("comedi"));
    ASSERT_EQ(test.rows.size(), 1u);

    // A journal an earlier Corvin wrote: 184 bytes of header, its CRC at 180.
    QByteArray v1 = EncodeJournalHeader(Header(10, 40)).left(180);
    v1.replace(8, 2, Le(1, 2));
    v1.replace(10, 2, Le(184, 2));
    v1 += Le(Crc32(v1), 4);
    RecoveredTest old;
    ASSERT_TRUE(DecodeJournal(v1 + EncodeJournalFrame(0, row), old));
    EXPECT_EQ(old.header.intervalSeconds, 10);
    EXPECT_EQ(old.header.range, QString());
    EXPECT_FALSE(old.header.channelsOn.has_value());
    ASSERT_EQ(old.rows.size(), 1u);
    EXPECT_EQ(old.rows[0], row);
}

TEST(JournalFormat, FrameIsRowReadingsAndTheirCrc) {
    const JournalRow row{1.0f, -2.5f, 0.0f, 3.0f, 4.0f, 5.0f, std::numeric_limits<float>::infinity()};
    const QByteArray f = EncodeJournalFrame(7, row);
    ASSERT_EQ(f.size(), 36);
    EXPECT_EQ(f.left(4), Le(7, 4));
    EXPECT_EQ(f.mid(4, 4), QByteArray::fromHex("0000803f"));
    EXPECT_EQ(f.mid(8, 4), QByteArray::fromHex("000020c0"));
    EXPECT_EQ(f.mid(28, 4), QByteArray::fromHex("0000807f"));
    // The CRC covers everything before it: one changed bit anywhere shows.
    QByteArray flipped = f;
    flipped[5] = char(flipped[5] ^ 0x01);
    RecoveredTest test;
    ASSERT_TRUE(DecodeJournal(EncodeJournalHeader(Header()) + flipped, test));
    EXPECT_TRUE(test.rows.empty());
    EXPECT_EQ(test.ignoredBytes, 36);
}

TEST(JournalFormat, HeaderReadsBackAsWritten) {
    RecoveredTest test;
    ASSERT_TRUE(DecodeJournal(JournalOf(3), test));
    EXPECT_EQ(test.header.startTime, Header().startTime);
    EXPECT_EQ(test.header.intervalSeconds, 5);
    EXPECT_EQ(test.header.plannedRows, 72);
    EXPECT_EQ(test.header.probeName, QStringLiteral("Sonde µ"));
    EXPECT_EQ(test.header.channelNames[0], QStringLiteral("Anode               "));
    EXPECT_EQ(test.header.channelNames[4], QStringLiteral("twenty-two character"));
    ExpectRows(test, 3);
    EXPECT_EQ(test.ignoredBytes, 0);
}

TEST(JournalFormat, UnreadableHeadersSayWhy) {
    const QByteArray good = JournalOf(2);
    struct Case {
        const char* what;
        QByteArray bytes;
        QString why;
    };
    QByteArray wrongMagic = good;
    wrongMagic[0] = 'X';
    QByteArray newer = good;
    newer[8] = 3;
    QByteArray damaged = good;
    damaged[30] = char(damaged[30] ^ 0x40);
    const Case cases[] = {
        {"empty", QByteArray(), QStringLiteral("it is 0 bytes long, too short to hold a journal header")},
        {"short", good.left(183), QStringLiteral("it is 183 bytes long, too short to hold a journal header")},
        {"magic", wrongMagic, QStringLiteral("it is not a Corvin recovery journal")},
        {"version", newer,
         QStringLiteral("it has journal version 3, which this version of Corvin does not read")},
        {"crc", damaged, QStringLiteral("its header is damaged")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecoveredTest test;
        const Status s = DecodeJournal(c.bytes, test);
        ASSERT_FALSE(s);
        EXPECT_EQ(s.message(), c.why);
    }
}

// ---- What a crash leaves ---------------------------------------------------------------------

TEST(JournalFormat, TornWriteAtEveryByteOfTheLastTwoFramesKeepsTheCompleteFrames) {
    const int rows = 6;
    const QByteArray whole = JournalOf(rows);
    const qsizetype lastTwo = whole.size() - 2 * kJournalFrameLength;
    for (qsizetype cut = lastTwo; cut <= whole.size(); ++cut) {
        SCOPED_TRACE(cut);
        RecoveredTest test;
        ASSERT_TRUE(DecodeJournal(whole.left(cut), test));
        const int complete = int((cut - kJournalHeaderLength) / kJournalFrameLength);
        ExpectRows(test, complete);
        EXPECT_EQ(test.ignoredBytes, (cut - kJournalHeaderLength) % kJournalFrameLength);
    }
}

TEST(JournalFormat, ReadingStopsAtTheFirstFrameThatIsDamagedOutOfOrderOrUnplanned) {
    // Zeros (a block a crash left unwritten), a frame of another row, a frame past the plan.
    RecoveredTest test;
    ASSERT_TRUE(DecodeJournal(JournalOf(3) + QByteArray(36, '\0') + EncodeJournalFrame(4, RowOf(4)), test));
    ExpectRows(test, 3);
    ASSERT_TRUE(DecodeJournal(JournalOf(2) + EncodeJournalFrame(5, RowOf(2)), test));
    ExpectRows(test, 2);
    ASSERT_TRUE(DecodeJournal(JournalOf(4, 3), test));
    ExpectRows(test, 3);
    EXPECT_EQ(test.ignoredBytes, 36);
}

// ---- The writer ------------------------------------------------------------------------------

class JournalFiles : public ::testing::Test {
protected:
    TempHome home;
    QString folder = home.file(QStringLiteral("Recovery"));

    QStringList journals() const { return ListJournals(folder); }
};

TEST_F(JournalFiles, EachAppendIsOnDiscWhenItReturns) {
    RecoveryJournal journal;
    ASSERT_TRUE(journal.begin(folder, Header()));
    EXPECT_EQ(journal.path(), folder + QStringLiteral("/test-") +
                                  Header().startTime.toLocalTime().toString("yyyyMMdd-HHmmss") +
                                  QStringLiteral(".journal"));
    EXPECT_EQ(TempHome::read(journal.path()), EncodeJournalHeader(Header()));
    for (int r = 0; r < 4; ++r) {
        ASSERT_TRUE(journal.append(r, RowOf(r)));
        RecoveredTest test;
        ASSERT_TRUE(ReadJournalFile(journal.path(), test));
        ExpectRows(test, r + 1);
    }
    EXPECT_TRUE(JournalInUse(journal.path()));
    const QString path = journal.path();
    journal.remove();
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(QDir(folder).isEmpty());
}

TEST_F(JournalFiles, AJournalLeftOpenIsKeptAndASecondTestGetsItsOwn) {
    QString first;
    {
        RecoveryJournal journal;
        ASSERT_TRUE(journal.begin(folder, Header()));
        ASSERT_TRUE(journal.append(0, RowOf(0)));
        first = journal.path();
        ASSERT_TRUE(journal.begin(folder, Header())); // same start second: a name of its own
        EXPECT_NE(journal.path(), first);
        EXPECT_FALSE(JournalInUse(first));
    }
    EXPECT_EQ(journals().size(), 2);
    RecoveredTest test;
    ASSERT_TRUE(ReadJournalFile(first, test));
    ExpectRows(test, 1);
}

TEST_F(JournalFiles, NoHomeOrAFailedHeaderMeansNoJournal) {
    RecoveryJournal journal;
    EXPECT_EQ(journal.begin(QString(), Header()).message(),
              QStringLiteral("there is no Corvin home to keep a journal in"));
    EXPECT_FALSE(journal.begin(QStringLiteral("relative/Recovery"), Header()));
    const FailingFiles full = FailingFiles::AtCommit();
    const Status s = journal.begin(folder, Header(), full);
    EXPECT_EQ(s.message(), QStringLiteral("No space left on device"));
    EXPECT_FALSE(journal.writing());
    EXPECT_TRUE(journals().isEmpty());
    EXPECT_TRUE(journal.append(0, RowOf(0))); // nothing to append to, nothing to report again
}

TEST_F(JournalFiles, AFailedAppendStopsTheJournalAndKeepsTheRowsBeforeIt) {
    const FailingFiles full = FailingFiles::OnAppend(3);
    RecoveryJournal journal;
    ASSERT_TRUE(journal.begin(folder, Header(), full));
    ASSERT_TRUE(journal.append(0, RowOf(0)));
    ASSERT_TRUE(journal.append(1, RowOf(1)));
    EXPECT_EQ(journal.append(2, RowOf(2)).message(), QStringLiteral("No space left on device"));
    EXPECT_FALSE(journal.writing());
    EXPECT_TRUE(journal.append(3, RowOf(3)));
    RecoveredTest test;
    ASSERT_TRUE(ReadJournalFile(journal.path(), test));
    ExpectRows(test, 2);
}

TEST_F(JournalFiles, ListingFindsJournalsOldestFirstAndNothingElse) {
    ASSERT_TRUE(QDir().mkpath(folder));
    for (const char* name : {"test-20260102-080000.journal", "test-20260101-090000.journal",
                             "test-20260101-090000.journal.unreadable", "notes.txt"})
        ASSERT_TRUE(TempHome::write(folder + QLatin1Char('/') + QLatin1String(name), JournalOf(1)));
    ASSERT_TRUE(QDir(folder).mkdir(QStringLiteral("dir.journal")));
    EXPECT_EQ(journals(), QStringList({folder + "/test-20260101-090000.journal",
                                       folder + "/test-20260102-080000.journal"}));
    EXPECT_TRUE(ListJournals(home.file(QStringLiteral("none"))).isEmpty());
}

TEST_F(JournalFiles, APipeNamedLikeAJournalIsRefusedWithoutWaiting) {
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString pipe = folder + QStringLiteral("/test-1.journal");
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    RecoveredTest test;
    EXPECT_EQ(ReadJournalFile(pipe, test).message(), QStringLiteral("Not a plain file"));
}

TEST_F(JournalFiles, SetAsideKeepsTheBytesUnderANewName) {
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/test-1.journal");
    ASSERT_TRUE(TempHome::write(path, QByteArray("garbage")));
    ASSERT_TRUE(TempHome::write(path + QStringLiteral(".unreadable"), QByteArray("older")));
    QString aside;
    ASSERT_TRUE(SetJournalAside(path, aside));
    EXPECT_EQ(aside, path + QStringLiteral(".unreadable-2"));
    EXPECT_EQ(TempHome::read(aside), QByteArray("garbage"));
    EXPECT_TRUE(journals().isEmpty());
}

// ---- Saving what was recovered ---------------------------------------------------------------

TEST_F(JournalFiles, SavingRecoveredRowsWritesTheBytesANormalSaveWrites) {
    RecoveredTest test;
    ASSERT_TRUE(DecodeJournal(JournalOf(5), test));
    const QString path = home.file(QStringLiteral("recovered.DAT"));
    ASSERT_TRUE(SaveRecoveredTest(test, path));

    // What the test window's save writes for the same five rows and the probe's channel names.
    PeriodicDataSet logged;
    logged.resize(72);
    for (int r = 0; r < 5; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            logged.PeriodicData[k][r] = RowOf(r)[k];
    }
    logged.SampleCapacity = 5;
    const QString normal = home.file(QStringLiteral("normal.DAT"));
    ASSERT_TRUE(WriteTestDataFile(normal, logged, 5, Header().channelNames));
    EXPECT_EQ(TempHome::read(path), TempHome::read(normal));
    EXPECT_EQ(TempHome::read(path).size(), 24 * (7 * 5 + 9));
}
