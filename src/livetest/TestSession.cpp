#include "livetest/TestSession.h"

#include "common/StatusPanes.h"
#include "datafiles/SpreadsheetExport.h"
#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"
#include "instrument/RangeRelays.h"
#include "instrument/Sampling.h"
#include "livetest/SessionRules.h"
#include "playback/TestReport.h"
#include "probes/ProbeFile.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace corvin::livetest {

namespace {

const QColor kMessageAreaGrey(0xC0, 0xC0, 0xC0);
const QColor kWhite(0xFF, 0xFF, 0xFF);

const QString kIntervalPrompt =
    QStringLiteral("Enter Reading Interval as integer in Seconds:\r\nRange (min 5-30 max)");
const QString kIntervalTitle = QStringLiteral("Enter Time Interval");
const QString kHoursPrompt = QStringLiteral("Enter Logging Time in hours:\r\neg: (0.1 = 6 mins)");
const QString kHoursTitle = QStringLiteral("Max Time Shown Or Until 'STOP' Button Actioned");
const QString kNotInteger = QStringLiteral("Reading Interval not an Integer number !");
const QString kIntervalRange = QStringLiteral("Minimum Time Interval 5 Second , Maximum 30");
const QString kTimeTooShort = QStringLiteral("Logging Time less than Time Interval");
const QString kTimeTooLong = QStringLiteral("Logging Time greater than max allowed");
const QString kEndOfLoggingSaveFailed = QStringLiteral("Problems with writing this File");
const QString kStopSaveFailed = QStringLiteral("Problems with writing this file !");
const QString kErrorRaised = QStringLiteral("Error Raised= ");
const QString kDataFileFilter = QStringLiteral("Data Files (*.DAT)|*.DAT");
const QString kNotProtected =
    QStringLiteral("Testing - NOT protected against a crash, readings kept in memory only (%1)");

QString Fixed20(const QString& name) {
    return name.left(20).leftJustified(20, QLatin1Char(' '));
}

} // namespace

const QString TestSession::kSaveQuestion = QStringLiteral("Logging Finished ,  Save Data to Disc ? ");

TestSession::TestSession(SharedState& state, instrument::CardLibrary& card, instrument::Pauser& pauser,
                         platform::Desktop& desktop, MainFrame& frame, BarChart& chart)
    : m_state(state), m_card(card), m_pauser(pauser), m_desktop(desktop), m_frame(frame), m_chart(chart) {
    // A new test window starts with every channel off.
    m_state.display.ChannelEnabled.fill(false);
    for (int k = 1; k <= kChannelCount; ++k)
        m_chart.setLegendCaption(k, QString());
    ExportPeriodicData = [this] {
        platform::FileDialog dialog;
        dialog.title = QStringLiteral("Option saveas XLS File");
        if (!m_state.folders.Home.isEmpty())
            dialog.initialFolder = m_state.folders.dataFolder();
        datafiles::ExportRequest request;
        request.caller = datafiles::ExportCaller::LiveTest;
        request.start = m_desktop.clock.now();
        request.dialog = &dialog;
        request.files = m_files;
        // The workbook carries the test's record as its document properties; its sheet is as ever.
        if (!m_endTime.isValid())
            m_endTime = m_desktop.clock.now();
        request.properties = datafiles::RecordProperties(recordOfTest(QString()));
        const datafiles::ExportResult result =
            datafiles::ExportPeriodicData(m_state.periodic, m_desktop.dialogs, request);
        switch (result.outcome) {
        case datafiles::ExportOutcome::Saved:
            m_frame.showNotice(datafiles::kWorkbookWritten + result.path);
            return SaveOutcome::Saved;
        case datafiles::ExportOutcome::Cancelled:
            return SaveOutcome::Cancelled;
        case datafiles::ExportOutcome::Failed:
            break;
        }
        return SaveOutcome::Failed;
    };
}

// ---- small helpers ----------------------------------------------------------------------------

void TestSession::changed() {
    emit controlsChanged();
}

void TestSession::focusRangeButton() {
    emit focusRangeButtonRequested();
}

void TestSession::setPhase(SessionPhase phase) {
    m_state.session.phase = phase;
    changed();
}

// Timer changes reach the window at once: a dialog shown afterwards runs its own event loop, and
// a timer still running there would tick behind it.
void TestSession::setLiveTimer(bool on) {
    m_controls.liveTimerOn = on;
    changed();
}

void TestSession::setLoggingTimer(bool on) {
    m_controls.loggingTimerOn = on;
    changed();
}

void TestSession::setWindowEnabled(bool on) {
    m_controls.windowEnabled = on;
    changed();
}

void TestSession::setStatus(const QString& text) {
    m_frame.showStatus(pane::miStatus, text);
}

bool TestSession::scaleChosen() const {
    const int16_t s = m_state.instrument.ScreenScale;
    return s >= 1 && s <= 4;
}

void TestSession::clearPicture(const QColor& colour, Picture content) {
    m_chart.clear(colour);
    m_picture = content;
}

void TestSession::RebuildChart() {
    m_chart.RebuildChart();
    m_picture = Picture::Chart;
}

void TestSession::zeroBars() {
    m_barTestReading = 0.0; // the bar test starts again from zero with the bars
    for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i)
        m_chart.DrawBar(i, 0.0, m_chart.liveBarWidth());
}

// ---- load, START, STOP, EXIT ------------------------------------------------------------------

void TestSession::Form_Load() {
    auto& inst = m_state.instrument;
    instrument::ClearDigitalOutputs(m_card, inst.BoardHandle, 0);
    m_controls.periodic = m_state.options.PeriodicLoggingDefault ? PeriodicChoice::On : PeriodicChoice::None;
    instrument::AnalogueSetupByModel(m_card, inst);

    m_controls.freezeSplitEnabled = false;
    m_controls.freezeUnsplitEnabled = false;
    m_state.session.PeriodicLoggingOn = false;
    m_state.session.PeriodicDataDone = false;
    m_chart.setSplitMode(false);
    clearPicture(kMessageAreaGrey, Picture::Grey);

    // The card is addressed as handle 0 from here on, registered or not.
    inst.BoardHandle = 0;
    m_state.session.phase = SessionPhase::Opened;
    m_barTestReading = 0.0;
    m_barTestStep = 1.0;
    changed();
}

void TestSession::setPeriodicChoice(PeriodicChoice choice) {
    m_controls.periodic = choice;
    changed();
}

void TestSession::cmdStart_Click() {
    m_controls.freezeSplitEnabled = true;
    m_controls.freezeUnsplitEnabled = false;
    m_controls.writtenVisible = false;
    setPhase(SessionPhase::Running);
    m_frame.report(ShellEvent::TestStarted);

    // A refused set-up has run STOP already. An accepted one starts the test's journal.
    if (m_controls.periodic == PeriodicChoice::On) {
        if (!periodicSetup())
            return;
        m_startTime = m_desktop.clock.now();
        m_endTime = {};
        startJournal();
    }

    // The probe's limits, marked on the chart while the test runs.
    loadLimits();
    m_chart.setLimits(m_limits);
    if (!probes::HasNoLimits(m_limits))
        RebuildChart();
    zeroBars();
    m_startMs = m_desktop.clock.monotonicMs();
    m_controls.liveTimerOn = true;
    m_controls.loggingTimerOn = m_state.session.PeriodicLoggingOn;
    changed();
    focusRangeButton();
}

void TestSession::refuseSetup(const QString& message, platform::Icon icon, bool clearLoggingOn) {
    if (!message.isEmpty())
        m_desktop.dialogs.message({message, icon, platform::Buttons::Ok, {}, platform::Answer::Ok});
    if (clearLoggingOn)
        m_state.session.PeriodicLoggingOn = false;
    m_state.session.PeriodicDataDone = false;
    m_controls.periodic = PeriodicChoice::Off;
    setWindowEnabled(true);
    cmdStop_Click();
    focusRangeButton();
}

bool TestSession::periodicSetup() {
    auto& data = m_state.periodic;
    setWindowEnabled(false);

    const std::optional<QString> interval =
        m_desktop.dialogs.input({kIntervalPrompt, kIntervalTitle, QString()});
    if (!interval || interval->isEmpty()) {
        refuseSetup(QString(), platform::Icon::None, false);
        return false;
    }
    if (interval->contains(QLatin1Char('.'))) {
        refuseSetup(kNotInteger, platform::Icon::Critical, false);
        return false;
    }
    const std::optional<int16_t> n = ReadInterval(*interval);
    if (n)
        data.ReadingIntervalSeconds = *n;
    if (!n || *n < kMinIntervalSeconds || *n > kMaxIntervalSeconds) {
        refuseSetup(kIntervalRange, platform::Icon::None, true);
        return false;
    }

    data.HeaderValues[0] = *n;
    // The names of the probe the test runs with (the default probe of an automatic test).
    for (int k = 1; k <= kChannelCount; ++k)
        data.ChannelNames[k - 1] = Fixed20(m_state.testProbe().Ch(k));
    m_controls.loggingIntervalMs = *n * 1000;
    data.SampleCount = 0;

    const int maxHours = MaxLoggingHours(*n);
    const std::optional<QString> hoursText =
        m_desktop.dialogs.input({kHoursPrompt, kHoursTitle, QString::number(maxHours)});
    const std::optional<float> hours = ReadLoggingHours(hoursText.value_or(QString()));
    if (!hours) {
        refuseSetup(kIntervalRange, platform::Icon::None, true);
        return false;
    }
    if (*hours * 3600.0f < static_cast<float>(*n)) {
        refuseSetup(kTimeTooShort, platform::Icon::Critical, false);
        return false;
    }
    if (!(*hours <= static_cast<float>(maxHours))) {
        refuseSetup(kTimeTooLong, platform::Icon::Critical, false);
        return false;
    }

    data.resize(PlannedSamples(*hours, *n));
    m_controls.periodic = PeriodicChoice::On;
    m_state.session.PeriodicLoggingOn = true;
    m_state.session.PeriodicDataDone = false;
    setWindowEnabled(true);
    return true;
}

void TestSession::cmdStop_Click() {
    auto& session = m_state.session;
    m_controls.liveTimerOn = false;
    m_controls.loggingTimerOn = false;
    session.phase = SessionPhase::Stopped;
    clearPicture(kMessageAreaGrey, Picture::Grey);
    for (QString& text : m_controls.readingTexts)
        text = QStringLiteral("0.0");
    m_controls.readingStates.fill(datafiles::ReadingState::Inside);
    m_chart.setSplitMode(false);
    m_controls.freezeSplitEnabled = false;
    m_controls.freezeUnsplitEnabled = false;
    changed();
    focusRangeButton();

    // The file holds only the samples taken.
    m_state.periodic.SampleCapacity = m_state.periodic.SampleCount;

    if (!session.PeriodicDataDone && session.PeriodicLoggingOn) {
        m_endTime = m_desktop.clock.now();
        judgeTest();
        // Samples are given up only by an explicit No: a cancelled or failed save asks again.
        for (;;) {
            if (!askToSave()) {
                m_journal.remove(); // the readings given up on purpose
                setLoggingTimer(false);
                session.PeriodicLoggingOn = false;
                session.PeriodicDataDone = false;
                break;
            }
            if (saveFromStop() == SaveOutcome::Saved)
                break;
        }
    }

    m_frame.report(ShellEvent::TestStopped);
    changed();
}

void TestSession::cmdExit_Click() {
    m_state.display.FullScreenMode = false;
    m_state.session.AutoTestMode = false;
    m_state.display.ChannelEnabled.fill(false);
    instrument::ClearDigitalOutputs(m_card, m_state.instrument.BoardHandle, 0);
    m_journal.remove(); // EXIT without saving gives the readings up
    // The main window's commands come back, the status text and elapsed time are cleared.
    m_frame.report(ShellEvent::TestWindowExited);
}

void TestSession::stepBarTest() {
    double& reading = m_barTestReading;
    if (reading >= 0.5)
        m_barTestStep = -1.0;
    else if (reading <= -0.5)
        m_barTestStep = 1.0;
    reading += m_barTestStep / 10.0;
    for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i)
        m_chart.DrawBar(i, reading, m_chart.liveBarWidth());
}

// ---- the two timers ---------------------------------------------------------------------------

void TestSession::Timer1_Timer() {
    const bool fullScreen = m_state.display.FullScreenMode;
    m_controls.elapsedText = FormatElapsed(m_desktop.clock.monotonicMs() - m_startMs);
    if (fullScreen)
        m_frame.showStatus(pane::miTimeElapsed, m_controls.elapsedText);

    instrument::LiveSweep(
        m_card, m_pauser, m_state.instrument, [this](int16_t channel, const QString& text, double reading) {
            const auto slot = std::size_t(ChannelOfIndex(channel) - 1);
            m_controls.readingTexts[slot] = text;
            // A channel that is off reads 0 and is not marked.
            m_controls.readingStates[slot] = m_state.display.ChannelEnabled[slot]
                                                 ? datafiles::StateOfReading(reading, m_limits[slot])
                                                 : datafiles::ReadingState::Inside;
            m_chart.DrawBar(channel, reading, m_chart.liveBarWidth());
        });
    if (fullScreen) {
        m_chart.EraseValueTexts();
        m_chart.PrintValueTexts(m_controls.readingTexts);
    }
    changed();
}

void TestSession::Timer2_Timer() {
    auto& data = m_state.periodic;
    const auto index = static_cast<std::size_t>(std::max<int16_t>(0, data.SampleCount));
    if (data.SampleCount < data.SampleCapacity && index < data.PeriodicData[0].size()) {
        instrument::PeriodicSweep(m_card, m_pauser, m_state.instrument, data, data.SampleCount);
        ++data.SampleCount;
        JournalRow(data.SampleCount - 1);
        return;
    }

    // The logging is finished: one question, however long it stays open.
    setLoggingTimer(false);
    m_endTime = m_desktop.clock.now();
    judgeTest();
    if (!askToSave()) {
        m_journal.remove(); // the readings given up on purpose
        m_state.session.PeriodicLoggingOn = false;
        if (m_state.display.FullScreenMode)
            m_frame.DisplayNormal();
        return;
    }
    setLiveTimer(false);
    if (m_state.display.FullScreenMode)
        m_frame.DisplayNormal();
    SaveToDataFile(true);
}

// ---- the recovery journal ---------------------------------------------------------------------

void TestSession::startJournal() {
    datafiles::JournalHeader header;
    header.startTime = m_desktop.clock.now();
    header.intervalSeconds = m_state.periodic.ReadingIntervalSeconds;
    header.plannedRows = m_state.periodic.SampleCapacity;
    header.probeName = m_state.testProbe().Probe_Name();
    for (int k = 1; k <= kChannelCount; ++k)
        header.channelNames[k - 1] = m_state.testProbe().Ch(k); // the names a save writes
    header.range = m_state.instrument.HighRangeSelected ? QStringLiteral("HIGH") : QStringLiteral("LOW");
    header.screenScale = m_state.instrument.ScreenScale;
    header.channelsOn = m_state.display.ChannelEnabled;
    header.autoTest = m_state.session.AutoTestMode;
    header.card = m_state.instrument.cardKind;
    if (Status s = m_journal.begin(m_state.folders.recoveryFolder(), header, *m_files); !s)
        notProtected(s);
}

void TestSession::JournalRow(int row) {
    datafiles::JournalRow readings;
    for (int k = 0; k < kChannelCount; ++k)
        readings[k] = m_state.periodic.PeriodicData[k][static_cast<std::size_t>(row)];
    if (Status s = m_journal.append(row, readings); !s)
        notProtected(s);
}

void TestSession::notProtected(const Status& why) {
    setStatus(kNotProtected.arg(why.message()));
}

// ---- limits, verdict and record ------------------------------------------------------------

void TestSession::loadLimits() {
    m_limits = {};
    m_judgement.reset();
    const QString probe = m_state.testProbe().Probe_Name().trimmed();
    if (probe.isEmpty())
        return;
    const QString path = probes::LimitsPathFor(probes::ProbeFilePath(m_state.folders.ProbesFolder, probe));
    if (Status s = probes::ReadProbeLimits(path, m_limits); !s) {
        m_limits = {};
        m_frame.showNotice(QStringLiteral("The limits of %1 are ignored: %2").arg(probe, s.message()));
    }
}

void TestSession::judgeTest() {
    m_judgement.reset();
    if (probes::HasNoLimits(m_limits))
        return;
    m_judgement = datafiles::JudgeTest(m_state.periodic, m_state.periodic.ReadingIntervalSeconds,
                                       m_state.display.ChannelEnabled, m_limits);
    // A word before the save question, never in its way: the worst channel says why.
    QString summary = QStringLiteral("Verdict: ") + datafiles::VerdictName(m_judgement->verdict);
    for (int k = 1; k <= kChannelCount; ++k)
        if (m_judgement->channels[k - 1].verdict == m_judgement->verdict &&
            m_judgement->verdict != datafiles::Verdict::Pass) {
            summary +=
                QStringLiteral(" \u2014 ") + datafiles::DescribeChannel(k, m_judgement->channels[k - 1]);
            break;
        }
    m_frame.showNotice(summary);
}

datafiles::TestRecord TestSession::recordOfTest(const QString& note) const {
    datafiles::TestRecord record;
    datafiles::FillStation(record);
    const cProbe& probe = m_state.testProbe();
    record.start = m_startTime;
    record.end = m_endTime;
    record.probeName = probe.Probe_Name();
    for (int k = 1; k <= kChannelCount; ++k)
        record.channelNames[k - 1] = probe.Ch(k);
    record.range = m_state.instrument.HighRangeSelected ? QStringLiteral("HIGH") : QStringLiteral("LOW");
    record.fullScaleMicroAmps = FullScaleOf(m_state.instrument.ScreenScale);
    record.channelsOn = m_state.display.ChannelEnabled;
    record.intervalSeconds = m_state.periodic.ReadingIntervalSeconds;
    record.rows = m_state.periodic.SampleCount;
    record.card = m_state.instrument.cardKind;
    record.cardDevice = m_state.instrument.cardDevice;
    record.autoTest = m_state.session.AutoTestMode;
    record.note = note;
    if (!probes::HasNoLimits(m_limits))
        record.limits = m_limits;
    if (m_judgement) {
        datafiles::RecordedVerdicts verdicts;
        for (int k = 0; k < kChannelCount; ++k)
            verdicts.channels[k] = m_judgement->channels[k].verdict;
        verdicts.test = m_judgement->verdict;
        record.verdicts = verdicts;
    }
    return record;
}

void TestSession::saveTestReport() {
    if (!m_controls.writtenFile.isEmpty())
        playback::SaveTestReport(m_controls.writtenFile, m_desktop.dialogs, m_frame, *m_files);
}

// ---- saving -----------------------------------------------------------------------------------

bool TestSession::askToSave() {
    const platform::MessageBox question(kSaveQuestion, platform::Icon::Question, platform::Buttons::YesNo, {},
                                        platform::Answer::Yes);
    return m_desktop.dialogs.message(question) == platform::Answer::Yes;
}

SaveOutcome TestSession::saveFromStop() {
    m_controls.liveTimerOn = false;
    m_controls.loggingTimerOn = false;
    changed();
    if (m_state.options.SaveToDataFile)
        return SaveToDataFile(false);
    clearPicture(kMessageAreaGrey, Picture::Grey);
    return exportToSpreadsheet();
}

SaveOutcome TestSession::exportToSpreadsheet() {
    // A cancelled dialog keeps the samples, as a cancelled data file save does: STOP asks again.
    const SaveOutcome outcome = ExportPeriodicData ? ExportPeriodicData() : SaveOutcome::Failed;
    if (outcome == SaveOutcome::Saved)
        finishSave(false);
    else if (outcome == SaveOutcome::Cancelled)
        setStatus(QStringLiteral("Test Stopped"));
    return outcome;
}

SaveOutcome TestSession::SaveToDataFile(bool endOfLogging) {
    setWindowEnabled(false);
    platform::FileDialog dialog;
    dialog.filter = kDataFileFilter;
    dialog.flags = platform::kDataFileDialogFlags;
    // Test data files belong in the home's Data folder (whatever folder Corvin was started
    // from) or where the user last kept one, and a name typed without an extension becomes a
    // .DAT file that File > Open finds.
    dialog.initialFolder = m_state.folders.testFilesFolder();
    dialog.defaultSuffix = QStringLiteral("DAT");
    QString note;
    dialog.note = &note;
    QDir().mkpath(dialog.initialFolder);
    const std::optional<QString> path = m_desktop.dialogs.saveFile(dialog);
    if (!path || path->isEmpty()) {
        if (endOfLogging) {
            m_desktop.dialogs.information(kEndOfLoggingSaveFailed);
            setWindowEnabled(true);
            return SaveOutcome::Failed;
        }
        setWindowEnabled(true);
        setStatus(QStringLiteral("Test Stopped"));
        return SaveOutcome::Cancelled;
    }

    clearPicture(kMessageAreaGrey, Picture::Grey);
    std::array<QString, kChannelCount> names;
    for (int k = 1; k <= kChannelCount; ++k)
        names[k - 1] = m_state.testProbe().Ch(k);
    if (!m_endTime.isValid())
        m_endTime = m_desktop.clock.now();
    const Status status =
        datafiles::WriteTestDataWithRecord(*path, m_state.periodic, m_state.periodic.ReadingIntervalSeconds,
                                           names, recordOfTest(note), *m_files);
    if (!status) {
        // The samples stay in memory and the journal on disc, so the user can free some space
        // and save them again (STOP asks once more). The system's reason says what went wrong.
        m_desktop.dialogs.information(endOfLogging ? kEndOfLoggingSaveFailed +
                                                         QStringLiteral(" (%1)").arg(status.message())
                                                   : kStopSaveFailed + kErrorRaised + status.message());
        setWindowEnabled(true);
        return SaveOutcome::Failed;
    }

    m_controls.writtenFile = *path;
    m_controls.writtenVisible = true;
    m_state.folders.LastTestFolder = QFileInfo(*path).absolutePath();
    m_frame.showNotice(QStringLiteral("Test data and its record written to ") + *path);
    m_frame.testSaved(*path);
    m_state.periodic.release();
    finishSave(endOfLogging);
    return SaveOutcome::Saved;
}

void TestSession::finishSave(bool endOfLogging) {
    m_journal.remove(); // the readings are safely saved
    setWindowEnabled(true);
    m_state.session.PeriodicDataDone = true;
    m_state.session.PeriodicLoggingOn = false;
    if (endOfLogging)
        m_controls.periodic = PeriodicChoice::Off;
    cmdStop_Click();
}

// ---- range, channels, freeze and split ------------------------------------------------------

void TestSession::beginRangeChoice() {
    m_controls.writtenVisible = false;
    m_controls.windowEnabled = false;
    changed();
    m_frame.setFrameEnabled(false);
}

void TestSession::hideWrittenLabels() {
    m_controls.writtenVisible = false;
    changed();
}

void TestSession::rangeChosen(bool high) {
    m_state.instrument.HighRangeSelected = high;
    instrument::ApplyRangeRelays(m_card, m_state.instrument, m_state.display);
}

void TestSession::scaleChosen(int16_t screenScale) {
    const bool running = m_state.session.TestRunning();
    m_state.instrument.ScreenScale = screenScale;
    RebuildChart();
    if (!running) {
        m_state.session.phase = SessionPhase::Ready;
        setStatus(QStringLiteral("Ready Hit START to proceed with test"));
    }
    if (m_chart.splitMode())
        unsplit();
    // The bars restart from zero on the new scale (and the chart's last values match it).
    zeroBars();
    m_controls.windowEnabled = true;
    changed();
    m_frame.setFrameEnabled(true);
}

void TestSession::ToggleChannel(int k) {
    if (k < 1 || k > kChannelCount)
        return;
    auto& enabled = m_state.display.ChannelEnabled[k - 1];
    if (enabled) {
        m_chart.setLegendCaption(k, QString());
        enabled = false;
        instrument::WriteChannelRelays(m_card, m_state.instrument, k, false);
    } else {
        enabled = true;
        m_chart.setLegendCaption(k, m_state.testProbe().Ch(k));
        instrument::WriteChannelRelays(m_card, m_state.instrument, k, true);
    }
    const bool running = m_state.session.TestRunning();
    if (running) {
        zeroBars();
    }
    // Before a screen scale was chosen there is no chart yet: the message area stays.
    if (scaleChosen()) {
        RebuildChart();
        if (running) {
            zeroBars();
        }
    }
    if (m_chart.splitMode())
        unsplit();
    changed();
}

void TestSession::functionKey(int k) {
    if (m_state.session.TestRunning())
        ToggleChannel(k);
}

void TestSession::cmdFreezeSplit_Click() {
    m_controls.freezeUnsplitEnabled = true;
    m_controls.freezeSplitEnabled = false;
    setLiveTimer(false);
    auto& inst = m_state.instrument;
    if (inst.BoardModel != 230 && inst.BoardModel != 30)
        return;

    int32_t count = 0;
    m_barTestReading = 0.0;
    for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i) {
        m_chart.DrawBar(i, 0.0, BarWidth::Whole);
        instrument::TakeCountWithoutPauses(m_card, inst, static_cast<int16_t>(i), count);
        m_chart.DrawFrozenBar(i, instrument::ScaleLive(count, inst));
        m_chart.DrawBar(i, 0.0, BarWidth::Half);
    }
    m_chart.setSplitMode(true);
    setLiveTimer(true);
    focusRangeButton();
}

void TestSession::unsplit() {
    if (m_chart.splitMode()) {
        m_chart.setSplitMode(false);
        setLiveTimer(false);
        m_barTestReading = 0.0;
        for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i) {
            m_chart.DrawBar(i, 0.0, BarWidth::Whole);
            m_chart.EraseFrozenBar(i, 0.0);
            m_chart.DrawBar(i, 0.0, BarWidth::Whole);
        }
    }
    // The live timer runs again only for a running test: after STOP nothing may sample.
    m_controls.liveTimerOn = m_state.session.TestRunning();
    m_controls.freezeSplitEnabled = true;
    m_controls.freezeUnsplitEnabled = false;
    changed();
    focusRangeButton();
}

void TestSession::cmdFreezeUnsplit_Click() {
    unsplit();
}

// ---- printing, copying, layout --------------------------------------------------------------

void TestSession::PrintBarDisplay() {
    if (!m_state.session.TestRunning())
        return;
    m_chart.PrintValueTexts(m_controls.readingTexts);
    const QString job = QStringLiteral("Corvin test %1")
                            .arg(m_desktop.clock.now().toString(QStringLiteral("yyyy-MM-dd hh.mm.ss")));
    QString pdfFile;
    const Status printed =
        m_desktop.printers.printImage(m_chart.image(), platform::Orientation::Landscape, job, &pdfFile);
    RebuildChart();
    zeroBars();
    if (!printed)
        m_desktop.dialogs.critical(printed.message());
    else if (!pdfFile.isEmpty())
        m_frame.showNotice(QStringLiteral("Printout written to ") + pdfFile);
}

void TestSession::cmdPrintTest_Click() {
    PrintBarDisplay();
    m_frame.DisplayNormal();
}

void TestSession::mnuPrint_Click() {
    const bool fullScreen = m_state.display.FullScreenMode;
    if (fullScreen) {
        m_frame.DisplayNormal();
        PrintBarDisplay();
        m_frame.DisplayFullscreen();
    } else {
        PrintBarDisplay();
        focusRangeButton();
        m_frame.DisplayNormal();
    }
}

void TestSession::mnuCopy_Click() {
    const bool fullScreen = m_state.display.FullScreenMode;
    m_chart.PrintValueTexts(m_controls.readingTexts);
    m_desktop.clipboard.setImage(m_chart.image());
    m_frame.showNotice(QStringLiteral("Bar chart copied to the clipboard"));
    if (scaleChosen()) {
        RebuildChart();
        // The live bars first go to zero on the fresh chart, so each frozen half is drawn whole
        // from the zero line (and not from wherever its live bar last stood).
        zeroBars();
        for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i) {
            m_chart.DrawFrozenBar(i, m_chart.frozenValue(ChannelOfIndex(i)));
            m_chart.DrawBar(i, 0.0, m_chart.liveBarWidth());
        }
    }
    if (fullScreen) {
        m_frame.DisplayFullscreen();
    } else {
        focusRangeButton();
        m_frame.DisplayNormal();
    }
}

void TestSession::mnuClose_Click() {
    if (m_state.display.FullScreenMode) {
        m_frame.DisplayNormal();
        m_frame.processEvents();
    } else {
        m_frame.report(ShellEvent::StopChosenFromPopup);
    }
    cmdStop_Click();
}

void TestSession::redrawLayout() {
    zeroBars();
    m_chart.DrawChartFrame();
    m_chart.DrawChartLegend();
    for (int i = kFirstChannelIndex; i <= kLastChannelIndex; ++i) {
        m_chart.DrawFrozenBar(i, m_chart.frozenValue(ChannelOfIndex(i)));
        m_chart.DrawBar(i, 0.0, m_chart.liveBarWidth());
    }
    m_picture = Picture::Chart;
}

void TestSession::redrawForLayout() {
    if (scaleChosen())
        redrawLayout();
    else
        pictureResized();
}

void TestSession::pictureResized() {
    switch (m_picture) {
    case Picture::Grey:
        m_chart.clear(kMessageAreaGrey);
        break;
    case Picture::White:
        m_chart.clear(kWhite);
        break;
    case Picture::Chart:
        redrawLayout();
        break;
    }
}

void TestSession::barColoursSaved() {
    if (m_state.session.phase == SessionPhase::Ready)
        m_state.session.phase = SessionPhase::Opened;
    clearPicture(kWhite, Picture::White);
    changed();
}

void TestSession::barColoursCancelled() {
    clearPicture(kWhite, Picture::White);
}

} // namespace corvin::livetest
