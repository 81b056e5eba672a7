#include "settings/RecentFilesMenu.h"

namespace corvin::settings {

QString RecentFilesMenu::toolName(int i) {
    return QStringLiteral("miFMRU") + QString::number(i);
}

RecentFilesMenu::Rebuild RecentFilesMenu::forList(const cMRUFileList& list) {
    Rebuild rebuild;
    for (int32_t i = 1; i <= list.FileCount(); ++i) {
        if (list.FileExists(i))
            rebuild.entries.push_back({toolName(i), list.MenuCaption(i), QString::number(i)});
    }
    rebuild.separatorVisible = list.FileCount() > 0;
    return rebuild;
}

RecentFilesMenu::Switch RecentFilesMenu::toSwitch(const cMRUFileList& list) {
    Switch change;
    for (int32_t i = 1; i <= list.FileCount(); ++i) {
        if (list.FileExists(i))
            change.tools << toolName(i);
    }
    change.separatorVisible = list.FileCount() >= 1;
    return change;
}

int RecentFilesMenu::indexFromTag(const QString& tag) {
    bool ok = false;
    const int index = tag.trimmed().toInt(&ok);
    return ok ? index : 0;
}

} // namespace corvin::settings
