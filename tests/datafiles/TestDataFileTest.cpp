#include "datafiles/TestDataFile.h"

#include "support/FailingFiles.h"
#include "support/TempHome.h"
#include "support/Unprivileged.h"

#include <QDir>
#include <QtEndian>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <sys/stat.h>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::FailingFiles;
using corvin::testing::TempHome;

namespace {

using Names = std::array<QString, kChannelCount>;

const Names kNames = {"Ch1", "Ch2", "Ch3", "Ch4", "Ch5", "Ch6", "Ch7"};

// One record as the test spells it: 20 bytes of text and the value's four bytes, low byte first.
QByteArray Record(const QByteArray& text, const char* valueHex) {
    return text + QByteArray(20 - text.size(), ' ') + QByteArray::fromHex(valueHex);
}

// A record built independently of the writer, for files the test makes byte by byte.
QByteArray RecordOf(const QByteArray& text, float value) {
    QByteArray bytes = text + QByteArray(20 - text.size(), ' ');
    const quint32 le = qToLittleEndian(std::bit_cast<quint32>(value));
    bytes.append(reinterpret_cast<const char*>(&le), 4);
    return bytes;
}

// A file of `rows` rows where channel k of row r holds r * 10 + k, made without our writer.
QByteArray HandMadeFile(int rows, float interval, float storedRows) {
    QByteArray bytes;
    for (int r = 0; r < rows; ++r) {
        for (int k = 1; k <= 7; ++k)
            bytes += RecordOf({}, float(r * 10 + k));
    }
    bytes += RecordOf({}, interval);
    bytes += RecordOf({}, storedRows);
    for (int k = 1; k <= 7; ++k)
        bytes += RecordOf("Name " + QByteArray::number(k), 0.0f);
    return bytes;
}

PeriodicDataSet DataOf(int16_t rows) {
    PeriodicDataSet data;
    data.resize(rows);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = float(r) * 0.5f + float(k) / 8.0f;
    }
    return data;
}

// A marker set in a data set before a failed read, to show that the read left it alone.
PeriodicDataSet Untouched() {
    PeriodicDataSet data = DataOf(2);
    data.SampleCount = 1;
    data.HeaderValues = {7, 7};
    data.ChannelNames[0] = QStringLiteral("before");
    return data;
}

void ExpectUntouched(const PeriodicDataSet& data) {
    EXPECT_EQ(data.SampleCapacity, 2);
    EXPECT_EQ(data.SampleCount, 1);
    EXPECT_EQ(data.HeaderValues, (std::array<int16_t, 2>{7, 7}));
    EXPECT_EQ(data.ChannelNames[0], QStringLiteral("before"));
    EXPECT_EQ(data.PeriodicData[0].size(), 3u);
}

class TestDataFiles : public ::testing::Test {
protected:
    TempHome home;
    QString file(const QString& name) const { return home.file(name); }
};

} // namespace

// ---- Writing: exact bytes ----------------------------------------------------------------------

TEST(TestDataWriter, TwoRowsGiveTheRecordsInOrder) {
    PeriodicDataSet data;
    data.resize(2);
    for (int r = 0; r < 2; ++r) {
        for (int k = 0; k < 7; ++k)
            data.PeriodicData[k][r] = float(7 * r + k + 1); // 1..14
    }
    // 1.0f = 0x3F800000, 2.0f = 0x40000000 ... 14.0f = 0x41600000, little-endian on disc.
    const QByteArray blank;
    const QByteArray expected =
        Record(blank, "0000803f") + Record(blank, "00000040") + Record(blank, "00004040") +
        Record(blank, "00008040") + Record(blank, "0000a040") + Record(blank, "0000c040") +
        Record(blank, "0000e040") + // row 0, channels 1..7
        Record(blank, "00000041") + Record(blank, "00001041") + Record(blank, "00002041") +
        Record(blank, "00003041") + Record(blank, "00004041") + Record(blank, "00005041") +
        Record(blank, "00006041") + // row 1
        Record(blank, "0000a040") + // interval 5
        Record(blank, "00000040") + // R = 2
        Record("Ch1", "00000000") + Record("Ch2", "00000000") + Record("Ch3", "00000000") +
        Record("Ch4", "00000000") + Record("Ch5", "00000000") + Record("Ch6", "00000000") +
        Record("Ch7", "00000000");
    const QByteArray bytes = EncodeTestData(data, 2, 5, kNames);
    ASSERT_EQ(bytes.size(), 24 * (7 * 2 + 9));
    EXPECT_EQ(bytes, expected);
}

TEST(TestDataWriter, NoRowsGiveTheTwoHundredAndSixteenByteTrailer) {
    PeriodicDataSet data;
    data.resize(0);
    const QByteArray bytes = EncodeTestData(data, 0, 30, kNames);
    ASSERT_EQ(bytes.size(), 216);
    EXPECT_EQ(bytes.left(48), Record({}, "0000f041") + Record({}, "00000000")); // 30, then 0
    EXPECT_EQ(bytes.mid(48, 24), Record("Ch1", "00000000"));
}

TEST(TestDataWriter, NamesAreCutOrPaddedToTwentyWindows1252Bytes) {
    PeriodicDataSet data;
    data.resize(0);
    Names names = kNames;
    names[0] = QStringLiteral("A name that is much too long");
    names[1] = QString();
    names[2] = QStringLiteral("µA probe é");
    const QByteArray bytes = EncodeTestData(data, 0, 5, names);
    EXPECT_EQ(bytes.mid(48, 20), QByteArray("A name that is much "));
    EXPECT_EQ(bytes.mid(72, 20), QByteArray(20, ' '));
    EXPECT_EQ(bytes.mid(96, 20), QByteArray("\xB5"
                                            "A probe \xE9          "));
}

TEST_F(TestDataFiles, SavingWritesTheFileAndSetsTheCounts) {
    PeriodicDataSet data = DataOf(3);
    data.SampleCount = 0;
    const QString path = file(QStringLiteral("t.DAT"));
    ASSERT_TRUE(WriteTestDataFile(path, data, 10, kNames));
    EXPECT_EQ(data.SampleCount, 3);
    EXPECT_EQ(data.HeaderValues[1], 3);
    EXPECT_EQ(TempHome::read(path), EncodeTestData(data, 3, 10, kNames));
}

TEST_F(TestDataFiles, SavingRefusesArraysShorterThanTheRows) {
    PeriodicDataSet data = DataOf(3);
    data.PeriodicData[6].resize(2);
    const QString path = file(QStringLiteral("t.DAT"));
    EXPECT_FALSE(WriteTestDataFile(path, data, 10, kNames));
    EXPECT_FALSE(QFile::exists(path));
}

// ---- Reading -----------------------------------------------------------------------------------

TEST_F(TestDataFiles, HandMadeFileOfAHundredRowsReadsBack) {
    const QString path = file(QStringLiteral("hand.DAT"));
    ASSERT_TRUE(TempHome::write(path, HandMadeFile(100, 15.0f, 100.0f)));
    ASSERT_EQ(QFileInfo(path).size(), 24 * (7 * 100 + 9));

    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(path, data));
    EXPECT_EQ(data.SampleCapacity, 100);
    EXPECT_EQ(data.SampleCount, 100);
    for (const auto& channel : data.PeriodicData)
        ASSERT_EQ(channel.size(), 101u); // indexes 0..R
    EXPECT_EQ(data.PeriodicData[0][0], 1.0f);
    EXPECT_EQ(data.PeriodicData[6][0], 7.0f);
    EXPECT_EQ(data.PeriodicData[2][57], 573.0f);
    EXPECT_EQ(data.PeriodicData[6][99], 997.0f);
    EXPECT_EQ(data.HeaderValues, (std::array<int16_t, 2>{15, 100}));
    EXPECT_EQ(data.ChannelNames[0], QStringLiteral("Name 1              "));
    EXPECT_EQ(data.ChannelNames[6], QStringLiteral("Name 7              "));
}

TEST_F(TestDataFiles, WrittenFileReadsBackTheSameValues) {
    PeriodicDataSet written = DataOf(4);
    written.PeriodicData[3][2] = -0.0f;
    written.PeriodicData[4][1] = std::numeric_limits<float>::denorm_min();
    written.PeriodicData[5][0] = 123456.789f;
    Names names = kNames;
    names[4] = QStringLiteral("µA é");
    const QString path = file(QStringLiteral("round.DAT"));
    ASSERT_TRUE(WriteTestDataFile(path, written, 20, names));

    PeriodicDataSet read;
    ASSERT_TRUE(ReadTestDataFile(path, read));
    EXPECT_EQ(read.SampleCapacity, 4);
    for (int k = 0; k < 7; ++k) {
        for (int r = 0; r < 4; ++r)
            EXPECT_EQ(std::bit_cast<quint32>(read.PeriodicData[k][r]),
                      std::bit_cast<quint32>(written.PeriodicData[k][r]));
    }
    EXPECT_EQ(read.HeaderValues, (std::array<int16_t, 2>{20, 4}));
    EXPECT_EQ(read.ChannelNames[4], QStringLiteral("µA é                "));
}

TEST_F(TestDataFiles, EmptyTestReadsAsNoRows) {
    const QString path = file(QStringLiteral("empty.DAT"));
    ASSERT_TRUE(TempHome::write(path, HandMadeFile(0, 5.0f, 0.0f)));
    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(path, data));
    EXPECT_EQ(data.SampleCapacity, 0);
    EXPECT_EQ(data.PeriodicData[0].size(), 1u);
    EXPECT_EQ(data.HeaderValues, (std::array<int16_t, 2>{5, 0}));
    EXPECT_EQ(data.ChannelNames[2], QStringLiteral("Name 3              "));
}

// The row count comes from the length: round(round(L / 24) - 9) / 7), halves to even.
TEST(TestDataRows, LengthRuleTable) {
    struct Case {
        qint64 length;
        std::optional<int16_t> rows;
    };
    const Case cases[] = {
        {0, std::nullopt},
        {215, std::nullopt}, // would round to 9 records, but the trailer is not whole
        {216, 0},
        {24 * 30, 3},      // 7 * 3 + 9 records
        {24 * 30 + 11, 3}, // 30.46 records
        {24 * 30 - 12, 3}, // 29.5 -> 30 (even)
        {24 * 31 + 12, 3}, // 31.5 -> 32 (even); 23 / 7 = 3.29
        {24 * 33, 3},      // 24 / 7 = 3.43
        {24 * 34, 4},      // 25 / 7 = 3.57
        {24 * (7 * 100 + 9), 100},
        {24 * (7 * 4500 + 9), 4500},
        {24 * (7 * 32767 + 9), 32767}, // the largest SampleCapacity
        {24 * (7 * 32768 + 9), std::nullopt},
        {qint64(1) << 40, std::nullopt},
        {std::numeric_limits<qint64>::max(), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.length);
        EXPECT_EQ(RowsForLength(c.length), c.rows);
    }
}

TEST_F(TestDataFiles, LengthsThatAreNotWholeRecordsReadWithTheRoundedRows) {
    // 30 records less half a record: 3 rows, and the last name lacks its last 12 bytes.
    QByteArray cut = HandMadeFile(3, 5.0f, 3.0f);
    cut.chop(12);
    ASSERT_TRUE(TempHome::write(file(QStringLiteral("cut.DAT")), cut));
    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(file(QStringLiteral("cut.DAT")), data));
    EXPECT_EQ(data.SampleCapacity, 3);
    EXPECT_EQ(data.PeriodicData[6][2], 27.0f);
    EXPECT_EQ(data.ChannelNames[5], QStringLiteral("Name 6              "));
    EXPECT_EQ(data.ChannelNames[6], QStringLiteral("Name 7      ") + QString(8, QChar(0)));

    // 11 bytes of junk after a whole file change nothing.
    QByteArray longer = HandMadeFile(3, 5.0f, 3.0f) + QByteArray(11, 'x');
    ASSERT_TRUE(TempHome::write(file(QStringLiteral("long.DAT")), longer));
    ASSERT_TRUE(ReadTestDataFile(file(QStringLiteral("long.DAT")), data));
    EXPECT_EQ(data.SampleCapacity, 3);
    EXPECT_EQ(data.ChannelNames[6], QStringLiteral("Name 7              "));

    // 34 records round up to 4 rows: the rows take what is there, the rest reads as zero bytes.
    const QByteArray records34 = HandMadeFile(3, 5.0f, 3.0f) + RecordOf({}, 1.0f) + RecordOf({}, 2.0f) +
                                 RecordOf({}, 3.0f) + RecordOf({}, 4.0f);
    ASSERT_EQ(records34.size(), 24 * 34);
    ASSERT_TRUE(TempHome::write(file(QStringLiteral("up.DAT")), records34));
    ASSERT_TRUE(ReadTestDataFile(file(QStringLiteral("up.DAT")), data));
    EXPECT_EQ(data.SampleCapacity, 4);
    EXPECT_EQ(data.PeriodicData[6][2], 27.0f);
    EXPECT_EQ(data.HeaderValues, (std::array<int16_t, 2>{0, 0}));
}

TEST_F(TestDataFiles, TooShortFilesAreRefusedAndTheDataKept) {
    for (int length : {0, 1, 100, 215}) {
        SCOPED_TRACE(length);
        const QString path = file(QStringLiteral("short.DAT"));
        ASSERT_TRUE(TempHome::write(path, HandMadeFile(0, 5.0f, 0.0f).left(length)));
        PeriodicDataSet data = Untouched();
        const Status s = ReadTestDataFile(path, data);
        ASSERT_FALSE(s);
        EXPECT_EQ(s.message(),
                  QStringLiteral("The file is %1 bytes long; a test data file holds at least 216 bytes")
                      .arg(length));
        ExpectUntouched(data);
    }
}

TEST_F(TestDataFiles, AbsurdlyLongFilesAreRefusedWithoutReadingThem) {
    const QString path = file(QStringLiteral("huge.DAT"));
    for (qint64 length : {qint64(24) * (7 * 32768 + 9), qint64(1) << 40}) {
        SCOPED_TRACE(length);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        if (!f.resize(length)) // sparse: no data blocks are written
            GTEST_SKIP() << "this file system cannot hold a sparse file of " << length << " bytes";
        f.close();
        PeriodicDataSet data = Untouched();
        const Status s = ReadTestDataFile(path, data);
        ASSERT_FALSE(s);
        EXPECT_TRUE(
            s.message().startsWith(QStringLiteral("The file is %1 bytes long, more than").arg(length)));
        ExpectUntouched(data);
    }
}

TEST_F(TestDataFiles, LargestFileIsRead) {
    const QString path = file(QStringLiteral("largest.DAT"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    ASSERT_TRUE(f.resize(qint64(24) * (7 * 32767 + 9)));
    f.close();
    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(path, data));
    EXPECT_EQ(data.SampleCapacity, 32767);
    EXPECT_EQ(data.PeriodicData[6].size(), 32768u);
}

TEST_F(TestDataFiles, HeaderValuesThatAreNotSixteenBitNumbersAreRefused) {
    struct Case {
        float interval;
        float storedRows;
        const char* message;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const Case cases[] = {
        {nan, 1.0f, "The reading interval stored in the file (nan) is not a 16-bit number"},
        {40000.0f, 1.0f, "The reading interval stored in the file (40000) is not a 16-bit number"},
        {5.0f, inf, "The row count stored in the file (inf) is not a 16-bit number"},
        {5.0f, -32769.0f, "The row count stored in the file (-32769) is not a 16-bit number"},
        {5.0f, 1e30f, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.interval);
        SCOPED_TRACE(c.storedRows);
        const QString path = file(QStringLiteral("bad.DAT"));
        ASSERT_TRUE(TempHome::write(path, HandMadeFile(1, c.interval, c.storedRows)));
        PeriodicDataSet data = Untouched();
        const Status s = ReadTestDataFile(path, data);
        ASSERT_FALSE(s);
        if (c.message) {
            EXPECT_EQ(s.message(), QString::fromLatin1(c.message));
        }
        ExpectUntouched(data);
    }
}

TEST_F(TestDataFiles, HeaderValuesAreRoundedHalfToEven) {
    const QString path = file(QStringLiteral("half.DAT"));
    ASSERT_TRUE(TempHome::write(path, HandMadeFile(1, 12.5f, -32768.4f)));
    PeriodicDataSet data;
    ASSERT_TRUE(ReadTestDataFile(path, data));
    EXPECT_EQ(data.HeaderValues, (std::array<int16_t, 2>{12, -32768}));
}

TEST_F(TestDataFiles, MissingFoldersAndOtherThingsThanFilesAreReadErrors) {
    PeriodicDataSet data = Untouched();
    EXPECT_FALSE(ReadTestDataFile(file(QStringLiteral("absent.DAT")), data));
    ASSERT_TRUE(QDir(home.path()).mkdir(QStringLiteral("folder.DAT")));
    EXPECT_FALSE(ReadTestDataFile(file(QStringLiteral("folder.DAT")), data));
    ASSERT_EQ(::mkfifo(QFile::encodeName(file(QStringLiteral("pipe.DAT"))).constData(), 0600), 0);
    EXPECT_FALSE(ReadTestDataFile(file(QStringLiteral("pipe.DAT")), data)); // refused, not waited on
    ExpectUntouched(data);
}

TEST(TestDataDecode, GarbageOfEveryLengthNeverCrashes) {
    // A cheap fuzz: every length around the edges, filled with a byte pattern that makes odd floats.
    for (int length = 0; length < 24 * 40; ++length) {
        QByteArray bytes(length, '\0');
        for (int i = 0; i < length; ++i)
            bytes[i] = char((i * 131 + 7) & 0xFF);
        PeriodicDataSet data;
        const Status s = DecodeTestData(bytes, data);
        if (s) {
            EXPECT_EQ(data.SampleCapacity, *RowsForLength(length));
        }
    }
}

// ---- Saving safely -----------------------------------------------------------------------------

TEST_F(TestDataFiles, FailedSaveLeavesTheExistingFileByteIdentical) {
    const QString path = file(QStringLiteral("keep.DAT"));
    PeriodicDataSet old = DataOf(5);
    ASSERT_TRUE(WriteTestDataFile(path, old, 5, kNames));
    const QByteArray before = TempHome::read(path);

    const FailingFiles factories[] = {FailingFiles::OnWrite(1), FailingFiles::AtCommit(),
                                      FailingFiles::OnWrite(1, FailingFiles::Persistence::Always)};
    for (const FailingFiles& files : factories) {
        PeriodicDataSet data = DataOf(9);
        data.SampleCount = 4;
        const Status s = WriteTestDataFile(path, data, 30, kNames, files);
        ASSERT_FALSE(s);
        EXPECT_EQ(s.message(), QStringLiteral("No space left on device"));
        EXPECT_EQ(data.SampleCount, 4); // unchanged by a failed save
        EXPECT_EQ(TempHome::read(path), before);
        EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.DAT"});
    }
}

TEST_F(TestDataFiles, FailingOnceThenSavingAgainSucceeds) {
    const QString path = file(QStringLiteral("retry.DAT"));
    const FailingFiles files = FailingFiles::AtCommit();
    PeriodicDataSet data = DataOf(2);
    EXPECT_FALSE(WriteTestDataFile(path, data, 5, kNames, files));
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_TRUE(WriteTestDataFile(path, data, 5, kNames, files));
    EXPECT_EQ(files.filesCreated(), 2);
    EXPECT_EQ(files.failures(), 1);
}

TEST_F(TestDataFiles, MissingFolderIsAnError) {
    PeriodicDataSet data = DataOf(1);
    const Status s = WriteTestDataFile(file(QStringLiteral("absent/t.DAT")), data, 5, kNames);
    ASSERT_FALSE(s);
    EXPECT_FALSE(s.message().isEmpty());
}

// The child half of ReadOnlyFolderIsAnError: runs as nobody and prints the outcome.
TEST(TestDataFilesChild, SaveIntoForeignFolder) {
    const QByteArray path = qgetenv("CORVIN_DATA_PATH");
    if (qgetenv(corvin::testing::kChildVariable).isEmpty() || path.isEmpty())
        GTEST_SKIP() << "runs only as the child of ReadOnlyFolderIsAnError";
    PeriodicDataSet data = DataOf(1);
    const Status s = WriteTestDataFile(QString::fromUtf8(path), data, 5, kNames);
    std::printf("CHILD-RESULT ok=%d message=%s\n", int(s.ok()), s.message().toUtf8().constData());
}

TEST_F(TestDataFiles, ReadOnlyFolderIsAnError) {
    const QString folder = file(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/t.DAT");
    if (!corvin::testing::RunningAsRoot()) {
        ASSERT_TRUE(QFile(folder).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        PeriodicDataSet data = DataOf(1);
        const Status s = WriteTestDataFile(path, data, 5, kNames);
        EXPECT_FALSE(s);
        EXPECT_FALSE(s.message().isEmpty());
        return;
    }
    if (const std::optional<QString> why = corvin::testing::NobodyUnavailable())
        GTEST_SKIP() << why->toStdString();
    corvin::testing::LetNobodyReach(folder); // root's folder: nobody may enter it, not write in it
    const QString out =
        corvin::testing::RunAsNobody(QStringLiteral("TestDataFilesChild.SaveIntoForeignFolder"),
                                     {QStringLiteral("CORVIN_DATA_PATH=") + path});
    EXPECT_TRUE(out.contains(QStringLiteral("CHILD-RESULT ok=0 message=")) && !out.contains("message=\n"))
        << out.toStdString();
    EXPECT_FALSE(QFile::exists(path));
}
