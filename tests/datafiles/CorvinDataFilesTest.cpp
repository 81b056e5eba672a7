// corvin-data's info, dump and convert commands, run in-process.
#include "datafiles/TestDataFile.h"

#include "WorkbookReaders.h"
#include "support/CorvinDataRun.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::RunCorvinData;
using corvin::testing::TempHome;

namespace {

class CorvinDataFiles : public ::testing::Test {
protected:
    TempHome home;
    QString path = home.file(QStringLiteral("test.DAT"));

    void Write(PeriodicDataSet data, int16_t interval, const std::array<QString, kChannelCount>& names) {
        ASSERT_TRUE(WriteTestDataFile(path, data, interval, names));
    }
};

const std::array<QString, kChannelCount> kNames = {"Left", "Right µA",   "  Centre", "",
                                                   "a,b",  "say \"hi\"", "Seven"};

} // namespace

// ---- info --------------------------------------------------------------------------------------

TEST_F(CorvinDataFiles, InfoPrintsTheHeaderAndTrimmedNames) {
    PeriodicDataSet data;
    data.resize(3);
    Write(data, 10, kNames);
    const auto run = RunCorvinData({"info", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              QString::fromUtf8("interval: 10\nrows: 3\nstored rows: 3\n"
                                "channel 1: Left\nchannel 2: Right µA\nchannel 3:   Centre\n"
                                "channel 4: \nchannel 5: a,b\nchannel 6: say \"hi\"\nchannel 7: Seven\n"));
    EXPECT_TRUE(run.err.isEmpty());
}

TEST_F(CorvinDataFiles, InfoShowsAStoredRowCountThatDisagreesWithTheLength) {
    PeriodicDataSet data;
    data.resize(2);
    Write(data, 5, kNames);
    QByteArray bytes = TempHome::read(path);
    const float stored = 41.6f; // rounds to 42
    std::memcpy(bytes.data() + 24 * (7 * 2 + 1) + 20, &stored, 4);
    ASSERT_TRUE(TempHome::write(path, bytes));
    const auto run = RunCorvinData({"info", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("interval: 5\nrows: 2\nstored rows: 42\n")));
}

TEST_F(CorvinDataFiles, InfoOfAnEmptyTest) {
    PeriodicDataSet data;
    data.resize(0);
    Write(data, 30, kNames);
    const auto run = RunCorvinData({"info", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(
        run.out.startsWith(QStringLiteral("interval: 30\nrows: 0\nstored rows: 0\nchannel 1: Left\n")));
}

TEST_F(CorvinDataFiles, CorruptAndMissingFilesFailWithOneLine) {
    ASSERT_TRUE(TempHome::write(path, QByteArray(100, 'x')));
    const QString missing = home.file(QStringLiteral("absent.DAT"));
    for (const QStringList& args :
         {QStringList{"info", path}, QStringList{"dump", path}, QStringList{"info", missing}}) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const auto run = RunCorvinData(args);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(
            run.err.startsWith(QStringLiteral("corvin-data: cannot read ") + args[1] + QStringLiteral(": ")));
    }
}

// ---- dump --------------------------------------------------------------------------------------

TEST_F(CorvinDataFiles, DumpIsCsvWithTimesAndShortestReadings) {
    PeriodicDataSet data;
    data.resize(2);
    const float row0[7] = {0.1f, -2.5f, 100.0f, 0.0f, 1e-7f, 3.4028235e38f, 1.0f / 3.0f};
    for (int k = 0; k < 7; ++k) {
        data.PeriodicData[k][0] = row0[k];
        data.PeriodicData[k][1] = float(k);
    }
    Write(data, 15, kNames);
    const auto run = RunCorvinData({"dump", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out,
              QString::fromUtf8("Time (s),Left,Right µA,  Centre,,\"a,b\",\"say \"\"hi\"\"\",Seven\r\n"
                                "15,0.1,-2.5,100,0,1e-07,3.4028235e+38,0.33333334\r\n"
                                "30,0,1,2,3,4,5,6\r\n"));
}

TEST_F(CorvinDataFiles, DumpedReadingsReadBackAsTheSameSinglePrecisionValues) {
    PeriodicDataSet data;
    data.resize(200);
    std::uint32_t bits = 0x12345678;
    for (int r = 0; r < 200; ++r) {
        for (int k = 0; k < 7; ++k) {
            bits = bits * 1664525u + 1013904223u;
            float v;
            std::memcpy(&v, &bits, 4);
            data.PeriodicData[k][r] = std::isfinite(v) ? v : 1.5f;
        }
    }
    Write(data, 5, kNames);
    const auto run = RunCorvinData({"dump", path});
    ASSERT_EQ(run.status, 0);
    const QStringList lines = run.out.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 201);
    for (int r = 0; r < 200; ++r) {
        const QStringList fields = lines[r + 1].split(QLatin1Char(','));
        ASSERT_EQ(fields.size(), 8);
        EXPECT_EQ(fields[0].toInt(), 5 * (r + 1));
        for (int k = 0; k < 7; ++k)
            EXPECT_EQ(std::strtof(fields[k + 1].toLatin1().constData(), nullptr), data.PeriodicData[k][r]);
    }
}

TEST_F(CorvinDataFiles, DumpOfAnEmptyTestIsTheHeaderAlone) {
    PeriodicDataSet data;
    data.resize(0);
    Write(data, 5, kNames);
    const auto run = RunCorvinData({"dump", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.count(QStringLiteral("\r\n")), 1);
    EXPECT_TRUE(run.out.startsWith(QStringLiteral("Time (s),Left,")));
}

TEST_F(CorvinDataFiles, DumpPrintsOddValuesWithoutFailing) {
    PeriodicDataSet data;
    data.resize(1);
    data.PeriodicData[0][0] = std::numeric_limits<float>::quiet_NaN();
    data.PeriodicData[1][0] = -std::numeric_limits<float>::infinity();
    Write(data, -5, kNames);
    const auto run = RunCorvinData({"dump", path});
    EXPECT_EQ(run.status, 0);
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("\r\n-5,nan,-inf,0,0,0,0,0\r\n"))) << run.out.toStdString();
}

// ---- convert ----------------------------------------------------------------------------------

namespace {

class CorvinDataConvert : public CorvinDataFiles {
protected:
    void SetUp() override {
        PeriodicDataSet data;
        data.resize(3);
        data.PeriodicData[0] = {0.1f, 0.2f, 0.3f, 0.0f};
        Write(data, 10, kNames);
    }
};

} // namespace

TEST_F(CorvinDataConvert, WritesAWorkbookByTheOutputsExtension) {
    for (const char* name : {"out.xls", "OUT.XLS", "out.xlsx"}) {
        SCOPED_TRACE(name);
        const QString out = home.file(QString::fromLatin1(name));
        const auto run = RunCorvinData({"convert", path, out});
        EXPECT_EQ(run.status, 0);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_TRUE(run.err.isEmpty());
        const corvin::testing::ReadBook book = out.endsWith(QLatin1String("xlsx"))
                                                   ? corvin::testing::ReadWithPython(out)
                                                   : corvin::testing::ReadWithFreexl(out);
        ASSERT_TRUE(book.error.isEmpty()) << book.error.toStdString();
        EXPECT_EQ(book.cells.at("B5").text, QStringLiteral("Left                "));
        EXPECT_EQ(book.cells.at("B3").text, QStringLiteral("10"));
        EXPECT_EQ(book.cells.at("A9").number, 30.0);
        EXPECT_EQ(book.cells.at("B7").number, double(0.1f));
    }
}

TEST_F(CorvinDataConvert, ToCsvWritesWhatDumpPrints) {
    const QString out = home.file(QStringLiteral("out.csv"));
    const auto run = RunCorvinData({"convert", path, out});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(TempHome::read(out), RunCorvinData({"dump", path}).out.toUtf8());
}

TEST_F(CorvinDataConvert, FailuresAreOneLineAndNeverLeaveAFile) {
    const QString bad = home.file(QStringLiteral("bad.DAT"));
    ASSERT_TRUE(TempHome::write(bad, QByteArray(100, 'x')));
    const QString kept = home.file(QStringLiteral("kept.xls"));
    ASSERT_TRUE(TempHome::write(kept, "an older workbook"));
    struct Case {
        QStringList args;
        int status;
        QString start;
        QString output;
    };
    const QString noFolder = home.file(QStringLiteral("missing/out.xlsx"));
    const Case cases[] = {
        {{"convert", bad, kept}, 2, "corvin-data: cannot read " + bad + ": ", kept},
        {{"convert", path, noFolder}, 2, "corvin-data: cannot write " + noFolder + ": ", noFolder},
        {{"convert", path, home.file("out.ods")},
         2,
         "corvin-data: convert writes OUT.xls, OUT.xlsx or OUT.csv",
         home.file("out.ods")},
        {{"convert", path}, 2, "corvin-data: convert takes a test data file and the file to write", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const auto run = RunCorvinData(c.args);
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.isEmpty());
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1);
        EXPECT_TRUE(run.err.startsWith(c.start)) << run.err.toStdString();
        if (c.output == kept) {
            EXPECT_EQ(TempHome::read(kept), QByteArray("an older workbook"));
        } else if (!c.output.isEmpty()) {
            EXPECT_FALSE(QFileInfo::exists(c.output));
        }
    }
}

// ---- Inconsistent files are read, with warnings ------------------------------------------------

TEST_F(CorvinDataFiles, InfoAndDumpWarnAboutEveryInconsistencyAndStillSucceed) {
    PeriodicDataSet data;
    data.resize(2);
    data.PeriodicData[3][1] = std::numeric_limits<float>::quiet_NaN();
    data.PeriodicData[5][1] = std::numeric_limits<float>::infinity();
    Write(data, 31, kNames);
    QByteArray bytes = TempHome::read(path);
    const float stored = 7.0f;
    std::memcpy(bytes.data() + 24 * (7 * 2 + 1) + 20, &stored, 4);
    bytes.append("extra"); // five bytes that are no record
    ASSERT_TRUE(TempHome::write(path, bytes));

    const QStringList warnings = {
        "the file is 557 bytes long, but a test data file of 2 rows is 552 bytes; it was read as 2 rows",
        "the file says it holds 7 rows, but its length gives 2",
        "the reading interval 31 s is outside 5 to 30 s",
        "2 of the readings are not a number or infinite, the first in row 2, channel 4"};
    const auto info = RunCorvinData({"info", path});
    EXPECT_EQ(info.status, 0);
    QString expected;
    for (const QString& w : warnings)
        expected += "warning: " + w + "\n";
    EXPECT_TRUE(info.out.endsWith("channel 7: Seven\n" + expected)) << info.out.toStdString();

    const auto dump = RunCorvinData({"dump", path});
    EXPECT_EQ(dump.status, 0);
    expected.clear();
    for (const QString& w : warnings)
        expected += "corvin-data: warning: " + path + ": " + w + "\n";
    EXPECT_EQ(dump.err, expected);
    EXPECT_EQ(dump.out.count(QStringLiteral("\r\n")), 3);
}

TEST_F(CorvinDataFiles, AConsistentFileHasNoWarnings) {
    PeriodicDataSet data;
    data.resize(4);
    Write(data, 5, kNames);
    EXPECT_FALSE(RunCorvinData({"info", path}).out.contains(QStringLiteral("warning")));
    EXPECT_TRUE(RunCorvinData({"dump", path}).err.isEmpty());
}

TEST_F(CorvinDataFiles, ControlCharactersInNamesArePrintedEscaped) {
    PeriodicDataSet data;
    data.resize(0);
    Write(data, 5, {"two\nlines", "\x1b[31mred", "tab\there", "d", "e", "f", "g"});
    const auto info = RunCorvinData({"info", path});
    EXPECT_TRUE(info.out.contains(QStringLiteral("channel 1: two\\x0Alines\nchannel 2: \\x1B[31mred\n"
                                                 "channel 3: tab\\x09here\n")))
        << info.out.toStdString();
    const auto dump = RunCorvinData({"dump", path});
    EXPECT_TRUE(dump.out.startsWith(QStringLiteral("Time (s),two\\x0Alines,\\x1B[31mred,tab\\x09here,d,")));
}
