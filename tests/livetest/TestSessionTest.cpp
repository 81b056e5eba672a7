// The test session without its window: relays, the logging set-up, the state table, the ticks,
// saving the logged samples, freeze and split.
#include "livetest/TestSession.h"
#include "datafiles/TestDataFile.h"
#include "livetest/BarChart.h"
#include "support/CountingPauser.h"
#include "support/FailingFiles.h"
#include "support/FakeMainFrame.h"
#include "support/RecordingCard.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <gtest/gtest.h>

namespace corvin::livetest {
namespace {

using platform::Answer;
using platform::Icon;
using testing::FailingFiles;
using testing::TempHome;

const QString kQuestion = QStringLiteral("Logging Finished ,  Save Data to Disc ? ");
const QString kIntervalRange = QStringLiteral("Minimum Time Interval 5 Second , Maximum 30");

class SessionTest : public ::testing::Test {
protected:
    SharedState state;
    testing::RecordingCard card;
    testing::CountingPauser pauser;
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    std::unique_ptr<BarChart> chart;
    std::unique_ptr<TestSession> session;
    TempHome home;

    void SetUp() override {
        state.folders.Home = home.path();
        state.instrument.BoardModel = 230;
        state.instrument.BoardHandle = 0;
        for (int k = 1; k <= kChannelCount; ++k)
            state.CurrentProbe.setCh(k, QStringLiteral("Probe ch %1").arg(k));
        state.BarColours.setCh(1, 0x0000FF);
        chart = std::make_unique<BarChart>(state);
        session = std::make_unique<TestSession>(state, card, pauser, desk.desktop, frame, *chart);
        session->Form_Load();
        card.clearLog();
    }

    void chooseRange(bool high, int16_t scale) {
        session->beginRangeChoice();
        session->rangeChosen(high);
        session->scaleChosen(scale);
    }

    // START with logging, answering the two input boxes.
    void startLogging(const QString& interval, const std::optional<QString>& hours) {
        session->setPeriodicChoice(PeriodicChoice::On);
        desk.dialogs.inputs = {interval, hours};
        session->cmdStart_Click();
    }

    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            session->Timer2_Timer();
    }

    const SessionControls& controls() const { return session->controls(); }
    QStringList messages() const { return desk.dialogs.messageTexts(); }
    QString status() const { return frame.status(QStringLiteral("miStatus")); }
};

// ---- relay bits ------------------------------------------------------------------------------

TEST_F(SessionTest, HighWithChannelsOneAndThreeOnWritesExactlyTheirPairsInOrder) {
    session->ToggleChannel(1);
    session->ToggleChannel(3);
    card.clearLog();
    session->rangeChosen(true);
    EXPECT_EQ(card.log(), QStringList({"DIOsetData(0,0,0,0)", "DIOsetData(0,0,1,1)", "DIOsetData(0,0,4,0)",
                                       "DIOsetData(0,0,5,1)"}));
}

TEST_F(SessionTest, LowAfterHighFlipsOnlyTheChannelsThatAreOn) {
    session->ToggleChannel(1);
    session->ToggleChannel(3);
    session->rangeChosen(true);
    card.clearLog();
    session->rangeChosen(false);
    EXPECT_EQ(card.log(), QStringList({"DIOsetData(0,0,0,1)", "DIOsetData(0,0,1,0)", "DIOsetData(0,0,4,1)",
                                       "DIOsetData(0,0,5,0)"}));
    EXPECT_EQ(card.outputBit(2), 0); // channel 2 is off: still as the load cleared it
}

TEST_F(SessionTest, AChannelSwitchedOnAfterTheRangeFollowsTheRange) {
    chooseRange(false, 3);
    card.clearLog();
    session->ToggleChannel(2);
    EXPECT_EQ(card.calls("DIOsetData"), QStringList({"DIOsetData(0,0,2,1)", "DIOsetData(0,0,3,0)"}));
    card.clearLog();
    session->ToggleChannel(2);
    EXPECT_EQ(card.calls("DIOsetData"), QStringList({"DIOsetData(0,0,2,0)", "DIOsetData(0,0,3,0)"}));
    EXPECT_EQ(chart->legendCaption(2), QString());
}

TEST_F(SessionTest, ChannelButtonShowsTheProbeNameOfTheTestsProbe) {
    state.session.AutoTestMode = true;
    state.DefaultProbe.setCh(4, QStringLiteral("Default four"));
    session->ToggleChannel(4);
    EXPECT_EQ(chart->legendCaption(4), QStringLiteral("Default four"));
    EXPECT_TRUE(state.display.ChannelEnabled[3]);
}

// ---- the logging set-up ----------------------------------------------------------------------

struct SetupCase {
    const char* interval;
    const char* hours;   // nullptr: the second box is never shown
    const char* message; // nullptr: accepted
    Icon icon;
    int capacity;
};

class SetupTest : public SessionTest, public ::testing::WithParamInterface<SetupCase> {};

TEST_P(SetupTest, AnswersAcceptedOrRefusedWithTheirMessage) {
    const SetupCase& c = GetParam();
    chooseRange(true, 2);
    startLogging(QString::fromLatin1(c.interval),
                 c.hours ? std::optional<QString>(QString::fromLatin1(c.hours)) : std::nullopt);
    if (!c.message) {
        EXPECT_TRUE(messages().isEmpty()) << messages().join(QLatin1Char('|')).toStdString();
        EXPECT_EQ(session->phase(), SessionPhase::Running);
        EXPECT_EQ(state.periodic.SampleCapacity, c.capacity);
        EXPECT_EQ(state.periodic.PeriodicData[6].size(), std::size_t(c.capacity) + 1);
        EXPECT_TRUE(state.session.PeriodicLoggingOn);
        EXPECT_TRUE(controls().liveTimerOn);
        EXPECT_TRUE(controls().loggingTimerOn);
        EXPECT_EQ(controls().loggingIntervalMs, QString::fromLatin1(c.interval).toInt() * 1000);
        EXPECT_EQ(controls().periodic, PeriodicChoice::On);
    } else {
        ASSERT_EQ(messages(), QStringList(QString::fromLatin1(c.message)));
        EXPECT_EQ(desk.dialogs.lastMessage().icon, c.icon);
        EXPECT_EQ(desk.dialogs.lastMessage().buttons, platform::Buttons::Ok);
        EXPECT_EQ(session->phase(), SessionPhase::Stopped);
        EXPECT_FALSE(state.session.TestRunning());
        EXPECT_FALSE(controls().liveTimerOn);
        EXPECT_FALSE(controls().loggingTimerOn);
        EXPECT_EQ(controls().periodic, PeriodicChoice::Off);
        EXPECT_EQ(status(), QStringLiteral("Test Stopped"));
    }
    EXPECT_EQ(desk.dialogs.inputBoxes.size(), std::size_t(c.hours ? 2 : 1));
    EXPECT_TRUE(controls().windowEnabled);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, SetupTest,
    ::testing::Values(
        SetupCase{"5", "0.1", nullptr, Icon::None, 72}, SetupCase{"30", "1", nullptr, Icon::None, 120},
        SetupCase{"4", nullptr, "Minimum Time Interval 5 Second , Maximum 30", Icon::None, 0},
        SetupCase{"31", nullptr, "Minimum Time Interval 5 Second , Maximum 30", Icon::None, 0},
        SetupCase{"ten", nullptr, "Minimum Time Interval 5 Second , Maximum 30", Icon::None, 0},
        SetupCase{"10.5", nullptr, "Reading Interval not an Integer number !", Icon::Critical, 0},
        SetupCase{"5", "six", "Minimum Time Interval 5 Second , Maximum 30", Icon::None, 0},
        SetupCase{"5", "6", nullptr, Icon::None, 4320},
        SetupCase{"5", "6.01", "Logging Time greater than max allowed", Icon::Critical, 0},
        SetupCase{"30", "38", nullptr, Icon::None, 4500}, SetupCase{"10", "13", nullptr, Icon::None, 4500},
        SetupCase{"5", "0.001", "Logging Time less than Time Interval", Icon::Critical, 0},
        SetupCase{"30", "0.008", "Logging Time less than Time Interval", Icon::Critical, 0}));

TEST_F(SessionTest, CancelledIntervalBoxStopsWithoutAMessage) {
    chooseRange(true, 2);
    session->setPeriodicChoice(PeriodicChoice::On);
    desk.dialogs.inputs = {std::nullopt};
    session->cmdStart_Click();
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    EXPECT_EQ(controls().periodic, PeriodicChoice::Off);
}

TEST_F(SessionTest, InputBoxesAskWithTheirTitlesAndTheDefaultMaximumForEachInterval) {
    const std::pair<const char*, const char*> table[] = {
        {"5", "6"}, {"10", "13"}, {"15", "19"}, {"20", "25"}, {"30", "38"}};
    for (const auto& [interval, hours] : table) {
        desk.dialogs.inputBoxes.clear();
        chooseRange(true, 2);
        startLogging(QString::fromLatin1(interval), std::nullopt); // cancel the second box
        ASSERT_EQ(desk.dialogs.inputBoxes.size(), 2u);
        EXPECT_EQ(desk.dialogs.inputBoxes[1].defaultText, QString::fromLatin1(hours)) << interval;
    }
    const auto& first = desk.dialogs.inputBoxes[0];
    EXPECT_EQ(first.title, QStringLiteral("Enter Time Interval"));
    EXPECT_EQ(first.prompt,
              QStringLiteral("Enter Reading Interval as integer in Seconds:\r\nRange (min 5-30 max)"));
    EXPECT_TRUE(first.defaultText.isEmpty());
    const auto& second = desk.dialogs.inputBoxes[1];
    EXPECT_EQ(second.title, QStringLiteral("Max Time Shown Or Until 'STOP' Button Actioned"));
    EXPECT_EQ(second.prompt, QStringLiteral("Enter Logging Time in hours:\r\neg: (0.1 = 6 mins)"));
}

TEST_F(SessionTest, SetupTakesTheIntervalAndTheNamesPaddedToTwenty) {
    state.CurrentProbe.setCh(1, QStringLiteral("A name much longer than twenty"));
    chooseRange(true, 2);
    startLogging(QStringLiteral("20"), QStringLiteral("1"));
    EXPECT_EQ(state.periodic.ReadingIntervalSeconds, 20);
    EXPECT_EQ(state.periodic.HeaderValues[0], 20);
    EXPECT_EQ(state.periodic.ChannelNames[0], QStringLiteral("A name much longer t"));
    EXPECT_EQ(state.periodic.ChannelNames[1], QStringLiteral("Probe ch 2          "));
}

// ---- state table -----------------------------------------------------------------------------

struct Buttons {
    bool start, stop, exit;
};

void ExpectButtons(const TestSession& c, Buttons b, const char* where) {
    EXPECT_EQ(c.startEnabled(), b.start) << where;
    EXPECT_EQ(c.stopEnabled(), b.stop) << where;
    EXPECT_EQ(c.exitEnabled(), b.exit) << where;
}

TEST_F(SessionTest, StateTableThroughTwoTestsInOneWindow) {
    EXPECT_EQ(session->phase(), SessionPhase::Opened);
    ExpectButtons(*session, {false, false, true}, "Opened");

    chooseRange(true, 1);
    EXPECT_EQ(session->phase(), SessionPhase::Ready);
    ExpectButtons(*session, {true, false, true}, "Ready");
    EXPECT_EQ(status(), QStringLiteral("Ready Hit START to proceed with test"));
    EXPECT_TRUE(frame.frameEnabled);
    EXPECT_TRUE(controls().windowEnabled);

    session->cmdStart_Click();
    EXPECT_EQ(session->phase(), SessionPhase::Running);
    ExpectButtons(*session, {false, true, false}, "Running");
    EXPECT_EQ(status(), QStringLiteral("Testing"));
    EXPECT_TRUE(frame.commandBar.isEnabled("mnuView", "miFullScreen"));
    EXPECT_FALSE(frame.commandBar.isEnabled("mnuView", "miNormal"));
    EXPECT_TRUE(controls().freezeSplitEnabled);
    EXPECT_TRUE(controls().liveTimerOn);
    EXPECT_FALSE(controls().loggingTimerOn);

    // A range choice during the test leaves START disabled and the status as it was.
    chooseRange(false, 4);
    EXPECT_EQ(session->phase(), SessionPhase::Running);
    EXPECT_EQ(status(), QStringLiteral("Testing"));

    session->cmdStop_Click();
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    ExpectButtons(*session, {false, false, true}, "Stopped");
    EXPECT_EQ(status(), QStringLiteral("Test Stopped"));
    EXPECT_FALSE(frame.commandBar.isEnabled("mnuView", "miFullScreen"));
    EXPECT_FALSE(controls().freezeSplitEnabled);
    EXPECT_EQ(controls().readingTexts[0], QStringLiteral("0.0"));
    EXPECT_TRUE(messages().isEmpty()); // no logging: nothing to ask

    // The second test in the same window, after choosing the range again.
    chooseRange(true, 2);
    EXPECT_EQ(session->phase(), SessionPhase::Ready);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    EXPECT_EQ(session->phase(), SessionPhase::Running);
    EXPECT_EQ(state.periodic.SampleCapacity, 72);
}

TEST_F(SessionTest, RangeButtonDisablesWindowAndMainWindowUntilTheScaleIsChosen) {
    session->beginRangeChoice();
    EXPECT_FALSE(frame.frameEnabled);
    EXPECT_FALSE(controls().windowEnabled);
    session->rangeChosen(true);
    EXPECT_FALSE(frame.frameEnabled);
    session->scaleChosen(2);
    EXPECT_TRUE(frame.frameEnabled);
    EXPECT_TRUE(controls().windowEnabled);
    EXPECT_EQ(state.instrument.ScreenScale, 2);
    EXPECT_TRUE(state.instrument.HighRangeSelected);
}

TEST_F(SessionTest, LoadClearsTheOutputsSetsUpTheConverterAndUsesHandleZero) {
    state.instrument.BoardHandle = -1;
    card.clearLog();
    session->Form_Load();
    const QStringList dio = card.calls("DIOsetData");
    ASSERT_EQ(dio.size(), 24);
    EXPECT_EQ(dio.front(), QStringLiteral("DIOsetData(-1,0,0,0)"));
    EXPECT_EQ(dio.back(), QStringLiteral("DIOsetData(-1,0,23,0)"));
    EXPECT_EQ(card.calls("AIOsetHWADCchanGain").size(), 1);
    EXPECT_EQ(state.instrument.BoardHandle, 0);
    EXPECT_EQ(controls().periodic, PeriodicChoice::None);

    state.options.PeriodicLoggingDefault = true;
    session->Form_Load();
    EXPECT_EQ(controls().periodic, PeriodicChoice::On);
}

TEST_F(SessionTest, ExitClearsTheChannelsAndOutputsAndRestoresTheMainWindowsCommands) {
    session->ToggleChannel(2);
    state.display.FullScreenMode = true;
    state.session.AutoTestMode = true;
    frame.commandBar.showStatus(QStringLiteral("miTimeElapsed"), QStringLiteral("00:01:00"));
    for (const char* tool : {"mFOpen", "mFCreateProbe"})
        frame.commandBar.setEnabled("mnuFile", tool, false);
    frame.commandBar.setEnabled("mnuTest", "mTStandard", false);
    card.clearLog();
    session->cmdExit_Click();
    EXPECT_EQ(card.calls("DIOsetData").size(), 24);
    EXPECT_FALSE(state.display.ChannelEnabled[1]);
    EXPECT_FALSE(state.display.FullScreenMode);
    EXPECT_FALSE(state.session.AutoTestMode);
    EXPECT_TRUE(frame.commandBar.isEnabled("mnuFile", "mFOpen"));
    EXPECT_FALSE(frame.commandBar.isEnabled("mnuFile", "mFClose"));
    EXPECT_TRUE(frame.commandBar.isEnabled("mnuTest", "mTStandard"));
    EXPECT_FALSE(frame.commandBar.isEnabled("mnuTest", "mTIndependent"));
    EXPECT_TRUE(frame.commandBar.isEnabled("ToolBar", "miTAuto"));
    EXPECT_FALSE(frame.commandBar.isEnabled("sb", "miTimeElapsed"));
    EXPECT_EQ(frame.status(QStringLiteral("miTimeElapsed")), QString());
    EXPECT_EQ(status(), QString());
    EXPECT_TRUE(frame.calls.contains(QStringLiteral("enableRecentFiles")));
}

// ---- live tick and elapsed time ---------------------------------------------------------------

TEST_F(SessionTest, LiveTickShowsReadingsAndDrawsEveryBar) {
    card.setCount(9, 3276);   // 0.50 V: 1.1 µA on HIGH
    card.setCount(15, -6552); // -1.0 V: -2.2 µA
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->Timer1_Timer();
    EXPECT_EQ(controls().readingTexts[0], QStringLiteral("1.1"));
    EXPECT_EQ(controls().readingTexts[1], QStringLiteral("0.0"));
    EXPECT_EQ(controls().readingTexts[6], QStringLiteral("-2.2"));
    EXPECT_NEAR(chart->lastBarValue(1), 1.1, 0.01);
    EXPECT_NEAR(chart->lastBarValue(7), -2.2, 0.01);
    EXPECT_EQ(pauser.pauses().size(), 14u); // two pauses per channel
}

TEST_F(SessionTest, ElapsedTimeComesFromTheMonotonicClockAcrossMidnightAndPastADay) {
    desk.clock.setStart(QDateTime(QDate(2026, 3, 1), QTime(23, 59, 50)));
    chooseRange(true, 2);
    session->cmdStart_Click();
    desk.clock.advanceMs(20'000); // the wall clock is past midnight now
    session->Timer1_Timer();
    EXPECT_EQ(controls().elapsedText, QStringLiteral("00:00:20"));
    desk.clock.advanceMs(int64_t(25) * 3600'000);
    state.display.FullScreenMode = true;
    session->Timer1_Timer();
    EXPECT_EQ(controls().elapsedText, QStringLiteral("25:00:20"));
    EXPECT_EQ(frame.status(QStringLiteral("miTimeElapsed")), QStringLiteral("25:00:20"));
    EXPECT_TRUE(frame.commandBar.isEnabled("sb", "miTimeElapsed"));
}

// ---- periodic logging and saving --------------------------------------------------------------

TEST_F(SessionTest, SeventyTwoSamplesAtFiveSecondsForATenthOfAnHourThenTheQuestion) {
    card.setCount(10, 6552); // 1 V on channel 2: 2.2 µA on HIGH
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(72);
    EXPECT_EQ(state.periodic.SampleCount, 72);
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_FLOAT_EQ(state.periodic.PeriodicData[1][71], float(6552 * (5.0 / 32752.0) * 2 * 1.1));

    const QString path = home.file(QStringLiteral("Data/T72.DAT"));
    QDir().mkpath(home.file(QStringLiteral("Data")));
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    ticks(1);
    ASSERT_EQ(messages(), QStringList(kQuestion));
    EXPECT_EQ(desk.dialogs.messages[0].icon, Icon::Question);
    EXPECT_EQ(desk.dialogs.messages[0].buttons, platform::Buttons::YesNo);
    EXPECT_EQ(desk.dialogs.messages[0].defaultButton, Answer::Yes); // Enter keeps the readings
    ASSERT_EQ(desk.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(desk.dialogs.fileDialogs[0].filter, QStringLiteral("Data Files (*.DAT)|*.DAT"));
    EXPECT_EQ(desk.dialogs.fileDialogs[0].flags, 0x840A);
    EXPECT_EQ(QFileInfo(path).size(), 24 * (7 * 72 + 9));
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    EXPECT_TRUE(state.session.PeriodicDataDone);
    EXPECT_FALSE(state.session.PeriodicLoggingOn);
    EXPECT_EQ(controls().periodic, PeriodicChoice::Off);
    EXPECT_TRUE(controls().writtenVisible);
    EXPECT_EQ(controls().writtenFile, path);
    EXPECT_EQ(messages().size(), 1); // the STOP after the save asks nothing
}

TEST_F(SessionTest, StopAfterTenTicksOfA4500PlanWritesTenRows) {
    card.setCount(9, 1000);
    chooseRange(true, 2);
    startLogging(QStringLiteral("30"), QStringLiteral("38"));
    ASSERT_EQ(state.periodic.SampleCapacity, 4500);
    ticks(10);

    // What the file must hold, worked out before the save releases the arrays.
    PeriodicDataSet expected = state.periodic;
    expected.SampleCapacity = 10;
    std::array<QString, kChannelCount> names;
    for (int k = 1; k <= kChannelCount; ++k)
        names[k - 1] = state.CurrentProbe.Ch(k);
    const QByteArray bytes = datafiles::EncodeTestData(expected, 10, 30, names);

    const QString path = home.file(QStringLiteral("ten.DAT"));
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click();
    EXPECT_EQ(messages(), QStringList(kQuestion));
    EXPECT_EQ(bytes.size(), 24 * (7 * 10 + 9));
    EXPECT_EQ(TempHome::read(path), bytes);
    EXPECT_EQ(state.periodic.SampleCount, 10);
    EXPECT_EQ(state.periodic.HeaderValues[1], 10);
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
}

// Regression: the save dialog opened wherever Corvin was started from, and a name typed without
// an extension was written as typed (File > Open then refused it).
TEST_F(SessionTest, TheSaveDialogStartsInTheDataFolderAndAddsTheExtension) {
    state.folders.Home = home.path();
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("1"));
    desk.dialogs.answers = {Answer::Yes, Answer::No}; // the dialog is cancelled, then No
    session->cmdStop_Click();
    ASSERT_EQ(desk.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(desk.dialogs.fileDialogs[0].initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_TRUE(QFileInfo(home.file(QStringLiteral("Data"))).isDir());
    EXPECT_EQ(desk.dialogs.fileDialogs[0].defaultSuffix, QStringLiteral("DAT"));
}

TEST_F(SessionTest, TheNextSaveStartsInTheFolderTheLastTestWasSavedTo) {
    QDir().mkpath(home.file(QStringLiteral("bench")));
    const QString path = home.file(QStringLiteral("bench/one.DAT"));
    for (int i = 0; i < 2; ++i) {
        chooseRange(true, 2);
        startLogging(QStringLiteral("5"), QStringLiteral("1"));
        desk.dialogs.answers = {Answer::Yes};
        desk.dialogs.saveFiles = {path};
        session->cmdStop_Click();
    }
    ASSERT_EQ(desk.dialogs.fileDialogs.size(), 2u);
    EXPECT_EQ(desk.dialogs.fileDialogs[0].initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(desk.dialogs.fileDialogs[1].initialFolder, home.file(QStringLiteral("bench")));
    EXPECT_EQ(state.folders.LastTestFolder, home.file(QStringLiteral("bench")));
}

TEST_F(SessionTest, StopBeforeTheFirstLoggingTickSavesAFileWithNoRows) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("1"));
    const QString path = home.file(QStringLiteral("empty.DAT"));
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click();
    EXPECT_EQ(QFileInfo(path).size(), 216);
}

TEST_F(SessionTest, NoAtTheEndOfLoggingKeepsTheTestLiveAndALaterStopAsksNothing) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(72);
    desk.dialogs.answers = {Answer::No};
    ticks(1);
    EXPECT_EQ(messages(), QStringList(kQuestion));
    EXPECT_TRUE(state.session.TestRunning());
    EXPECT_EQ(session->phase(), SessionPhase::Running);
    EXPECT_TRUE(controls().liveTimerOn);
    EXPECT_FALSE(controls().loggingTimerOn);
    EXPECT_FALSE(state.session.PeriodicLoggingOn);
    EXPECT_EQ(state.periodic.SampleCount, 72); // the samples stay in memory

    session->cmdStop_Click();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(desk.dialogs.fileDialogs.empty());
    EXPECT_EQ(status(), QStringLiteral("Test Stopped"));
}

TEST_F(SessionTest, NoAtTheEndOfLoggingInFullScreenReturnsToTheNormalLayout) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    state.display.FullScreenMode = true;
    ticks(73);
    EXPECT_EQ(frame.calls.count(QStringLiteral("DisplayNormal")), 1);
}

// Regression: No was the question's default, so Enter gave the readings and the journal up.
TEST_F(SessionTest, EnterAtTheEndOfLoggingQuestionOpensTheSaveDialog) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(72);
    const QString path = home.file(QStringLiteral("entered.DAT"));
    desk.dialogs.saveFiles = {path}; // no scripted answer: the question's default button
    ticks(1);
    ASSERT_EQ(messages(), QStringList(kQuestion));
    EXPECT_EQ(desk.dialogs.lastMessage().defaultButton, Answer::Yes);
    EXPECT_EQ(QFileInfo(path).size(), 24 * (7 * 72 + 9));
}

TEST_F(SessionTest, CancelledSaveAtTheEndOfLoggingIsReportedAndStopAsksAgain) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(72);
    desk.dialogs.answers = {Answer::Yes};
    ticks(1); // the save dialog is cancelled
    ASSERT_EQ(messages(), QStringList({kQuestion, QStringLiteral("Problems with writing this File")}));
    EXPECT_EQ(desk.dialogs.lastMessage().icon, Icon::Information);
    EXPECT_TRUE(state.session.TestRunning());
    EXPECT_EQ(session->phase(), SessionPhase::Running);
    EXPECT_FALSE(controls().liveTimerOn);
    EXPECT_FALSE(controls().loggingTimerOn);
    EXPECT_TRUE(controls().windowEnabled);
    EXPECT_EQ(state.periodic.SampleCount, 72);

    const QString path = home.file(QStringLiteral("later.DAT"));
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click();
    EXPECT_EQ(messages().back(), kQuestion);
    EXPECT_EQ(QFileInfo(path).size(), 24 * (7 * 72 + 9));
}

TEST_F(SessionTest, CancelledSaveFromStopAsksAgainAndNoThenStops) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(3);
    desk.dialogs.answers = {Answer::Yes, Answer::No};
    session->cmdStop_Click(); // Yes, the dialog is cancelled, asked again, No
    EXPECT_EQ(messages(), QStringList({kQuestion, kQuestion}));
    EXPECT_EQ(desk.dialogs.fileDialogs.size(), 1u);
    EXPECT_EQ(status(), QStringLiteral("Test Stopped"));
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    EXPECT_FALSE(state.session.PeriodicLoggingOn);
    EXPECT_FALSE(state.session.PeriodicDataDone);
    EXPECT_TRUE(controls().windowEnabled);
}

TEST_F(SessionTest, FailedSaveKeepsTheOldFileAndTheSamplesAndARetryWritesTheExactBytes) {
    card.setCount(12, -2000);
    chooseRange(false, 3);
    startLogging(QStringLiteral("5"), QStringLiteral("1"));
    ticks(4);
    const QString path = home.file(QStringLiteral("kept.DAT"));
    const QByteArray old("an older test data file of other bytes");
    ASSERT_TRUE(TempHome::write(path, old));

    PeriodicDataSet expected = state.periodic;
    expected.SampleCapacity = 4;
    std::array<QString, kChannelCount> names;
    for (int k = 1; k <= kChannelCount; ++k)
        names[k - 1] = state.CurrentProbe.Ch(k);
    const QByteArray bytes = datafiles::EncodeTestData(expected, 4, 5, names);

    FailingFiles failing = FailingFiles::AtCommit();
    session->setFileFactory(failing);
    desk.dialogs.answers = {Answer::Yes, Answer::Ok, Answer::No};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click(); // Yes, the save fails (OK), asked again: No
    ASSERT_EQ(messages().size(), 3);
    EXPECT_EQ(messages()[1],
              QStringLiteral("Problems with writing this file !Error Raised= No space left on device"));
    EXPECT_EQ(desk.dialogs.messages[1].icon, Icon::Information);
    EXPECT_EQ(messages()[2], kQuestion);
    EXPECT_EQ(TempHome::read(path), old);
    EXPECT_EQ(state.periodic.SampleCount, 4);
    EXPECT_FLOAT_EQ(state.periodic.PeriodicData[3][2], expected.PeriodicData[3][2]);
    EXPECT_FALSE(controls().writtenVisible);

    // The same failure again, then Yes once more: the factory fails only once.
    desk.dialogs.messages.clear();
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    state.session.PeriodicLoggingOn = true; // the No above gave the samples up: ask for them again
    session->cmdStop_Click();
    EXPECT_EQ(failing.failures(), 1);
    EXPECT_EQ(TempHome::read(path), bytes);
    EXPECT_TRUE(controls().writtenVisible);
}

TEST_F(SessionTest, FailedSaveAtTheEndOfLoggingKeepsTheSamplesForStop) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(72);
    FailingFiles failing = FailingFiles::OnWrite(1);
    session->setFileFactory(failing);
    const QString path = home.file(QStringLiteral("end.DAT"));
    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    ticks(1);
    EXPECT_EQ(messages().back(), QStringLiteral("Problems with writing this File (No space left on device)"));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_TRUE(state.session.TestRunning());
    EXPECT_EQ(state.periodic.PeriodicData[0].size(), 73u);

    desk.dialogs.answers = {Answer::Yes};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click();
    EXPECT_EQ(QFileInfo(path).size(), 24 * (7 * 72 + 9));
}

TEST_F(SessionTest, SpreadsheetExportFailureIsShownAndNeverTakenForSuccess) {
    state.options.SaveToDataFile = false;
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(2);
    // The disc fills after the test's journal was started.
    FailingFiles failing = FailingFiles::AtCommit();
    session->setFileFactory(failing);
    const QString path = home.file(QStringLiteral("run.xls"));
    desk.dialogs.answers = {Answer::Yes, Answer::Ok, Answer::No};
    desk.dialogs.saveFiles = {path};
    session->cmdStop_Click();
    ASSERT_EQ(messages(), QStringList({kQuestion, QStringLiteral("Problems Writing Excel File"), kQuestion}));
    EXPECT_EQ(desk.dialogs.messages[1].icon, Icon::Information);
    EXPECT_EQ(desk.dialogs.messages[1].title, QStringLiteral("No space left on device"));
    EXPECT_FALSE(state.session.PeriodicDataDone);
    EXPECT_FALSE(QFileInfo::exists(path));

    // An export that works ends the test as a saved one.
    int exports = 0;
    session->ExportPeriodicData = [&exports] {
        ++exports;
        return SaveOutcome::Saved;
    };
    state.session.PeriodicLoggingOn = true;
    desk.dialogs.answers = {Answer::Yes};
    session->cmdStop_Click();
    EXPECT_EQ(exports, 1);
    EXPECT_TRUE(state.session.PeriodicDataDone);
}

// Regression: a cancelled spreadsheet save after STOP used to erase the only copy of the samples.
TEST_F(SessionTest, CancelledSpreadsheetSaveKeepsTheSamplesAndAsksAgainUntilAWorkbookIsWritten) {
    state.options.SaveToDataFile = false;
    chooseRange(true, 2);
    startLogging(QStringLiteral("5"), QStringLiteral("0.1"));
    ticks(3);
    const PeriodicDataSet logged = state.periodic;

    const QString path = home.file(QStringLiteral("Data/run"));
    desk.dialogs.answers = {Answer::Yes, Answer::Yes};
    desk.dialogs.saveFiles = {std::nullopt, path};
    session->cmdStop_Click(); // Yes, cancelled, asked again: Yes, saved
    EXPECT_EQ(messages(), QStringList({kQuestion, kQuestion}));
    ASSERT_EQ(desk.dialogs.fileDialogs.size(), 2u);
    const platform::FileDialog& dialog = desk.dialogs.fileDialogs.front();
    EXPECT_EQ(dialog.title, QStringLiteral("Option saveas XLS File"));
    EXPECT_EQ(dialog.initialFolder, home.file(QStringLiteral("Data")));
    EXPECT_EQ(dialog.filter, QStringLiteral("Data Files (*.XLS)|*.XLS|Excel Workbook (*.xlsx)|*.xlsx"));
    EXPECT_EQ(dialog.flags, 33802);
    EXPECT_TRUE(dialog.fileName.isEmpty());

    // The name typed without an extension got ".xls"; the workbook holds the three rows.
    EXPECT_TRUE(QFileInfo::exists(path + QStringLiteral(".xls")));
    EXPECT_GT(QFileInfo(path + QStringLiteral(".xls")).size(), 4096);
    EXPECT_TRUE(state.session.PeriodicDataDone);
    EXPECT_TRUE(state.periodic.PeriodicData[0].empty());
    EXPECT_EQ(logged.SampleCount, 3);
    EXPECT_EQ(status(), QStringLiteral("Test Stopped"));
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    EXPECT_EQ(frame.notices,
              QStringList(QStringLiteral("Workbook written to ") + path + QStringLiteral(".xls")));
}

TEST_F(SessionTest, SampleCountNeverPassesTheCapacity) {
    chooseRange(true, 2);
    startLogging(QStringLiteral("30"), QStringLiteral("38"));
    desk.dialogs.answers.assign(10, Answer::No);
    ticks(4500);
    EXPECT_EQ(state.periodic.SampleCount, 4500);
    ticks(3); // the first asks (No), then the timer is off; a stray tick asks again but stores nothing
    EXPECT_EQ(state.periodic.SampleCount, 4500);
    EXPECT_EQ(state.periodic.SampleCapacity, 4500);
}

// ---- freeze and split ------------------------------------------------------------------------

TEST_F(SessionTest, FreezeWithAChannelOffRecordsZeroForIt) {
    card.setCount(9, 3276);
    card.setCount(10, 6552);
    session->ToggleChannel(1);
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->Timer1_Timer();
    card.clearLog();
    pauser.clear();
    session->cmdFreezeSplit_Click();
    EXPECT_TRUE(chart->splitMode());
    EXPECT_NEAR(chart->frozenValue(1), 1.1, 0.01);
    EXPECT_EQ(chart->frozenValue(2), 0.0); // channel 2 is off
    EXPECT_TRUE(pauser.pauses().empty());          // no pauses in a freeze
    EXPECT_EQ(card.calls("AIOgetADCdata").size(), 7);
    EXPECT_FALSE(controls().freezeSplitEnabled);
    EXPECT_TRUE(controls().freezeUnsplitEnabled);
    EXPECT_TRUE(controls().liveTimerOn);
}

TEST_F(SessionTest, FreezeOnAnUnknownModelOnlySwapsTheButtonsAndLeavesTheTimerStopped) {
    chooseRange(true, 2);
    session->cmdStart_Click();
    state.instrument.BoardModel = 99;
    card.clearLog();
    session->cmdFreezeSplit_Click();
    EXPECT_FALSE(chart->splitMode());
    EXPECT_TRUE(card.log().isEmpty());
    EXPECT_FALSE(controls().liveTimerOn);
    EXPECT_TRUE(controls().freezeUnsplitEnabled);
}

// Non-white pixels of channel k's frozen half between 20 % and 90 % of `value` (the zero line
// excluded).
int FrozenHalfInk(const BarChart& chart, int k, double value) {
    const double xf = 0.9 + 1.2 * (k - 1);
    const QRectF r =
        QRectF(chart.toPixel(xf, value * 0.9), chart.toPixel(xf + 0.4, value * 0.2)).normalized();
    int ink = 0;
    for (int y = int(r.top()) + 1; y < int(r.bottom()); ++y)
        for (int x = int(r.left()) + 1; x < int(r.right()); ++x)
            ink += chart.image().pixelColor(x, y) != QColor(Qt::white);
    return ink;
}

TEST_F(SessionTest, UnsplitLeavesWhiteWhereTheFrozenHalvesWere) {
    card.setCount(9, 26000); // 8.7 µA on HIGH, 10 µA scale
    session->ToggleChannel(1);
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->Timer1_Timer();
    session->cmdFreezeSplit_Click();
    const double frozen = chart->frozenValue(1);
    ASSERT_GT(frozen, 8.0);
    EXPECT_GT(FrozenHalfInk(*chart, 1, frozen), 0);

    session->cmdFreezeUnsplit_Click();
    EXPECT_FALSE(chart->splitMode());
    EXPECT_EQ(FrozenHalfInk(*chart, 1, frozen), 0);
    EXPECT_EQ(chart->frozenValue(1), 0.0);
    EXPECT_TRUE(controls().freezeSplitEnabled);
    EXPECT_FALSE(controls().freezeUnsplitEnabled);
    EXPECT_TRUE(controls().liveTimerOn);
}

TEST_F(SessionTest, ChannelButtonOrScaleWhileSplitEndsTheSplit) {
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->cmdFreezeSplit_Click();
    session->ToggleChannel(5);
    EXPECT_FALSE(chart->splitMode());
    session->cmdFreezeSplit_Click();
    chooseRange(true, 1);
    EXPECT_FALSE(chart->splitMode());
    EXPECT_EQ(session->phase(), SessionPhase::Running);
}

TEST_F(SessionTest, FunctionKeysDoNothingWhenNoTestRuns) {
    chooseRange(true, 2);
    card.clearLog();
    session->functionKey(1);
    EXPECT_FALSE(state.display.ChannelEnabled[0]);
    EXPECT_TRUE(card.log().isEmpty());
    session->cmdStart_Click();
    session->functionKey(7);
    EXPECT_TRUE(state.display.ChannelEnabled[6]);
}

// ---- printing and copying ---------------------------------------------------------------------

TEST_F(SessionTest, PrintGoesToTheDefaultPrinterOnlyWhileATestRuns) {
    chooseRange(true, 2);
    session->cmdPrintTest_Click();
    EXPECT_TRUE(desk.printers.jobs.empty());
    EXPECT_EQ(frame.calls, QStringList("DisplayNormal"));

    session->cmdStart_Click();
    session->mnuPrint_Click();
    ASSERT_EQ(desk.printers.jobs.size(), 1u);
    EXPECT_EQ(desk.printers.jobs[0].orientation, platform::Orientation::Landscape);
    EXPECT_EQ(desk.printers.jobs[0].picture.size(), chart->size());
    EXPECT_EQ(desk.printers.jobs[0].printer, platform::kPdfPrinterName);
}

// Regression: a printout to the PDF printer appeared in a folder without a word to the user.
TEST_F(SessionTest, APrintoutToThePdfPrinterSaysWhereItWent) {
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->cmdPrintTest_Click();
    ASSERT_EQ(desk.printers.jobs.size(), 1u);
    const QString file = desk.printers.pdfFolder + QLatin1Char('/') + desk.printers.jobs[0].name + ".pdf";
    EXPECT_EQ(frame.notices, QStringList(QStringLiteral("Printout written to ") + file));
}

TEST_F(SessionTest, PrintTestInFullScreenPrintsFromTheNormalLayoutAndReturns) {
    chooseRange(true, 2);
    session->cmdStart_Click();
    state.display.FullScreenMode = true;
    session->mnuPrint_Click();
    EXPECT_EQ(frame.calls, QStringList({"DisplayNormal", "DisplayFullscreen"}));
}

TEST_F(SessionTest, CopyWorksWithoutATest) {
    chooseRange(true, 2);
    session->mnuCopy_Click();
    ASSERT_EQ(desk.clipboard.images.size(), 1u);
    EXPECT_EQ(desk.clipboard.images[0].size(), chart->size());
    EXPECT_EQ(frame.calls, QStringList("DisplayNormal"));
    EXPECT_EQ(frame.notices, QStringList(QStringLiteral("Bar chart copied to the clipboard")));
}

TEST_F(SessionTest, CopyRedrawsTheFrozenHalvesAndLeavesTheLiveHalvesEmpty) {
    card.setCount(11, 13000); // channel 3: about 4.4 µA
    session->ToggleChannel(3);
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->cmdFreezeSplit_Click();
    const double frozen = chart->frozenValue(3);
    ASSERT_GT(frozen, 4.0);
    session->Timer1_Timer();
    session->mnuCopy_Click();
    ASSERT_EQ(desk.clipboard.images.size(), 1u);
    EXPECT_GT(FrozenHalfInk(*chart, 3, frozen), 0);
    EXPECT_EQ(chart->lastBarValue(3), 0.0);
    EXPECT_EQ(chart->frozenValue(3), frozen);
    EXPECT_TRUE(chart->splitMode());
}

TEST_F(SessionTest, StopFromThePopUpMenuSetsTheViewToolsBackThenStops) {
    chooseRange(true, 2);
    session->cmdStart_Click();
    session->mnuClose_Click();
    EXPECT_EQ(session->phase(), SessionPhase::Stopped);
    state.display.FullScreenMode = true;
    session->mnuClose_Click();
    EXPECT_EQ(frame.calls.count(QStringLiteral("DisplayNormal")), 1);
}

TEST_F(SessionTest, BarTestStepsAllBarsBetweenMinusAndPlusHalf) {
    chooseRange(true, 1);
    double highest = -1, lowest = 1;
    for (int i = 0; i < 30; ++i) {
        session->stepBarTest();
        // Every bar shows the same test reading.
        const double reading = chart->lastBarValue(1);
        highest = std::max(highest, reading);
        lowest = std::min(lowest, reading);
        EXPECT_DOUBLE_EQ(chart->lastBarValue(7), reading);
    }
    // Between -0.5 and +0.5 in steps of 0.1 (a sum of tenths may stop one step beyond).
    EXPECT_GE(highest, 0.5 - 1e-9);
    EXPECT_LE(highest, 0.6 + 1e-9);
    EXPECT_LE(lowest, -0.5 + 1e-9);
    EXPECT_GE(lowest, -0.6 - 1e-9);
}

} // namespace
} // namespace corvin::livetest
