#pragma once
// What the child windows may ask of the main window. The main window implements it; tests use
// a small fake. Child windows never include the main window itself.

#include "common/CommandBar.h"

#include <cstdint>

namespace corvin {

class MainFrame {
public:
    virtual ~MainFrame() = default;

    virtual CommandBar& bar() = 0;

    // Layouts of the test window.
    virtual void DisplayFullscreen() = 0;
    virtual void DisplayNormal() = 0;

    // Recent-files entries of the File menu.
    virtual void EnableMRU() = 0;
    virtual void DissableMRU() = 0;

    // The child-window counter.
    virtual int16_t ChildWindowCount() const = 0;
    virtual void WindowCreated() = 0;
    virtual void WindowDestroyed() = 0;
    virtual void FileClose() = 0;

    // The main window as a whole, disabled while a range dialog is open.
    virtual void setFrameEnabled(bool enabled) = 0;

    // Child windows that open other child windows go through the frame, so no window needs to
    // know another window's class.
    virtual void OpenTestWindow() = 0;

    // Lets pending window events run (the program does this between some steps).
    virtual void ProcessEvents() = 0;
};

} // namespace corvin
