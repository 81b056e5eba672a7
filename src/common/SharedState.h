#pragma once
// The program's shared state: one object, made in main() and handed by reference to every
// window that needs it. Grouped as the program thinks of it; the field names are the names the
// rest of the code and its documentation use.
//
// Naming, throughout the program: a name the Windows program gave to a window, control, handler,
// shared field, operation or record class stays exactly where it names that thing
// (frmStdTestLogging, cmdStart_Click, ChannelEnabled, DrawBar, cProbe). Everything else is named
// for what it does: types and free functions PascalCase; member functions, fields and variables
// camelCase (private members m_); constants kName.

#include "common/cBarColors.h"
#include "common/cProbe.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

namespace corvin {

constexpr int kChannelCount = 7;
// Channel k (1..7) is analogue input k + 8; the test window's per-channel controls use that index.
constexpr int kFirstChannelIndex = 9;
constexpr int kLastChannelIndex = 15;
constexpr int ChannelIndexOf(int k) {
    return k + 8;
}
constexpr int ChannelOfIndex(int i) {
    return i - 8;
}

// The acquisition card and the current reading.
struct InstrumentState {
    int16_t BoardHandle = -1;
    int16_t BoardModel = 0;
    double AdcVoltsPerCount = 0.0; // set by the analogue set-up of the test window
    double SampleVolts = 0.0;
    bool HighRangeSelected = false;
    int16_t ScreenScale = 0; // 1 = 1 µA, 2 = 10 µA, 3 = 100 µA, 4 = 1000 µA full scale
    // The card Corvin was started with, as a test's record names it: "none", "sim" or
    // "comedi", and the Comedi device asked for (empty: the first that answers).
    QString cardKind = QStringLiteral("none");
    QString cardDevice;
};

// The full scale in µA of a ScreenScale (1..4), 0 for none.
constexpr double FullScaleOf(int screenScale) {
    return screenScale == 1   ? 1.0
           : screenScale == 2 ? 10.0
           : screenScale == 3 ? 100.0
           : screenScale == 4 ? 1000.0
                              : 0.0;
}

// What the bar chart shows, as other windows read it (the chart keeps its own drawing state).
struct DisplayState {
    std::array<bool, kChannelCount> ChannelEnabled{};
    bool FullScreenMode = false;
};

// The states of the test window, changed only by its handlers.
enum class SessionPhase {
    Opened,  // loaded (also: no test window); START waits for a range choice
    Ready,   // range chosen while no test runs
    Running, // START passed its set-up (also while a save at the end of logging failed)
    Stopped, // STOP, a refused set-up, the end of logging
};

// The running test.
struct SessionState {
    SessionPhase phase = SessionPhase::Opened;
    // Between START and STOP: read from the phase, never stored beside it.
    bool TestRunning() const { return phase == SessionPhase::Running; }
    bool PeriodicLoggingOn = false;
    bool PeriodicDataDone = false;
    bool AutoTestMode = false;
};

// Test options, for this run only.
struct TestOptions {
    bool PeriodicLoggingDefault = false;
    bool SaveToDataFile = true;
};

// The periodic data of one test: logged live, or read from a test data file.
struct PeriodicDataSet {
    int16_t ReadingIntervalSeconds = 0;
    int16_t SampleCount = 0;
    int16_t SampleCapacity = 0;
    std::array<std::vector<float>, kChannelCount> PeriodicData; // channel k at [k - 1]
    std::array<int16_t, 2> HeaderValues{};                      // interval, row count
    std::array<QString, kChannelCount> ChannelNames;            // 20 characters each

    // Sizes the seven arrays to indexes 0..capacity (one spare element, as the program always had).
    void resize(int16_t capacity) {
        SampleCapacity = capacity;
        for (auto& a : PeriodicData)
            a.assign(static_cast<std::size_t>(capacity) + 1, 0.0f);
    }
    void release() {
        for (auto& a : PeriodicData)
            a = {};
    }
};

// Channels chosen for the playback graph, in the order they were clicked.
struct PlaybackSelection {
    std::array<int16_t, kChannelCount> PlotChannelOrder{};
    int16_t PlotChannelClicks = 0;
    std::array<bool, kChannelCount> PlotChannelSelected{};
    int16_t PlotSetCount = 0;
    QString playbackFile; // the test data file last read for playback (its name goes in the legend)
};

// The look of the graphs: the program's classic one, or the clear one (white, colour-blind-safe
// colours, elapsed time along the bottom).
enum class GraphStyleKind { Classic, Clear };

// Choices the user keeps from run to run (loaded from the settings store at start-up).
struct ViewPreferences {
    GraphStyleKind graphStyle = GraphStyleKind::Classic;
    bool trendStripOn = false; // the test window's live trend under the bars
    QString historyServer;     // a lab's shared test history (postgresql://...); empty: this PC's own
};

// Where the program keeps its files.
struct Folders {
    QString Home;         // the Corvin home (the legacy program's own folder)
    QString ProbesFolder; // Home + "/Probes"
    QString HelpFile;     // the help start page
    QString dataFolder() const { return Home + QStringLiteral("/Data"); }
    QString testsFolder() const { return Home + QStringLiteral("/TESTS"); }
    // The folder a test data file was last saved to or opened from in this run (empty: none yet).
    QString LastTestFolder;
    // Where File > Open, the save of a test and Save Graph As start: the last folder used, the
    // Data folder at first.
    QString testFilesFolder() const { return LastTestFolder.isEmpty() ? dataFolder() : LastTestFolder; }
    QString barColourFile() const { return Home + QStringLiteral("/BAR.CFG"); }
    // The journals of logged tests not yet saved (empty without a home).
    QString recoveryFolder() const { return Home.isEmpty() ? QString() : Home + QStringLiteral("/Recovery"); }
};

struct SharedState {
    InstrumentState instrument;
    DisplayState display;
    SessionState session;
    TestOptions options;
    PeriodicDataSet periodic;
    PlaybackSelection playback;
    Folders folders;
    ViewPreferences preferences;

    cProbe CurrentProbe;
    cProbe DefaultProbe;
    QString DefaultProbeName;
    cBarColors BarColours;

    // The probe whose channel names the test uses.
    const cProbe& testProbe() const { return session.AutoTestMode ? DefaultProbe : CurrentProbe; }
};

} // namespace corvin
