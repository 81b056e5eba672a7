#pragma once
// What the recent-files entries of the File menu show for a given list, as plain data, so the
// main window only applies it to its tools: the entry tools "miFMRU1".."miFMRU4" (band
// "mnuFile"), each carrying its list index as its tag, and the separator "miFMRUSep" before them.

#include "settings/cMRUFileList.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace corvin::settings {

inline const QString kRecentFilesBand = QStringLiteral("mnuFile");
inline const QString kRecentFilesSeparator = QStringLiteral("miFMRUSep");

class RecentFilesMenu {
public:
    // One entry tool to show: made visible, with this caption and tag.
    struct Entry {
        QString tool;
        QString caption;
        QString tag;
        bool operator==(const Entry&) const = default;
    };

    // The rebuild after start-up and after a file was opened through the dialog: the entries
    // 1..FileCount that hold a path, and whether the separator shows (exactly when the list is
    // not empty). Entry tools beyond the count keep whatever they had.
    struct Rebuild {
        std::vector<Entry> entries;
        bool separatorVisible = false;
    };
    static Rebuild forList(const cMRUFileList& list);

    // enableRecentFiles / disableRecentFiles: the entry tools to enable or disable (those of the entries that
    // hold a path), and whether the separator shows.
    struct Switch {
        QStringList tools;
        bool separatorVisible = false;
    };
    static Switch toSwitch(const cMRUFileList& list);

    // "miFMRU" + i.
    static QString toolName(int i);
    // The list index a chosen entry tool stands for, read from its tag; 0 when the tag is not a
    // number.
    static int indexFromTag(const QString& tag);
};

} // namespace corvin::settings
