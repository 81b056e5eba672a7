#pragma once
// The rescan: brings this station's rows of the catalogue in line with the test data files on
// disc. New files are read and added; a file whose size or time (or its record's) changed is
// read again; a file gone from its path whose bytes turn up at another is counted as moved; a
// file gone for good leaves the history. Files whose size and times are unchanged are not
// opened at all, so a rescan of thousands of unchanged files costs a walk of the folders.

#include "common/Status.h"

#include <QString>
#include <QStringList>
#include <atomic>

namespace corvin::history {

class LocalCatalogue;

struct RescanCounts {
    int added = 0;
    int changed = 0;
    int moved = 0;
    int removed = 0;
    int unreadable = 0; // of those added or changed, the files that could not be read
    int unchanged = 0;

    friend bool operator==(const RescanCounts&, const RescanCounts&) = default;
};

// "Test history: 2 new tests, 1 changed, 1 moved, 1 gone (40 unchanged)", with the unreadable
// named; "Test history: nothing new (40 tests)" when nothing changed.
QString RescanSummary(const RescanCounts& counts);

// The folders a rescan walks: the home's Data and TESTS, then the user's own.
QStringList RescanFolders(const QString& home, const QStringList& extraFolders);

// Walks `folders` (and their subfolders) for test data files and checks every file the
// catalogue knows of `station`. A folder that does not exist (a share not mounted) is skipped,
// and the rows of files under it are kept. `stop` (may be null) ends the walk early, writing
// nothing.
[[nodiscard]] Status Rescan(LocalCatalogue& catalogue, const QString& station, const QStringList& folders,
                            RescanCounts& counts, const std::atomic<bool>* stop = nullptr);

} // namespace corvin::history
