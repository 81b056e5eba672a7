// Every file Corvin writes, on a disc that fills up: the save fails with the system's reason,
// the file that was there before is untouched and nothing half-written is left beside it. First
// every writer on a disc that fills at every byte of a small output (and at a spread of a large
// one), then the real atomic writer on a real limit at every byte, then the writers and the
// command-line tools on a real full tmpfs.
#include "common/AtomicFile.h"
#include "common/Clock.h"
#include "datafiles/JournalFormat.h"
#include "datafiles/RecoveryFiles.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestDataFile.h"
#include "history/LocalCatalogue.h"
#include "platform/QtPrinters.h"
#include "playback/TestReport.h"
#include "probes/ProbeFile.h"
#include "probes/ProbeLimits.h"
#include "settings/BarColourFile.h"
#include "settings/RegistryStore.h"
#include "support/CorvinDataRun.h"
#include "support/FailingFiles.h"
#include "support/TempHome.h"
#include "support/TinyDisc.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvin {
namespace {

using testing::FailingFiles;
using testing::TempHome;
using testing::TinyDisc;

const QString kNoSpace = QStringLiteral("No space left on device");
const QByteArray kOld("the file that was there before");

PeriodicDataSet Readings(int16_t rows) {
    PeriodicDataSet data;
    data.ReadingIntervalSeconds = 5;
    data.resize(rows);
    for (int k = 0; k < kChannelCount; ++k)
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[k][r] = float(k + 1) + float(r) / 8.0f;
    for (int k = 0; k < kChannelCount; ++k)
        data.ChannelNames[k] = QStringLiteral("Channel %1").arg(k + 1).leftJustified(20);
    return data;
}

std::array<QString, kChannelCount> Names() {
    std::array<QString, kChannelCount> names;
    for (int k = 0; k < kChannelCount; ++k)
        names[k] = QStringLiteral("Channel %1").arg(k + 1);
    return names;
}

datafiles::RecoveredTest Recovered(int16_t rows) {
    datafiles::RecoveredTest test;
    test.header.startTime = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
    test.header.intervalSeconds = 5;
    test.header.plannedRows = rows;
    test.header.probeName = QStringLiteral("FULL DISC");
    test.header.channelNames = Names();
    const PeriodicDataSet data = Readings(rows);
    for (int r = 0; r < rows; ++r) {
        datafiles::JournalRow row;
        for (int k = 0; k < kChannelCount; ++k)
            row[k] = data.PeriodicData[k][r];
        test.rows.push_back(row);
    }
    return test;
}

datafiles::SheetCells Sheet(int16_t rows) {
    datafiles::SheetCells sheet;
    PeriodicDataSet data = Readings(rows);
    data.SampleCount = rows;
    data.HeaderValues = {5, rows};
    EXPECT_TRUE(datafiles::FillPeriodicSheet(data, QDateTime(QDate(2026, 12, 8), QTime(9, 30)),
                                             datafiles::ExportCaller::LiveTest, sheet));
    return sheet;
}

// A workbook's creation time, fixed: the time of writing would change the compressed size of an
// .xlsx between measuring it and filling the disc at each of its bytes.
datafiles::WorkbookProperties FixedTime() {
    datafiles::WorkbookProperties properties;
    properties.created = QDateTime(QDate(2026, 12, 8), QTime(9, 30), Qt::UTC);
    return properties;
}

// One writer of the program: writes its file (named `target` in `folder`) through `files`.
struct Writer {
    const char* name;
    QString target;
    std::function<Status(const QString& folder, const AtomicFileFactory& files)> write;
};

std::vector<Writer> Writers(int16_t rows) {
    return {
        {"test data file", QStringLiteral("T.DAT"),
         [rows](const QString& folder, const AtomicFileFactory& files) {
             PeriodicDataSet data = Readings(rows);
             return datafiles::WriteTestDataFile(folder + QStringLiteral("/T.DAT"), data, 5, Names(), files);
         }},
        {"recovery save", QStringLiteral("R.DAT"),
         [rows](const QString& folder, const AtomicFileFactory& files) {
             return datafiles::SaveRecoveredTest(Recovered(rows), folder + QStringLiteral("/R.DAT"), files);
         }},
        {"probe limits", QStringLiteral("P.limits.json"),
         [](const QString& folder, const AtomicFileFactory& files) {
             probes::ProbeLimits limits{};
             limits[0] = {-0.5, 5.0, 0.0, 4.5, 30.0};
             return probes::WriteProbeLimits(folder + QStringLiteral("/P.limits.json"), limits, files);
         }},
        {"test report", QStringLiteral("T.pdf"),
         [rows](const QString& folder, const AtomicFileFactory& files) {
             playback::ReportInput input;
             input.datPath = folder + QStringLiteral("/T.DAT");
             input.data = Readings(rows);
             return playback::WriteTestReport(folder + QStringLiteral("/T.pdf"), input, files);
         }},
        {".xls workbook", QStringLiteral("W.xls"),
         [rows](const QString& folder, const AtomicFileFactory& files) {
             return datafiles::WriteWorkbook(folder + QStringLiteral("/W.xls"),
                                             datafiles::WorkbookFormat::Xls, Sheet(rows), files, FixedTime());
         }},
        {".xlsx workbook", QStringLiteral("W.xlsx"),
         [rows](const QString& folder, const AtomicFileFactory& files) {
             return datafiles::WriteWorkbook(folder + QStringLiteral("/W.xlsx"),
                                             datafiles::WorkbookFormat::Xlsx, Sheet(rows), files, FixedTime());
         }},
        {"probe file", QStringLiteral("FULL DISC.prb"),
         [](const QString& folder, const AtomicFileFactory& files) {
             cProbe probe;
             probe.setProbe_Name(QStringLiteral("FULL DISC"));
             for (int k = 1; k <= kChannelCount; ++k)
                 probe.setCh(k, QStringLiteral("Ch %1").arg(k));
             return probes::WriteProbeFile(folder, probe, files);
         }},
        {"bar colour file", QStringLiteral("BAR.CFG"),
         [](const QString& folder, const AtomicFileFactory& files) {
             cBarColors colours;
             for (int k = 1; k <= kChannelCount; ++k)
                 colours.setCh(k, 0x102030 * k);
             return settings::BarColourFile::Save(folder + QStringLiteral("/BAR.CFG"), colours, files);
         }},
    };
}

QStringList Listing(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// The offsets to try of an output `size` bytes long: all of them when it is small, else the
// first and last bytes and a spread between.
std::vector<qint64> Offsets(qint64 size) {
    std::vector<qint64> offsets;
    const qint64 step = size <= 4096 ? 1 : size / 300;
    for (qint64 at = 0; at < size; at += (at < 64 || at > size - 64) ? 1 : step)
        offsets.push_back(at);
    return offsets;
}

// Writes through a disc with `free` bytes; the write must fail, leaving only the old file.
void ExpectCleanFailure(const Writer& writer, qint64 free) {
    TempHome home;
    const QString target = home.file(writer.target);
    ASSERT_TRUE(TempHome::write(target, kOld));
    const QStringList before = Listing(home.path());
    const FailingFiles disc = FailingFiles::DiscFullAfter(free);
    const Status s = writer.write(home.path(), disc);
    ASSERT_FALSE(s) << writer.name << " reported success with " << free << " bytes free";
    EXPECT_TRUE(s.message().contains(kNoSpace)) << writer.name << ": " << s.message().toStdString();
    ASSERT_EQ(TempHome::read(target), kOld) << writer.name << " at byte " << free;
    ASSERT_EQ(Listing(home.path()), before) << writer.name << " at byte " << free;
}

qint64 OutputSize(const Writer& writer) {
    TempHome home;
    const FailingFiles disc = FailingFiles::DiscFullAfter(std::numeric_limits<qint64>::max() / 2);
    EXPECT_TRUE(writer.write(home.path(), disc)) << writer.name;
    // What the writer wrote: its file, and the record beside a test data file it saves with one.
    const QString record = home.file(writer.target + QStringLiteral(".json"));
    EXPECT_EQ(QFileInfo(home.file(writer.target)).size() +
                  (QFileInfo::exists(record) ? QFileInfo(record).size() : 0),
              disc.bytesUsed())
        << writer.name;
    return disc.bytesUsed();
}

} // namespace

// ---- Every writer, the disc filling at every byte --------------------------------------------

TEST(FullDisc, EveryWriterFailsCleanlyWhereverTheDiscFills) {
    int tried = 0;
    std::vector<Writer> writers = Writers(3);
    // A long test, for the writers of test data files: their output is written in one piece,
    // so a spread of offsets of it is as telling as every one.
    for (const Writer& writer : Writers(32000))
        if (writer.target.endsWith(QStringLiteral(".DAT")))
            writers.push_back(writer);
    {
        for (const Writer& writer : writers) {
            const qint64 size = OutputSize(writer);
            for (const qint64 free : Offsets(size)) {
                ExpectCleanFailure(writer, free);
                ++tried;
                if (::testing::Test::HasFatalFailure())
                    return;
            }
        }
    }
    RecordProperty("offsets", tried);
    std::printf("%d offsets of %zu writers tried\n", tried, writers.size());
}

TEST(FullDisc, TheJournalKeepsEveryCompleteRowAndNeverAnEmptyFile) {
    const datafiles::RecoveredTest test = Recovered(3);
    const qint64 size = datafiles::kJournalHeaderLength + 3 * datafiles::kJournalFrameLength;
    for (qint64 free = 0; free <= size; ++free) {
        TempHome home;
        const QString folder = home.file(QStringLiteral("Recovery"));
        const FailingFiles disc = FailingFiles::DiscFullAfter(free);
        datafiles::RecoveryJournal journal;
        Status s = journal.begin(folder, test.header, disc);
        int appended = 0;
        for (int r = 0; s && r < 3; ++r, ++appended)
            s = journal.append(r, test.rows[r]);
        if (appended < 3 || !s) {
            EXPECT_TRUE(s.message().contains(kNoSpace)) << free;
        }
        const QStringList journals = datafiles::ListJournals(folder);
        if (free < datafiles::kJournalHeaderLength) {
            EXPECT_TRUE(journals.isEmpty()) << "a journal without its header at byte " << free;
            continue;
        }
        ASSERT_EQ(journals.size(), 1);
        datafiles::RecoveredTest back;
        ASSERT_TRUE(datafiles::ReadJournalFile(journals[0], back));
        EXPECT_EQ(back.rows.size(), std::size_t(s ? appended : appended - 1)) << free;
    }
}

// ---- The real writer against a real limit, at every byte ---------------------------------------

namespace {

// Writes `bytes` over `target` in a child process that may write no file past `limit` bytes,
// as a disc with that much room would refuse. Returns what the child's save said: 0 success,
// 1 a failure with the system's reason, 2 a failure without one.
int SaveWithLimit(const QString& target, const QByteArray& bytes, rlim_t limit) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead of ending the child
        const rlimit rl{limit, limit};
        ::setrlimit(RLIMIT_FSIZE, &rl);
        const Status s = WriteFileAtomically(target, bytes);
        ::_exit(s ? 0 : s.message() == QStringLiteral("File too large") ? 1 : 2);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

} // namespace

TEST(FullDisc, TheAtomicWriterFailsAtEveryByteOnARealLimit) {
    PeriodicDataSet small = Readings(3);
    PeriodicDataSet large = Readings(32000);
    for (const QByteArray& bytes : {datafiles::EncodeTestData(small, 3, 5, Names()),
                                    datafiles::EncodeTestData(large, 32000, 5, Names())}) {
        TempHome home;
        const QString target = home.file(QStringLiteral("T.DAT"));
        ASSERT_TRUE(TempHome::write(target, kOld));
        for (const qint64 limit : Offsets(bytes.size())) {
            ASSERT_EQ(SaveWithLimit(target, bytes, rlim_t(limit)), 1) << "limit " << limit;
            ASSERT_EQ(TempHome::read(target), kOld) << "limit " << limit;
            ASSERT_EQ(Listing(home.path()), QStringList{QStringLiteral("T.DAT")}) << "limit " << limit;
        }
        EXPECT_EQ(SaveWithLimit(target, bytes, rlim_t(bytes.size())), 0);
        EXPECT_EQ(TempHome::read(target), bytes);
    }
}

// ---- A real full disc ------------------------------------------------------------------------

class RealFullDisc : public ::testing::Test {
protected:
    void SetUp() override { SKIP_WITHOUT_TINY_DISC(disc); }
    // Files of these names on the disc hold the old content, then the disc is full.
    void oldFilesOnAFullDisc(const QStringList& names) {
        for (const QString& name : names)
            EXPECT_TRUE(TempHome::write(disc.file(name), kOld));
        disc.fill();
    }
    void expectOnlyTheOldFiles(const QStringList& before) {
        EXPECT_EQ(Listing(disc.path()), before);
        for (const QString& name : before) {
            if (!name.startsWith(QLatin1Char('.'))) {
                EXPECT_EQ(TempHome::read(disc.file(name)), kOld) << name.toStdString();
            }
        }
    }

    TinyDisc disc;
};

TEST_F(RealFullDisc, EveryWriterSaysWhyAndKeepsTheOldFile) {
    QStringList names;
    for (const Writer& writer : Writers(300))
        names << writer.target;
    oldFilesOnAFullDisc(names);
    const QStringList before = Listing(disc.path());
    for (const Writer& writer : Writers(300)) {
        const Status s = writer.write(disc.path(), AtomicFileFactory());
        EXPECT_FALSE(s) << writer.name;
        EXPECT_TRUE(s.message().contains(kNoSpace)) << writer.name << ": " << s.message().toStdString();
    }
    expectOnlyTheOldFiles(before);

    // The PDF printer, whose printouts are pages of a picture.
    platform::QtPrinters printers(disc.path());
    printers.setDefaultPrinter(platform::kPdfPrinterName);
    QImage picture(800, 600, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    const Status printed =
        printers.printImage(picture, platform::Orientation::Landscape, QStringLiteral("chart"));
    EXPECT_FALSE(printed);
    EXPECT_TRUE(printed.message().contains(kNoSpace)) << printed.message().toStdString();
    expectOnlyTheOldFiles(before);

    // Space again: the same saves succeed.
    disc.free();
    for (const Writer& writer : Writers(300))
        EXPECT_TRUE(writer.write(disc.path(), AtomicFileFactory())) << writer.name;
}

TEST_F(RealFullDisc, TheCommandLineToolsFailWithTheReasonAndKeepTheirInputs) {
    TempHome elsewhere;
    const QString input = elsewhere.file(QStringLiteral("in.DAT"));
    PeriodicDataSet data = Readings(300);
    ASSERT_TRUE(datafiles::WriteTestDataFile(input, data, 5, Names()));
    const QString journal = elsewhere.file(QStringLiteral("test-1.journal"));
    ASSERT_TRUE(TempHome::write(journal, datafiles::EncodeJournalHeader(Recovered(0).header)));
    const QString fresh = disc.file(QStringLiteral("recovered.DAT"));
    oldFilesOnAFullDisc({"out.xls", "out.xlsx", "out.csv"});
    const QStringList before = Listing(disc.path());

    const std::vector<QStringList> commands = {
        {"convert", input, disc.file("out.xls")},
        {"convert", input, disc.file("out.xlsx")},
        {"convert", input, disc.file("out.csv")},
        {"recover", "save", journal, fresh},
        {"probe", "create", disc.path(), "FULL DISC", "Anode", "Cathode"},
    };
    for (const QStringList& args : commands) {
        const testing::CorvinDataRun run = testing::RunCorvinData(args);
        EXPECT_NE(run.status, 0) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(kNoSpace))
            << args.join(' ').toStdString() << ": " << run.err.toStdString();
        EXPECT_FALSE(run.out.contains(QStringLiteral("saved"))) << run.out.toStdString();
    }
    expectOnlyTheOldFiles(before);
    EXPECT_TRUE(QFileInfo::exists(journal)) << "the journal went with its readings unsaved";
}

TEST_F(RealFullDisc, TheSettingsStoreRefusesTheChangeAndKeepsWhatItHeld) {
    const QString path = disc.file(QStringLiteral("registry.sqlite"));
    const SystemClock clock;
    const QByteArray old("C:/Corvin/Data/old.DAT");
    {
        settings::RegistryStore store(path, clock);
        settings::RegKey key;
        ASSERT_EQ(store.CreateKey(settings::kHkeyCurrentUser, QStringLiteral("Software\\Corvin"),
                                  settings::kKeyAllAccess, key),
                  0);
        ASSERT_EQ(store.SetValue(key, QStringLiteral("File1"), settings::kRegSz, old), 0);
        disc.fill();
        EXPECT_NE(store.SetValue(key, QStringLiteral("File1"), settings::kRegBinary, QByteArray(300000, 'x')),
                  0);
        EXPECT_FALSE(store.lastError().isEmpty());
    }
    disc.free();
    settings::RegistryStore again(path, clock);
    EXPECT_TRUE(again.notice().isEmpty()) << again.notice().toStdString();
    settings::RegKey key;
    ASSERT_EQ(again.OpenKey(settings::kHkeyCurrentUser, QStringLiteral("Software\\Corvin"),
                            settings::kKeyAllAccess, key),
              0);
    char data[64] = {};
    uint32_t size = sizeof data;
    ASSERT_EQ(again.QueryValue(key, QStringLiteral("File1"), nullptr, data, &size), 0);
    EXPECT_EQ(QByteArray(data, int(size)), old);
}

TEST_F(RealFullDisc, TheTestHistoryRefusesTheRowsAndKeepsWhatItHeld) {
    const QString path = disc.file(QStringLiteral("history.sqlite"));
    const SystemClock clock;
    history::TestEntry kept;
    kept.station = QStringLiteral("bench-1");
    kept.path = QStringLiteral("/data/kept.DAT");
    {
        history::LocalCatalogue catalogue(path, clock);
        catalogue.setQueueing(true);
        ASSERT_TRUE(catalogue.put({kept}));
        disc.fill();
        std::vector<history::TestEntry> many(400, kept);
        for (std::size_t i = 0; i < many.size(); ++i) {
            many[i].path = QStringLiteral("/data/new-%1.DAT").arg(i);
            many[i].note = QString(500, QLatin1Char('n'));
        }
        const Status s = catalogue.put(many);
        EXPECT_FALSE(s);
        EXPECT_FALSE(s.message().isEmpty());
    }
    disc.free();
    history::LocalCatalogue again(path, clock);
    EXPECT_TRUE(again.notice().isEmpty()) << again.notice().toStdString();
    std::vector<history::TestEntry> rows;
    ASSERT_TRUE(again.entries(rows));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].path, kept.path);
    int queued = 0;
    ASSERT_TRUE(again.queuedCount(queued));
    EXPECT_EQ(queued, 1) << "the refused rows left nothing in the queue";
}

} // namespace corvin
