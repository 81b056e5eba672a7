#pragma once
// A refusal to start (the home cannot be written, a bad simulator profile): said on standard
// error for a terminal, and in a message box as well when Corvin was started from the desktop,
// where nobody reads standard error.

#include "platform/Dialogs.h"

#include <QString>
#include <cstdio>

namespace corvin::app {

// True when a window can be shown: a display to show it on, and not one of Qt's platforms that
// draw nowhere (offscreen, minimal), on which a message box would wait for ever.
bool DesktopAvailable(const QString& qpaPlatform, bool displayVariableSet);

// False when the window system Qt would use has nothing to connect to: no DISPLAY for X11, no
// WAYLAND_DISPLAY for Wayland, neither for the default choice. Qt would abort there; the program
// says so instead (kNoDisplayMessage), before it touches the home. Platforms that need no display
// (offscreen, vnc, ...) always pass.
bool DisplayReachable(const QString& qpaPlatform, bool displaySet, bool waylandDisplaySet);
inline const QString kNoDisplayMessage = QStringLiteral(
    "no display: Corvin shows windows, but neither DISPLAY nor WAYLAND_DISPLAY names a desktop to show "
    "them on. Start it from a desktop session, or on a virtual display: xvfb-run corvin");

// Writes "corvin: <message>" to `terminal` and, given `dialogs`, shows the message as a critical
// message box.
void ReportStartupRefusal(const QString& message, std::FILE* terminal, platform::Dialogs* dialogs);

} // namespace corvin::app
