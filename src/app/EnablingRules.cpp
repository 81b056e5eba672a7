#include "app/EnablingRules.h"

#include <vector>

namespace corvin::app {
namespace {

struct ToolRef {
    QLatin1String band;
    QLatin1String tool;
};

struct StatusText {
    QLatin1String pane;
    const char* text;
    bool enabled = true; // a pane cleared for good is disabled as well
};

struct Rule {
    ShellEvent event;
    std::vector<ToolRef> enable;
    std::vector<ToolRef> disable;
    std::vector<StatusText> status;
    RecentFilesChange recentFiles = RecentFilesChange::Unchanged;
    bool runFileClose = false;
};

constexpr ToolRef kOpen{band::mnuFile, tool::mFOpen};
constexpr ToolRef kClose{band::mnuFile, tool::mFClose};
constexpr ToolRef kCreateProbe{band::mnuFile, tool::mFCreateProbe};
constexpr ToolRef kStandard{band::mnuTest, tool::mTStandard};
constexpr ToolRef kIndependent{band::mnuTest, tool::mTIndependent};
constexpr ToolRef kFullScreen{band::mnuView, tool::miFullScreen};
constexpr ToolRef kNormal{band::mnuView, tool::miNormal};
constexpr ToolRef kPreferences{band::mnuOptions, tool::mOPreferences};
constexpr ToolRef kExcelDataExport{band::mnuOptions, tool::mOExcelDataExport};
constexpr ToolRef kTestOptions{band::mnuOptions, tool::mOTestOptions};
constexpr ToolRef kPrinterOptions{band::mnuOptions, tool::mOPrinterOptions};
constexpr ToolRef kNewProbe{band::ToolBar, tool::miTProbe};
constexpr ToolRef kAuto{band::ToolBar, tool::miTAuto};

constexpr StatusText kElapsedCleared{pane::miTimeElapsed, "", false};

// Leaving a test (or probe selection) for the idle main window.
const Rule kBackToIdle{ShellEvent::TestWindowExited,
                       {kOpen, kCreateProbe, kStandard, kPreferences, kExcelDataExport, kTestOptions,
                        kPrinterOptions, kNewProbe, kAuto},
                       {kClose, kIndependent, kFullScreen, kNormal},
                       {{pane::miStatus, ""}, kElapsedCleared},
                       RecentFilesChange::Enable};

const Rule kRules[] = {
    {ShellEvent::Startup, {}, {kClose}, {}},
    {ShellEvent::StandardTestChosen,
     {},
     {kOpen, kClose, kCreateProbe, kStandard, kIndependent, kFullScreen, kNormal, kPreferences,
      kExcelDataExport, kTestOptions, kPrinterOptions, kNewProbe, kAuto},
     {},
     RecentFilesChange::Disable},
    // As the standard test, but the toolbar's New Probe and Auto stay enabled.
    {ShellEvent::AutoTestStarted,
     {},
     {kOpen, kClose, kCreateProbe, kStandard, kIndependent, kFullScreen, kNormal, kPreferences,
      kExcelDataExport, kTestOptions, kPrinterOptions},
     {{pane::miStatus, "Waitng RANGE selection"}},
     RecentFilesChange::Disable},
    // The user is asked to create a probe device, so the two commands that do it are offered.
    {ShellEvent::ProbeGoWithoutProbe,
     {kStandard, kCreateProbe, kNewProbe},
     {},
     {{pane::miProbeLoaded, "No probe loaded"}, {pane::miStatus, "Create a Probe device"}}},
    {ShellEvent::TestStarted, {kFullScreen}, {kNormal}, {{pane::miStatus, "Testing"}}},
    {ShellEvent::TestStopped, {}, {kFullScreen, kNormal}, {{pane::miStatus, "Test Stopped"}}},
    {ShellEvent::StopChosenFromPopup, {kFullScreen}, {kNormal}, {}},
    {ShellEvent::FullScreenShown, {kNormal}, {kFullScreen}, {}},
    {ShellEvent::NormalShown, {kFullScreen}, {kNormal}, {kElapsedCleared}},
    kBackToIdle,
    {ShellEvent::StoredTestOpening,
     {kClose, kCreateProbe},
     {kOpen, kStandard, kFullScreen, kNormal, kAuto},
     {},
     RecentFilesChange::Disable},
    {ShellEvent::StoredTestOpeningFailed, {kAuto}, {}, {}, RecentFilesChange::Unchanged, true},
    {ShellEvent::PlaybackExited, {kAuto}, {}, {}, RecentFilesChange::Unchanged, true},
    {ShellEvent::FileClosedNoChildLeft,
     {kOpen, kCreateProbe, kStandard},
     {kClose, kFullScreen, kNormal},
     {},
     RecentFilesChange::Enable},
    {ShellEvent::FileClosedChildrenLeft, {kOpen}, {kClose}, {}},
};

const Rule& RuleOf(ShellEvent event) {
    // Probe selection left by its own close returns to the idle main window, as the test
    // window's EXIT does: nothing else would enable the commands that Standard disabled.
    if (event == ShellEvent::ProbeSelectionClosed)
        return kBackToIdle;
    for (const Rule& rule : kRules) {
        if (rule.event == event)
            return rule;
    }
    qFatal("EnablingRules: no rule for event %d", static_cast<int>(event));
}

} // namespace

RuleOutcome ApplyEnablingRule(CommandBar& bar, ShellEvent event) {
    const Rule& rule = RuleOf(event);
    for (const ToolRef& t : rule.enable)
        bar.setEnabled(t.band, t.tool, true);
    for (const ToolRef& t : rule.disable)
        bar.setEnabled(t.band, t.tool, false);
    for (const StatusText& s : rule.status) {
        bar.setCaption(band::sb, s.pane, QLatin1String(s.text));
        bar.setEnabled(band::sb, s.pane, s.enabled);
    }
    return {rule.recentFiles, rule.runFileClose};
}

} // namespace corvin::app
