#pragma once
// A main window stand-in for child-window tests: a real command bar that answers reported events
// with the program's enabling rules, and a record of the frame operations the child asked for.

#include "app/EnablingRules.h"
#include "common/MainFrame.h"

#include <QStringList>
#include <vector>

namespace corvin::testing {

class FakeMainFrame : public MainFrame {
public:
    app::CommandBar commandBar;
    QStringList calls; // "DisplayNormal", "FileClose", ... in order
    std::vector<ShellEvent> events;
    QStringList notices;
    QStringList saved; // the test data files reported saved
    int16_t childWindows = 0;
    bool frameEnabled = true;

    void report(ShellEvent event) override {
        events.push_back(event);
        const app::RuleOutcome outcome = app::ApplyEnablingRule(commandBar, event);
        if (outcome.recentFiles == app::RecentFilesChange::Enable)
            enableRecentFiles();
        else if (outcome.recentFiles == app::RecentFilesChange::Disable)
            disableRecentFiles();
        if (outcome.runFileClose)
            FileClose();
    }
    void showStatus(const QString& pane, const QString& text) override { commandBar.showStatus(pane, text); }
    void showNotice(const QString& text) override { notices << text; }
    QWidget* dialogParent() const override { return nullptr; }
    void DisplayFullscreen() override { calls << QStringLiteral("DisplayFullscreen"); }
    void DisplayNormal() override { calls << QStringLiteral("DisplayNormal"); }
    void enableRecentFiles() override { calls << QStringLiteral("enableRecentFiles"); }
    void disableRecentFiles() override { calls << QStringLiteral("disableRecentFiles"); }
    int16_t ChildWindowCount() const override { return childWindows; }
    void WindowCreated() override { ++childWindows; }
    void WindowDestroyed() override { --childWindows; }
    void FileClose() override { calls << QStringLiteral("FileClose"); }
    void setFrameEnabled(bool enabled) override { frameEnabled = enabled; }
    void openTestWindow() override { calls << QStringLiteral("openTestWindow"); }
    void processEvents() override {}
    void testSaved(const QString& path) override { saved << path; }

    QString status(const QString& pane) const { return commandBar.caption(QStringLiteral("sb"), pane); }
};

} // namespace corvin::testing
