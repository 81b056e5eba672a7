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

// Writes "corvin: <message>" to `terminal` and, given `dialogs`, shows the message as a critical
// message box.
void ReportStartupRefusal(const QString& message, std::FILE* terminal, platform::Dialogs* dialogs);

} // namespace corvin::app
