#include "app/StartupRefusal.h"

namespace corvin::app {

bool DesktopAvailable(const QString& qpaPlatform, bool displayVariableSet) {
    const QString platform = qpaPlatform.section(QLatin1Char(':'), 0, 0);
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return false;
    return displayVariableSet || !platform.isEmpty();
}

bool DisplayReachable(const QString& qpaPlatform, bool displaySet, bool waylandDisplaySet) {
    const QString platform = qpaPlatform.section(QLatin1Char(':'), 0, 0);
    if (platform.isEmpty())
        return displaySet || waylandDisplaySet;
    if (platform == QLatin1String("xcb"))
        return displaySet;
    if (platform.startsWith(QLatin1String("wayland")))
        return waylandDisplaySet;
    return true;
}

void ReportStartupRefusal(const QString& message, std::FILE* terminal, platform::Dialogs* dialogs) {
    std::fprintf(terminal, "corvin: %s\n", message.toLocal8Bit().constData());
    std::fflush(terminal);
    if (dialogs)
        dialogs->critical(message);
}

} // namespace corvin::app
