// The test record beside a test data file: written with the data file as one save, read back
// field by field, and what a reader makes of a record that is missing, foreign or out of date.

#include "datafiles/RecoveryFiles.h"
#include "datafiles/TestRecord.h"
#include "support/CorvinDataRun.h"
#include "support/TempHome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>
#include <gtest/gtest.h>

namespace {

using namespace corvin;
using namespace corvin::datafiles;
using corvin::testing::RunCorvinData;
using corvin::testing::TempHome;

PeriodicDataSet Readings(int16_t rows, float channel3) {
    PeriodicDataSet data;
    data.resize(rows);
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = k == 2 ? channel3 : 1.0f + r;
    return data;
}

TestRecord FullRecord() {
    TestRecord r;
    r.start = QDateTime(QDate(2026, 12, 8), QTime(14, 3, 11), QTimeZone(3600));
    r.end = r.start.addSecs(600);
    r.operatorName = QStringLiteral("asmith");
    r.station = QStringLiteral("bench-2");
    r.programVersion = QStringLiteral("1.7.0");
    r.probeName = QStringLiteral("PROBE \u00B5");
    for (int k = 1; k <= kChannelCount; ++k)
        r.channelNames[k - 1] = QStringLiteral("Ch %1").arg(k);
    r.range = QStringLiteral("HIGH");
    r.fullScaleMicroAmps = 10;
    r.channelsOn = std::array<bool, kChannelCount>{true, true, true, false, false, false, true};
    r.intervalSeconds = 10;
    r.card = QStringLiteral("comedi");
    r.cardDevice = QStringLiteral("/dev/comedi0");
    r.autoTest = false;
    r.note = QStringLiteral("after the \"repair\"\nsecond line");
    probes::ProbeLimits limits{};
    limits[2] = {0.0, 5.0, {}, 4.5, 20.0};
    r.limits = limits;
    RecordedVerdicts v;
    v.channels[2] = Verdict::Fail;
    v.test = Verdict::Fail;
    r.verdicts = v;
    return r;
}

TEST(TestRecord, EveryFieldReadsBackAsWrittenAndTheHashIsTheDataFiles) {
    TempHome home;
    const QString dat = home.file(QStringLiteral("T.DAT"));
    PeriodicDataSet data = Readings(3, 5.2f);
    ASSERT_TRUE(WriteTestDataWithRecord(dat, data, 10, FullRecord().channelNames, FullRecord()));
    EXPECT_EQ(data.SampleCount, 3);

    const RecordReading reading = ReadRecordBeside(dat);
    ASSERT_EQ(reading.state, RecordState::Matches) << reading.message.toStdString();
    const TestRecord& r = reading.record;
    const TestRecord w = FullRecord();
    EXPECT_EQ(r.start, w.start);
    EXPECT_EQ(r.start.offsetFromUtc(), 3600);
    EXPECT_EQ(r.end, w.end);
    EXPECT_EQ(r.operatorName, w.operatorName);
    EXPECT_EQ(r.probeName, w.probeName);
    EXPECT_EQ(r.channelNames, w.channelNames);
    EXPECT_EQ(r.range, w.range);
    EXPECT_EQ(r.fullScaleMicroAmps, 10);
    EXPECT_EQ(r.channelsOn, w.channelsOn);
    EXPECT_EQ(r.rows, 3);
    EXPECT_EQ(r.card, w.card);
    EXPECT_EQ(r.cardDevice, w.cardDevice);
    EXPECT_EQ(r.autoTest, std::optional<bool>(false));
    EXPECT_EQ(r.note, w.note);
    EXPECT_EQ(r.limits, w.limits);
    ASSERT_TRUE(r.verdicts);
    EXPECT_EQ(r.verdicts->channels[2], Verdict::Fail);
    EXPECT_EQ(r.datSha256, Sha256Hex(TempHome::read(dat)));
    EXPECT_EQ(QJsonDocument::fromJson(TempHome::read(RecordPathFor(dat))).object().value("start").toString(),
              QStringLiteral("2026-12-08T14:03:11+01:00"));

    // A data file changed afterwards still reads, flagged.
    QByteArray bytes = TempHome::read(dat);
    bytes[0] = 'X';
    ASSERT_TRUE(TempHome::write(dat, bytes));
    EXPECT_EQ(ReadRecordBeside(dat).state, RecordState::Changed);
}

TEST(TestRecord, AnExportedWorkbookCarriesTheRecordAsItsProperties) {
    const WorkbookProperties p = RecordProperties(FullRecord());
    EXPECT_EQ(p.title, QStringLiteral("Corvin test of PROBE \u00B5"));
    EXPECT_EQ(p.subject, QStringLiteral("started 2026-12-08T14:03:11+01:00"));
    EXPECT_EQ(p.author, QStringLiteral("asmith"));
    EXPECT_EQ(p.keywords, QStringLiteral("FAIL"));
    using Value = std::variant<QString, double>;
    const auto value = [&p](const QString& name) {
        for (const CustomProperty& c : p.distinctCustom())
            if (c.name == name)
                return c.value;
        return Value(QStringLiteral("(missing)"));
    };
    EXPECT_EQ(value(QStringLiteral("full scale uA")), Value(10.0));
    EXPECT_EQ(value(QStringLiteral("range")), Value(QStringLiteral("HIGH")));
    EXPECT_EQ(value(QStringLiteral("channel 3 verdict")), Value(QStringLiteral("FAIL")));
    EXPECT_EQ(value(QStringLiteral("data file SHA-256")), Value(QStringLiteral("(missing)")));
}

TEST(TestRecord, AMissingOrBadRecordNeverStopsTheDataFile) {
    TempHome home;
    const QString dat = home.file(QStringLiteral("T.DAT"));
    EXPECT_EQ(ReadRecordBeside(dat).state, RecordState::None);
    struct Case {
        QByteArray bytes;
        const char* why;
    };
    const Case cases[] = {
        {"{not json", "it is not JSON"},
        {R"({"format": "sigrok", "version": 1})", "it is not a Corvin test record"},
        {R"({"format": "corvin-test-record", "version": 2})", "it has a version this Corvin does not read"},
        {R"({"format": "corvin-test-record", "version": 1, "rows": "many"})",
         "its field \"rows\" is not what a record holds"},
        {R"({"format": "corvin-test-record", "version": 1, "range": "MEDIUM"})",
         "its field \"range\" is not what a record holds"},
        {R"({"format": "corvin-test-record", "version": 1, "start": "yesterday"})",
         "its field \"start\" is not what a record holds"},
        {R"({"format": "corvin-test-record", "version": 1, "verdicts": {"test": "GOOD"}})",
         "its field \"verdicts\" is not what a record holds"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(TempHome::write(RecordPathFor(dat), c.bytes));
        const RecordReading r = ReadRecordBeside(dat);
        EXPECT_EQ(r.state, RecordState::Unusable) << c.why;
        EXPECT_EQ(r.message, QStringLiteral("its test record is not usable: ") + QString::fromUtf8(c.why));
    }
}

TEST(TestRecord, ARecoveredTestIsSavedWithWhatItsJournalKnew) {
    TempHome home;
    RecoveredTest test;
    test.header.startTime = QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
    test.header.intervalSeconds = 5;
    test.header.plannedRows = 10;
    test.header.probeName = QStringLiteral("P1");
    test.header.range = QStringLiteral("LOW");
    test.header.screenScale = 4;
    test.header.card = QStringLiteral("sim");
    test.rows = {JournalRow{1, 2, 3, 4, 5, 6, 7}, JournalRow{1, 2, 3, 4, 5, 6, 7}};
    const QString dat = home.file(QStringLiteral("R.DAT"));
    ASSERT_TRUE(SaveRecoveredTest(test, dat));
    const RecordReading r = ReadRecordBeside(dat);
    ASSERT_EQ(r.state, RecordState::Matches);
    EXPECT_EQ(r.record.start, test.header.startTime);
    EXPECT_EQ(r.record.end, test.header.startTime.addSecs(10));
    EXPECT_EQ(r.record.range, QStringLiteral("LOW"));
    EXPECT_EQ(r.record.fullScaleMicroAmps, 1000);
    EXPECT_EQ(r.record.rows, 2);
    EXPECT_FALSE(r.record.channelsOn.has_value()); // not in this journal: "not recorded"
    EXPECT_TRUE(RecordLines(r.record).contains(QStringLiteral("channels on: not recorded")));
}

TEST(TestRecord, CorvinDataPrintsTheRecordAndJudgesTheTest) {
    TempHome home;
    const QString dat = home.file(QStringLiteral("T.DAT"));
    PeriodicDataSet data = Readings(40, 5.2f); // channel 3 above its max of 5 from the first row
    ASSERT_TRUE(WriteTestDataWithRecord(dat, data, 10, FullRecord().channelNames, FullRecord()));

    const auto info = RunCorvinData({QStringLiteral("info"), dat});
    EXPECT_EQ(info.status, 0);
    EXPECT_TRUE(info.out.startsWith(QStringLiteral("interval: 10\nrows: 40\n"))) << info.out.toStdString();
    EXPECT_TRUE(info.out.contains(QStringLiteral("\nprobe: PROBE \u00B5\n")));
    EXPECT_TRUE(info.out.contains(QStringLiteral("\nnote: after the \"repair\" second line\n")));
    EXPECT_TRUE(info.out.contains(QStringLiteral("\nverdict: FAIL\n")));

    const auto record = RunCorvinData({QStringLiteral("record"), dat});
    EXPECT_EQ(record.status, 0);
    EXPECT_EQ(QJsonDocument::fromJson(record.out.toUtf8()).object().value("format").toString(),
              QStringLiteral("corvin-test-record"));

    // The record's limits by default: channel 3 judged after its 20 s of settling.
    const auto verdict = RunCorvinData({QStringLiteral("verdict"), dat});
    EXPECT_EQ(verdict.status, 3);
    EXPECT_TRUE(verdict.out.contains(QStringLiteral("channel 3: FAIL (max 5.2 \u00B5A at 20 s > 5)\n")))
        << verdict.out.toStdString();
    EXPECT_TRUE(verdict.out.contains(QStringLiteral("channel 4: NOT JUDGED (switched off)\n")));
    EXPECT_TRUE(verdict.out.endsWith(QStringLiteral("test: FAIL\n")));

    // Limits given on the command line instead; a bad limits file is an error, not a verdict.
    const QString limits = home.file(QStringLiteral("L.limits.json"));
    probes::ProbeLimits wide{};
    wide[2] = {0.0, 10.0, {}, {}, {}};
    ASSERT_TRUE(probes::WriteProbeLimits(limits, wide));
    const auto passes = RunCorvinData({QStringLiteral("verdict"), dat, QStringLiteral("--limits"), limits});
    EXPECT_EQ(passes.status, 0);
    EXPECT_TRUE(passes.out.endsWith(QStringLiteral("test: PASS\n")));
    ASSERT_TRUE(TempHome::write(limits, "{}"));
    EXPECT_EQ(RunCorvinData({QStringLiteral("verdict"), dat, QStringLiteral("--limits"), limits}).status, 1);
    EXPECT_EQ(RunCorvinData({QStringLiteral("verdict")}).status, 2);

    // The report: one A4 page, with or without a record beside the data file.
    const QString pdf = home.file(QStringLiteral("T.pdf"));
    const auto report = RunCorvinData({QStringLiteral("report"), dat, pdf});
    EXPECT_EQ(report.status, 0) << report.err.toStdString();
    EXPECT_EQ(report.out, QStringLiteral("Test report written to ") + pdf + QStringLiteral("\n"));
    const QByteArray bytes = TempHome::read(pdf);
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r"), 1);
    ASSERT_TRUE(QFile::remove(RecordPathFor(dat)));
    EXPECT_EQ(RunCorvinData({QStringLiteral("report"), dat, pdf}).status, 0);
    EXPECT_EQ(RunCorvinData({QStringLiteral("report"), dat, home.file(QStringLiteral("T.png"))}).status, 2);
}

} // namespace
