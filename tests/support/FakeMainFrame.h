#pragma once
// A main window stand-in for child-window tests: a real command bar, and a record of the frame
// operations the child asked for.

#include "common/MainFrame.h"

#include <QStringList>

namespace corvin::testing {

class FakeMainFrame : public MainFrame {
public:
    CommandBar commandBar;
    QStringList calls; // "DisplayNormal", "FileClose", ... in order
    int16_t childWindows = 0;
    bool frameEnabled = true;

    CommandBar& bar() override { return commandBar; }
    void DisplayFullscreen() override { calls << QStringLiteral("DisplayFullscreen"); }
    void DisplayNormal() override { calls << QStringLiteral("DisplayNormal"); }
    void EnableMRU() override { calls << QStringLiteral("EnableMRU"); }
    void DissableMRU() override { calls << QStringLiteral("DissableMRU"); }
    int16_t ChildWindowCount() const override { return childWindows; }
    void WindowCreated() override { ++childWindows; }
    void WindowDestroyed() override { --childWindows; }
    void FileClose() override { calls << QStringLiteral("FileClose"); }
    void setFrameEnabled(bool enabled) override { frameEnabled = enabled; }
    void OpenTestWindow() override { calls << QStringLiteral("OpenTestWindow"); }
    void ProcessEvents() override {}

    QString status(const QString& pane) const { return commandBar.caption(QStringLiteral("sb"), pane); }
};

} // namespace corvin::testing
