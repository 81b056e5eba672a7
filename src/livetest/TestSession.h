#pragma once
// The test window's controller, without the window: the Opened / Ready / Running / Stopped state
// machine, START and STOP with the logging set-up, the live and logging ticks, freeze and split,
// the channel buttons, the range choice, printing and copying the chart, and saving the logged
// samples. It never touches a widget: it keeps the state of the window's controls in `controls()`
// and signals controlsChanged whenever that state changed; dialogs go through the desktop seam,
// and what the main window's commands must follow is reported to it (MainFrame::report). The
// window's QTimers follow `controls().liveTimerOn` / `loggingTimerOn`, and their handlers are the
// plain methods Timer1_Timer and Timer2_Timer. The state of the test (SessionPhase) lives in the shared state,
// where the main window reads whether a test runs.

#include "common/AtomicFile.h"
#include "common/MainFrame.h"
#include "common/SharedState.h"
#include "common/Status.h"
#include "datafiles/RecoveryJournal.h"
#include "datafiles/TestRecord.h"
#include "datafiles/Verdict.h"
#include "probes/ProbeLimits.h"
#include "instrument/CardLibrary.h"
#include "livetest/BarChart.h"
#include "platform/Desktop.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace corvin::livetest {

// The periodic-logging option buttons: one of them, or neither (the test options did not
// preselect logging).
enum class PeriodicChoice { None, On, Off };

// What the window shows; the window mirrors it into its controls.
struct SessionControls {
    bool freezeSplitEnabled = false;   // cmdFreezeSplit
    bool freezeUnsplitEnabled = false; // cmdFreezeUnsplit
    PeriodicChoice periodic = PeriodicChoice::None;
    std::array<QString, kChannelCount> readingTexts;   // the reading boxes Text1, channel k at [k - 1]
    // Each reading against its channel's limits: the box's warning colour.
    std::array<datafiles::ReadingState, kChannelCount> readingStates{};
    QString elapsedText = QStringLiteral(" 00:00:00"); // Label8
    bool writtenVisible = false;                       // Label10 " Written Data To Disc" and Label11
    QString writtenFile;                               // Label11: the file written
    bool windowEnabled = true;
    bool liveTimerOn = false;    // Timer1, every 250 ms
    bool loggingTimerOn = false; // Timer2, every logging interval
    int loggingIntervalMs = 0;
};

// How a save of the logged samples ended.
enum class SaveOutcome { Saved, Cancelled, Failed };

class TestSession : public QObject {
    Q_OBJECT
public:
    static constexpr int kLiveIntervalMs = 250;

    // The window-facing texts of the session.
    static const QString kSaveQuestion;

    TestSession(SharedState& state, instrument::CardLibrary& card, instrument::Pauser& pauser,
                platform::Desktop& desktop, MainFrame& frame, BarChart& chart);

    const SessionControls& controls() const { return m_controls; }
    SessionPhase phase() const { return m_state.session.phase; }
    // START, STOP and EXIT enabled, by the state table.
    bool startEnabled() const { return phase() == SessionPhase::Ready; }
    bool stopEnabled() const { return phase() == SessionPhase::Running; }
    bool exitEnabled() const { return phase() != SessionPhase::Running; }

    // The spreadsheet export of the logged samples (STOP when the test options ask for a
    // spreadsheet): the workbook export, which shows its own failure message. Tests may replace it.
    std::function<SaveOutcome()> ExportPeriodicData;
    // Where saved files are created; tests hand in factories whose files fail.
    void setFileFactory(const AtomicFileFactory& files) { m_files = &files; }

    // Form_Load: outputs cleared, analogue set-up, flags and buttons reset, grey message area.
    void Form_Load();

    // The option buttons clicked by the user.
    void setPeriodicChoice(PeriodicChoice choice);

    void cmdStart_Click();
    void cmdStop_Click();
    // EXIT's work on the shared state and the main window; the window closes itself after it.
    void cmdExit_Click();
    void stepBarTest(); // Command3, " bar test"
    // "Test Report...": the report of the test data file just written.
    void saveTestReport();

    // Live tick (Timer1) and logging tick (Timer2).
    void Timer1_Timer();
    void Timer2_Timer();

    // Command6, " HIGH/LOW": the written-file labels hidden, the test window and the main window
    // disabled until a scale dialog's OK (the window opens the range dialog itself).
    void beginRangeChoice();
    // HIGH or LOW chosen in the range dialog: relays of the channels that are on.
    void rangeChosen(bool high);
    // OK of a scale dialog with ScreenScale 1..4: the chart rebuilt, START per TestRunning, the
    // status text, unsplit, and the bars restarted from zero when a test runs; the test window
    // and the main window enabled again.
    void scaleChosen(int16_t screenScale);

    // The channel buttons Image1..Image7 (k = 1..7) and F1..F7 (only while a test runs).
    void ToggleChannel(int k);
    void functionKey(int k);

    void cmdFreezeSplit_Click();
    void cmdFreezeUnsplit_Click();

    // Printing and copying the chart.
    void PrintBarDisplay();
    void cmdPrintTest_Click(); // "Now"
    void mnuPrint_Click();     // "Print Test"
    void mnuCopy_Click();      // "Copy to Clipboard"
    void mnuClose_Click();     // "Stop"

    // The chart picture changed size (layout change): redraw what it showed, with the frozen
    // halves from their frozen values and the live bars from zero.
    void pictureResized();
    // The chart redrawn for a new layout (full screen or normal): frame, legend, the frozen
    // halves from their frozen values and the live bars from zero, once a screen scale was chosen.
    void redrawForLayout();
    // Label10 and Label11 hidden (the normal layout hides them).
    void hideWrittenLabels();
    // The bar colour dialog saved (START disabled until a range is chosen again) or cancelled:
    // the chart cleared to white.
    void barColoursSaved();
    void barColoursCancelled();

signals:
    // After every change of controls(); the window mirrors them (timers included).
    void controlsChanged();
    // The window gives the keyboard focus to " HIGH/LOW" (Command6).
    void focusRangeButtonRequested();

private:
    enum class Picture { Grey, White, Chart };

    void changed();
    void focusRangeButton();
    void setPhase(SessionPhase phase);
    void setLiveTimer(bool on);
    void setLoggingTimer(bool on);
    void setWindowEnabled(bool on);

    // START's logging set-up; false when it was refused (STOP has run then).
    bool periodicSetup();
    SaveOutcome SaveToDataFile(bool endOfLogging);
    void refuseSetup(const QString& message, platform::Icon icon, bool clearLoggingOn);
    SaveOutcome saveFromStop();
    // The save question at the end of a logged test. Yes is its default: Enter only opens the
    // save dialog (which can be cancelled), while giving the readings up takes an explicit No.
    bool askToSave();
    SaveOutcome exportToSpreadsheet();
    void finishSave(bool endOfLogging);

    bool scaleChosen() const;
    void clearPicture(const QColor& colour, Picture content);
    void RebuildChart();
    void zeroBars();
    void redrawLayout();
    void unsplit();
    void setStatus(const QString& text);

    // Recovery journal: started when the logging is armed, one row per logging tick; a failure
    // leaves the test running and says on the status bar that it is not protected.
    void startJournal();
    void loadLimits();
    void judgeTest();
    datafiles::TestRecord recordOfTest(const QString& note) const;
    void JournalRow(int row);
    void notProtected(const Status& why);

    SharedState& m_state;
    instrument::CardLibrary& m_card;
    instrument::Pauser& m_pauser;
    platform::Desktop& m_desktop;
    MainFrame& m_frame;
    BarChart& m_chart;
    AtomicFileFactory m_defaultFiles;
    const AtomicFileFactory* m_files = &m_defaultFiles;
    datafiles::RecoveryJournal m_journal;

    SessionControls m_controls;
    Picture m_picture = Picture::Grey;
    int64_t m_startMs = 0; // StartTime, on the monotonic clock
    // What the test's record says: when the logging started and stopped, the probe's limits and
    // the verdict over them (none without limits).
    QDateTime m_startTime;
    QDateTime m_endTime;
    probes::ProbeLimits m_limits{};
    std::optional<datafiles::TestJudgement> m_judgement;
    // The bar test (Command3) steps every bar between -0.5 and +0.5 µA.
    double m_barTestReading = 0.0;
    double m_barTestStep = 1.0;
};

} // namespace corvin::livetest
