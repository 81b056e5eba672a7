#pragma once
// What the child windows may ask of the main window. The main window implements it; tests use
// a small fake. Child windows never include the main window itself, and never switch its tools:
// they report what happened (Report) and the main window applies the enabling rule.

#include "common/ShellEvent.h"

#include <QString>
#include <cstdint>

class QWidget;

namespace corvin {

class MainFrame {
public:
    virtual ~MainFrame() = default;

    // Something happened that changes which commands are available: the main window applies the
    // event's enabling rule (tools, status texts, recent files, and FileClose where the rule
    // ends in it).
    virtual void report(ShellEvent event) = 0;
    // A status pane (pane::miStatus, ...) written by a child window: enabled, with the text.
    virtual void showStatus(const QString& pane, const QString& text) = 0;
    // A passing note in the status bar, such as where a printout went.
    virtual void showNotice(const QString& text) = 0;
    // The window the child windows' own dialogs belong to and stay in front of (null: none).
    virtual QWidget* dialogParent() const = 0;

    // Layouts of the test window.
    virtual void DisplayFullscreen() = 0;
    virtual void DisplayNormal() = 0;

    // Recent-files entries of the File menu (the enabling rules ask for these).
    virtual void enableRecentFiles() = 0;
    virtual void disableRecentFiles() = 0;

    // The child-window counter.
    virtual int16_t ChildWindowCount() const = 0;
    virtual void WindowCreated() = 0;
    virtual void WindowDestroyed() = 0;
    virtual void FileClose() = 0;

    // The main window's menus and toolbar, disabled while a range dialog is open.
    virtual void setFrameEnabled(bool enabled) = 0;

    // Child windows that open other child windows go through the frame, so no window needs to
    // know another window's class.
    virtual void openTestWindow() = 0;

    // A test data file was just saved (with its record), for the test history.
    virtual void testSaved(const QString& path) = 0;

    // Lets pending window events run (the program does this between some steps).
    virtual void processEvents() = 0;
};

} // namespace corvin
