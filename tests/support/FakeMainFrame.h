#pragma once
// A main window stand-in for child-window tests: a real command bar that answers reported events
// with the program's enabling rules, and a record of the frame operations the child asked for.

#include "common/EnablingRules.h"
#include "common/MainFrame.h"

#include <QStringList>
#include <vector>

namespace corvin::testing {

class FakeMainFrame : public MainFrame {
public:
    CommandBar commandBar;
    QStringList calls; // "DisplayNormal", "FileClose", ... in order
    std::vector<ShellEvent> events;
    QStringList notices;
    int16_t childWindows = 0;
    bool frameEnabled = true;

    void report(ShellEvent event) override {
        events.push_back(event);
        const RuleOutcome outcome = ApplyEnablingRule(commandBar, event);
        if (outcome.recentFiles == RecentFilesChange::Enable)
            EnableMRU();
        else if (outcome.recentFiles == RecentFilesChange::Disable)
            DissableMRU();
        if (outcome.runFileClose)
            FileClose();
    }
    void showStatus(const QString& pane, const QString& text) override { commandBar.showStatus(pane, text); }
    void showNotice(const QString& text) override { notices << text; }
    QWidget* dialogParent() const override { return nullptr; }
    void DisplayFullscreen() override { calls << QStringLiteral("DisplayFullscreen"); }
    void DisplayNormal() override { calls << QStringLiteral("DisplayNormal"); }
    void EnableMRU() override { calls << QStringLiteral("EnableMRU"); }
    void DissableMRU() override { calls << QStringLiteral("DissableMRU"); }
    int16_t ChildWindowCount() const override { return childWindows; }
    void WindowCreated() override { ++childWindows; }
    void WindowDestroyed() override { --childWindows; }
    void FileClose() override { calls << QStringLiteral("FileClose"); }
    void setFrameEnabled(bool enabled) override { frameEnabled = enabled; }
    void openTestWindow() override { calls << QStringLiteral("openTestWindow"); }
    void processEvents() override {}

    QString status(const QString& pane) const { return commandBar.caption(QStringLiteral("sb"), pane); }
};

} // namespace corvin::testing
