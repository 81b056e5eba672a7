#pragma once
// The events of the program that change which commands of the main window are available. A
// window reports one to the main window (MainFrame::report) when it happens; the main window
// answers every report with the enabling rule of the event (EnablingRules), and nothing else
// switches tools.

namespace corvin {

enum class ShellEvent {
    Startup,                 // the main window's load
    StandardTestChosen,      // Test > Standard, before probe selection opens
    AutoTestStarted,         // the toolbar's Auto found the default probe
    ProbeGoWithoutProbe,     // probe selection's Go on " <No Probe Devices Available> "
    ProbeSelectionClosed,    // probe selection left by its own close (close box, Escape)
    TestStarted,             // START
    TestStopped,             // STOP, however it was reached
    StopChosenFromPopup,     // "Stop" of the chart's pop-up menu, before its STOP
    FullScreenShown,         // DisplayFullscreen
    NormalShown,             // DisplayNormal
    TestWindowExited,        // the test window's EXIT
    StoredTestOpening,       // a stored test is being opened (File > Open, a recent file)
    StoredTestOpeningFailed, // the opening failed or was cancelled: FileClose runs
    PlaybackExited,          // a playback window's Exit: FileClose runs
    FileClosedNoChildLeft,   // FileClose, with no child window left
    FileClosedChildrenLeft,  // FileClose, with child windows left
};

} // namespace corvin
