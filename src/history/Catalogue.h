#pragma once
// The test history's catalogue: one row per test data file, of every station that shares it.
// Two implementations keep the same tables with the same queries: LocalCatalogue, the SQLite
// file in the Corvin home, and ServerCatalogue, a lab's PostgreSQL database. A station writes
// only its own rows (the station column) and reads everyone's.

#include "common/Status.h"
#include "history/TestEntry.h"

#include <QStringList>
#include <vector>

namespace corvin::history {

// Which rows to read, and how much of each.
struct RowQuery {
    QString probe; // empty: the tests of every probe
    // Only what the History window's table shows: no channel texts or numbers, no hash (a list
    // of thousands of tests reads several times faster).
    bool listing = false;
};

class Catalogue {
public:
    virtual ~Catalogue() = default;
    // Where the rows are kept, for messages: the file's path or the server's address.
    virtual QString where() const = 0;
    // Adds the rows, or replaces those of the same station and path, all or none.
    [[nodiscard]] virtual Status put(const std::vector<TestEntry>& entries) = 0;
    // Removes the rows of `station` at `paths`, all or none.
    [[nodiscard]] virtual Status remove(const QString& station, const QStringList& paths) = 0;
    // Puts `entries` and removes the rows of `station` at `removed`. Both catalogues do it in one
    // transaction, all or none; this fallback does the two in turn.
    [[nodiscard]] virtual Status apply(const std::vector<TestEntry>& entries, const QString& station,
                                       const QStringList& removed) {
        if (Status s = put(entries); !s)
            return s;
        return remove(station, removed);
    }
    // The rows `query` asks for, newest test first.
    [[nodiscard]] virtual Status entries(std::vector<TestEntry>& out, const RowQuery& query) = 0;
    // Every row, whole.
    [[nodiscard]] Status entries(std::vector<TestEntry>& out) { return entries(out, RowQuery()); }
};

// The version of the tables both catalogues keep; a catalogue of another version is not used.
inline constexpr int kCatalogueSchemaVersion = 1;

} // namespace corvin::history
