#pragma once
// The recent-files list of the File menu: up to MaxFileCount full paths, entry 1 the most recent.
// The main window owns one, loads it at start-up and saves it at shutdown through a cRegistry set
// to the current user's key "Software\Tarvik\Corvin\MDI\Recent" (values "MaxCount", "Count" and
// "File1".."FileN"). Indices run from 1; an index outside 1..MaxFileCount reads as an empty entry.

#include <QString>
#include <QStringList>
#include <cstdint>

namespace corvin::settings {

class cRegistry;

// Where the list lives in the settings store (a registry path: "\" between keys).
inline const QString kRecentFilesKey = QStringLiteral("Software\\Tarvik\\Corvin\\MDI\\Recent");
// The capacity the program gives the list at start-up, whatever was stored.
constexpr int32_t kRecentFilesCapacity = 4;

class cMRUFileList {
public:
    int32_t MaxFileCount() const { return m_capacity; }
    // A new capacity keeps the entries that fit; the count never exceeds the capacity.
    void setMaxFileCount(int32_t capacity);
    int32_t FileCount() const { return m_count; }

    // Entry i, or empty text outside 1..MaxFileCount.
    QString file(int32_t i) const;
    // Whether entry i holds any text (the disk is not asked).
    bool FileExists(int32_t i) const;
    // "&i)  " and the entry, shortened when long (see Caption).
    QString MenuCaption(int32_t i) const;

    // Puts an existing file at the top: an entry equal to it without regard to case moves up,
    // otherwise the list grows (or, when full, drops its last entry). A path that names no file
    // on disk changes nothing.
    void AddFile(const QString& path);

    // Writes MaxCount, Count and File1..FileCount under the registry object's ClassKey and
    // SectionKey, which the caller sets. False when a write failed (the list is unchanged).
    bool Save(cRegistry& registry) const;
    // Reads the list back, keeping only entries whose file still exists and deleting the stored
    // values of the others. True also when nothing was stored; false when the store failed or its
    // values are not a list this program wrote (the list then holds what was read so far: with a
    // count above the capacity, the existing entries that fit). A path Windows-1252 cannot spell
    // is stored as its UTF-8 bytes and reads back as the same path.
    bool Load(cRegistry& registry);

    // The caption rule: "&" + i + ")  " + the path, where a path longer than 32 characters is
    // shown as "..." followed by the longest tail that starts at a "/" and has at most 32
    // characters after it (or, when even the file name is longer, everything from the first "/").
    static QString caption(int32_t i, const QString& path);

    // Largest stored capacity Load accepts; anything larger is not a list this program wrote.
    static constexpr int32_t kMaxStoredCapacity = 1024;

private:
    bool inRange(int32_t i) const { return i >= 1 && i <= m_capacity; }

    int32_t m_capacity = 0;
    int32_t m_count = 0;
    QStringList m_files; // m_files[i - 1] is entry i; m_capacity entries
};

} // namespace corvin::settings
