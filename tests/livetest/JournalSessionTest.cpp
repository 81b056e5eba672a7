// The recovery journal of a logged test: every row on disc when its tick returns, gone once the
// rows are saved or given up, a failing journal never stopping the test, and a real crash.
#include "datafiles/RecoveryFiles.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "livetest/BarChart.h"
#include "livetest/TestSession.h"
#include "support/FailingFiles.h"
#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"
#include "support/TinyDisc.h"
#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <thread>

namespace corvin::livetest {
namespace {

using platform::Answer;
using testing::FailingFiles;
using testing::TempHome;

const QString kQuestion = QStringLiteral("Logging Finished ,  Save Data to Disc ? ");

// A logged test on the simulated instrument with an instant clock: all seven channels on, LOW
// range, 1 mA full scale, logging every 5 s. The same steps give the same readings every time,
// in this process or in a child.
class SimulatedTest {
public:
    explicit SimulatedTest(const QString& home) : m_card(m_desk.clock) {
        m_state.folders.Home = home;
        m_state.folders.ProbesFolder = home + QStringLiteral("/Probes");
        m_state.instrument.cardKind = QStringLiteral("sim");
        m_state.CurrentProbe.setProbe_Name(QStringLiteral("SIM PROBE"));
        for (int k = 1; k <= kChannelCount; ++k)
            m_state.CurrentProbe.setCh(k, QStringLiteral("Channel %1").arg(k));
        m_state.instrument.BoardHandle = 0;
        m_state.instrument.BoardModel = instrument::SimulatedCard::kModel;
        m_chart = std::make_unique<BarChart>(m_state);
        m_session =
            std::make_unique<TestSession>(m_state, m_card, m_pauser, m_desk.desktop, m_frame, *m_chart);
        m_session->Form_Load();
        for (int k = 1; k <= kChannelCount; ++k)
            m_session->ToggleChannel(k);
        m_session->beginRangeChoice();
        m_session->rangeChosen(false);
        m_session->scaleChosen(4);
    }

    void start(const QString& hours = QStringLiteral("6")) {
        m_session->setPeriodicChoice(PeriodicChoice::On);
        m_desk.dialogs.inputs = {QStringLiteral("5"), hours};
        m_session->cmdStart_Click();
    }
    void tick() {
        m_desk.clock.advanceMs(5000);
        m_session->Timer2_Timer();
    }

    SharedState& state() { return m_state; }
    TestSession& session() { return *m_session; }
    testing::ScriptedDialogs& dialogs() { return m_desk.dialogs; }
    QString status() const { return m_frame.status(QStringLiteral("miStatus")); }
    const QStringList& notices() const { return m_frame.notices; }
    const BarChart& chart() const { return *m_chart; }
    QStringList journals() const { return datafiles::ListJournals(m_state.folders.recoveryFolder()); }
    datafiles::RecoveredTest recovered() const {
        datafiles::RecoveredTest test;
        const QStringList found = journals();
        EXPECT_EQ(found.size(), 1);
        if (!found.isEmpty()) {
            EXPECT_TRUE(datafiles::ReadJournalFile(found[0], test));
        }
        return test;
    }

private:
    SharedState m_state;
    testing::ScriptedDesktop m_desk;
    instrument::SimulatedCard m_card;
    instrument::NoPause m_pauser;
    testing::FakeMainFrame m_frame;
    std::unique_ptr<BarChart> m_chart;
    std::unique_ptr<TestSession> m_session;
};

void ExpectSameRows(const datafiles::RecoveredTest& test, const PeriodicDataSet& data, int rows) {
    ASSERT_EQ(test.rows.size(), std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            ASSERT_EQ(test.rows[r][k], data.PeriodicData[k][r]) << "row " << r << ", channel " << k + 1;
    }
}

class JournalledTest : public ::testing::Test {
protected:
    TempHome home;
    SimulatedTest test{home.path()};
};

} // namespace

// ---- While the test runs ---------------------------------------------------------------------

TEST_F(JournalledTest, EveryRowIsOnDiscWhenItsTickReturns) {
    test.start(QStringLiteral("0.1"));
    ASSERT_EQ(test.journals().size(), 1);
    EXPECT_EQ(test.status(), QStringLiteral("Testing"));
    const datafiles::RecoveredTest empty = test.recovered();
    EXPECT_EQ(empty.header.intervalSeconds, 5);
    EXPECT_EQ(empty.header.plannedRows, 72);
    EXPECT_EQ(empty.header.probeName, QStringLiteral("SIM PROBE"));
    EXPECT_EQ(empty.header.channelNames[6], QStringLiteral("Channel 7           "));
    for (int r = 1; r <= 4; ++r) {
        test.tick();
        ExpectSameRows(test.recovered(), test.state().periodic, r);
    }
}

// ---- When the journal goes -------------------------------------------------------------------

TEST_F(JournalledTest, SavingFromStopRemovesTheJournal) {
    test.start();
    test.tick();
    test.dialogs().answers = {Answer::Yes};
    test.dialogs().saveFiles = {home.file(QStringLiteral("saved.DAT"))};
    test.session().cmdStop_Click();
    EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("saved.DAT"))));
    EXPECT_TRUE(test.journals().isEmpty());
}

// A logged test with limits, from START to its record: the verdict is said before the save
// question, and the record holds the test's context, the note typed at the save and the verdict.
TEST_F(JournalledTest, ALoggedTestWithLimitsIsJudgedAndSavedWithItsRecord) {
    QDir().mkpath(test.state().folders.ProbesFolder);
    probes::ProbeLimits limits{};
    limits[0] = {{}, 0.001, {}, {}, {}}; // channel 1 reads far more: FAIL
    limits[1] = {-1000.0, 1000.0, {}, {}, 5.0};
    ASSERT_TRUE(probes::WriteProbeLimits(test.state().folders.ProbesFolder + QStringLiteral("/SIM PROBE.limits.json"),
                                         limits));
    test.start();
    // While it runs: channel 1's limits across its bar, its reading box marked as outside them.
    test.session().Timer1_Timer();
    EXPECT_EQ(test.session().controls().readingStates[0], datafiles::ReadingState::Outside);
    EXPECT_EQ(test.session().controls().readingStates[1], datafiles::ReadingState::Inside);
    const QImage& picture = test.chart().image();
    int limitInk = 0;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            limitInk += picture.pixelColor(x, y) == QColor(0xC0, 0x00, 0x00) ? 1 : 0;
    EXPECT_GT(limitInk, 10);
    for (int i = 0; i < 3; ++i)
        test.tick();
    test.dialogs().answers = {Answer::Yes};
    test.dialogs().notes = {QStringLiteral("after recalibration")};
    const QString dat = home.file(QStringLiteral("judged.DAT"));
    test.dialogs().saveFiles = {dat};
    test.session().cmdStop_Click();

    ASSERT_FALSE(test.notices().isEmpty());
    EXPECT_TRUE(test.notices().front().startsWith(QStringLiteral("Verdict: FAIL \u2014 channel 1: FAIL (max ")))
        << test.notices().front().toStdString();
    EXPECT_EQ(test.notices().back(), QStringLiteral("Test data and its record written to ") + dat);
    const datafiles::RecordReading reading = datafiles::ReadRecordBeside(dat);
    ASSERT_EQ(reading.state, datafiles::RecordState::Matches) << reading.message.toStdString();
    const datafiles::TestRecord& r = reading.record;
    EXPECT_EQ(r.probeName, QStringLiteral("SIM PROBE"));
    EXPECT_EQ(r.range, QStringLiteral("LOW"));
    EXPECT_EQ(r.fullScaleMicroAmps, 1000);
    EXPECT_EQ(r.intervalSeconds, 5);
    EXPECT_EQ(r.rows, 3);
    EXPECT_EQ(r.card, QStringLiteral("sim"));
    EXPECT_EQ(r.autoTest, std::optional<bool>(false));
    EXPECT_EQ(r.note, QStringLiteral("after recalibration"));
    EXPECT_EQ(r.start.secsTo(r.end), 15);
    ASSERT_TRUE(r.verdicts);
    EXPECT_EQ(r.verdicts->channels[0], datafiles::Verdict::Fail);
    EXPECT_EQ(r.verdicts->channels[1], datafiles::Verdict::Pass);
    EXPECT_EQ(r.verdicts->test, datafiles::Verdict::Fail);
    EXPECT_EQ(r.limits, limits);

    // Test Report... after the save: the PDF beside the data file by default.
    const QString pdf = home.file(QStringLiteral("judged report.pdf"));
    test.dialogs().saveFiles = {pdf};
    test.session().saveTestReport();
    EXPECT_EQ(test.dialogs().fileDialogs.back().fileName, QStringLiteral("judged report.pdf"));
    EXPECT_TRUE(TempHome::read(pdf).startsWith("%PDF-"));
    EXPECT_EQ(test.notices().back(), QStringLiteral("Test report written to ") + pdf);
}

TEST_F(JournalledTest, AnExportedSpreadsheetCountsAsSaved) {
    test.state().options.SaveToDataFile = false;
    test.session().ExportPeriodicData = [] { return SaveOutcome::Saved; };
    test.start();
    test.tick();
    test.dialogs().answers = {Answer::Yes};
    test.session().cmdStop_Click();
    EXPECT_TRUE(test.journals().isEmpty());
}

TEST_F(JournalledTest, NoToTheSaveQuestionGivesTheReadingsUp) {
    test.start();
    test.tick();
    test.dialogs().answers = {Answer::No};
    test.session().cmdStop_Click();
    EXPECT_TRUE(test.journals().isEmpty());

    // The same at the end of the logging, where the test itself goes on.
    test.session().scaleChosen(4);
    test.start(QStringLiteral("0.0014")); // one row
    test.tick();
    ASSERT_EQ(test.journals().size(), 1);
    test.dialogs().answers = {Answer::No};
    test.tick();
    EXPECT_EQ(test.dialogs().messageTexts().back(), kQuestion);
    EXPECT_TRUE(test.state().session.TestRunning());
    EXPECT_TRUE(test.journals().isEmpty());
}

TEST_F(JournalledTest, AFailedSaveKeepsTheJournalUntilASaveSucceeds) {
    test.start(QStringLiteral("0.0028")); // two rows
    test.tick();
    test.tick();
    const FailingFiles full = FailingFiles::AtCommit();
    test.session().setFileFactory(full);
    test.dialogs().answers = {Answer::Yes};
    test.dialogs().saveFiles = {home.file(QStringLiteral("end.DAT"))};
    test.tick(); // the end of the logging: Yes, and the save fails
    EXPECT_EQ(test.dialogs().messageTexts().back(),
              QStringLiteral("Problems with writing this File (No space left on device)"));
    ExpectSameRows(test.recovered(), test.state().periodic, 2);

    test.dialogs().answers = {Answer::Yes};
    test.dialogs().saveFiles = {home.file(QStringLiteral("end.DAT"))};
    test.session().cmdStop_Click();
    EXPECT_TRUE(QFileInfo::exists(home.file(QStringLiteral("end.DAT"))));
    EXPECT_TRUE(test.journals().isEmpty());
}

// ---- A journal that cannot be written --------------------------------------------------------

TEST_F(JournalledTest, AFailingAppendLeavesTheTestRunningAndSaysItIsNotProtected) {
    const FailingFiles full = FailingFiles::OnAppend(3);
    test.session().setFileFactory(full);
    test.start();
    for (int i = 0; i < 5; ++i)
        test.tick();
    EXPECT_EQ(test.state().periodic.SampleCount, 5);
    EXPECT_EQ(test.session().phase(), SessionPhase::Running);
    EXPECT_TRUE(test.session().controls().loggingTimerOn);
    EXPECT_TRUE(test.dialogs().messages.empty());
    EXPECT_EQ(test.status(),
              QStringLiteral("Testing - NOT protected against a crash, readings kept in memory "
                             "only (No space left on device)"));
    ExpectSameRows(test.recovered(), test.state().periodic, 2);
}

TEST_F(JournalledTest, AJournalThatCannotBeStartedLeavesTheTestRunning) {
    ASSERT_TRUE(TempHome::write(home.file(QStringLiteral("Recovery")), "a file where the folder goes"));
    test.start();
    test.tick();
    EXPECT_EQ(test.session().phase(), SessionPhase::Running);
    EXPECT_EQ(test.state().periodic.SampleCount, 1);
    EXPECT_EQ(test.status(),
              QStringLiteral("Testing - NOT protected against a crash, readings kept in memory only "
                             "(the folder %1 cannot be created)")
                  .arg(home.file(QStringLiteral("Recovery"))));
}

// ---- A real full disc ------------------------------------------------------------------------

TEST(FullDiscSession, TheReadingsAndTheJournalStayUntilASaveWorks) {
    testing::TinyDisc disc;
    SKIP_WITHOUT_TINY_DISC(disc);
    SimulatedTest test(disc.path());
    test.start();
    test.tick();
    test.tick();
    QDir().mkpath(disc.file(QStringLiteral("Data")));
    disc.fill();
    const QString path = disc.file(QStringLiteral("Data/T.DAT"));
    test.dialogs().answers = {Answer::Yes, Answer::Ok, Answer::Yes};
    test.dialogs().saveFiles = {path, path};
    // The user reads why, frees some space, and answers the question that comes back.
    test.dialogs().onMessage = [&disc](const platform::MessageBox& box) {
        if (box.text.startsWith(QStringLiteral("Problems")))
            disc.free();
    };
    const QStringList journals = test.journals();
    test.session().cmdStop_Click();
    EXPECT_EQ(test.dialogs().messageTexts(),
              QStringList({kQuestion, QStringLiteral("Problems with writing this file !Error Raised= No space left on device"),
                           kQuestion}));
    EXPECT_EQ(QFileInfo(path).size(), 24 * (7 * 2 + 9));
    EXPECT_TRUE(test.journals().isEmpty());
    EXPECT_EQ(journals.size(), 1);
}

TEST(FullDiscSession, ATestStartedOnAFullDiscIsNotProtectedFromItsFirstMoment) {
    testing::TinyDisc disc;
    SKIP_WITHOUT_TINY_DISC(disc);
    SimulatedTest test(disc.path());
    QDir().mkpath(disc.file(QStringLiteral("Recovery")));
    disc.fill();
    test.start();
    EXPECT_EQ(test.status(), QStringLiteral("Testing - NOT protected against a crash, readings kept in memory "
                                            "only (No space left on device)"));
    EXPECT_TRUE(QDir(disc.file(QStringLiteral("Recovery"))).isEmpty()) << "no empty journal is left";
    test.tick();
    EXPECT_EQ(test.state().periodic.SampleCount, 1);
    EXPECT_EQ(test.session().phase(), SessionPhase::Running);
}

// ---- A real crash ----------------------------------------------------------------------------

// The child half of AKilledTestRecoversEveryRowLoggedBeforeTheKill: logs as fast as the disc
// allows and says "logged N" after each tick has returned, until it is killed.
TEST(JournalCrashChild, LogsUntilKilled) {
    const QByteArray home = qgetenv("CORVIN_CRASH_HOME");
    if (qgetenv(testing::kChildVariable).isEmpty() || home.isEmpty())
        GTEST_SKIP() << "runs only as the child of AKilledTestRecoversEveryRowLoggedBeforeTheKill";
    SimulatedTest test(QString::fromUtf8(home));
    test.start();
    for (int r = 1; r <= test.state().periodic.SampleCapacity; ++r) {
        test.tick();
        std::printf("logged %d\n", r);
        std::fflush(stdout);
    }
    for (;;) // the parent kills us long before this
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

TEST(JournalCrash, AKilledTestRecoversEveryRowLoggedBeforeTheKill) {
    std::random_device entropy;
    const unsigned seed = entropy();
    std::mt19937 pick(seed);
    for (int round = 0; round < 3; ++round) {
        const int killAfter = std::uniform_int_distribution<int>(1, 40)(pick);
        SCOPED_TRACE(::testing::Message()
                     << "seed " << seed << ", round " << round << ", kill after " << killAfter);
        TempHome home;
        QProcess child;
        QStringList env = QProcess::systemEnvironment();
        env << QString::fromLatin1(testing::kChildVariable) + QStringLiteral("=1")
            << QStringLiteral("CORVIN_CRASH_HOME=") + home.path();
        child.setEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=JournalCrashChild.LogsUntilKilled")});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray output;
        QDeadlineTimer deadline(60000);
        while (output.count("logged ") < killAfter && child.state() == QProcess::Running &&
               !deadline.hasExpired()) {
            child.waitForReadyRead(1000);
            output += child.readAllStandardOutput();
        }
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        output += child.readAllStandardOutput();
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << output.toStdString();
        const int reported = int(output.count("logged "));
        ASSERT_GE(reported, killAfter);

        // The journal the child left: every row whose tick returned, and at most the one under way.
        SimulatedTest reference(QString{});
        const QStringList journals = datafiles::ListJournals(home.file(QStringLiteral("Recovery")));
        ASSERT_EQ(journals.size(), 1);
        datafiles::RecoveredTest recovered;
        ASSERT_TRUE(datafiles::ReadJournalFile(journals[0], recovered));
        const int rows = int(recovered.rows.size());
        EXPECT_TRUE(rows == reported || rows == reported + 1) << rows << " rows, " << reported << " reported";

        // The same test run here gives the same rows, and saving them normally the same bytes.
        reference.start();
        for (int r = 0; r < rows; ++r)
            reference.tick();
        ExpectSameRows(recovered, reference.state().periodic, rows);
        const QString normal = home.file(QStringLiteral("normal.DAT"));
        reference.dialogs().answers = {Answer::Yes};
        reference.dialogs().saveFiles = {normal};
        reference.session().cmdStop_Click();
        const QString saved = home.file(QStringLiteral("recovered.DAT"));
        ASSERT_TRUE(datafiles::SaveRecoveredTest(recovered, saved));
        EXPECT_EQ(TempHome::read(saved), TempHome::read(normal));
        EXPECT_EQ(TempHome::read(saved).size(), 24 * (7 * rows + 9));
    }
}

} // namespace corvin::livetest
