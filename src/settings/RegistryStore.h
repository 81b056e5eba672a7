#pragma once
// The program's registry: a typed key/value store in one SQLite file, with the roots, key paths,
// value names, value types and result codes of the Windows registry functions the program was
// written against. Key paths use "\" between keys (they are registry paths, not file paths);
// key and value names compare without regard to case and keep the spelling they were created
// with. A value is a type number and the raw bytes the registry would hold (strings as ANSI
// bytes, with or without a terminating NUL exactly as the writer gave them).
//
// Every operation is its own SQLite transaction, and the file is shared safely with a second
// store object or a second process using the same file: writers wait for each other (busy
// timeout) instead of failing. A store object itself belongs to one thread.
//
// Opening never fails. A store file that cannot be read or is damaged is moved aside under a
// name with a time stamp (never deleted) and a new, empty store is started in its place; if
// even that is impossible the store runs in memory for this session. Either way notice() then
// holds one message for the user, which the application shows once at start-up.

#include "settings/RegKey.h"

#include <QByteArray>
#include <QString>
#include <cstdint>

struct sqlite3;

namespace corvin {
class Clock;
}

namespace corvin::settings {

// Root keys, as the registry numbers them.
constexpr uint32_t kHkeyClassesRoot = 0x80000000u;
constexpr uint32_t kHkeyCurrentUser = 0x80000001u;
constexpr uint32_t kHkeyLocalMachine = 0x80000002u;

// Value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegDwordBigEndian = 5;
constexpr uint32_t kRegMultiSz = 7;

// Access masks.
constexpr uint32_t kKeyQueryValue = 0x01;
constexpr uint32_t kKeySetValue = 0x02;
constexpr uint32_t kKeyCreateSubKey = 0x04;
constexpr uint32_t kKeyEnumerateSubKeys = 0x08;
constexpr uint32_t kKeyAllAccess = 0x3F;

// Result codes (0 = success).
constexpr int32_t kErrorSuccess = 0;
constexpr int32_t kErrorFileNotFound = 2;
constexpr int32_t kErrorAccessDenied = 5;
constexpr int32_t kErrorInvalidHandle = 6;
constexpr int32_t kErrorInvalidData = 13;
constexpr int32_t kErrorDiskFull = 112;
constexpr int32_t kErrorInvalidParameter = 87;
constexpr int32_t kErrorBadPathname = 161;
constexpr int32_t kErrorBusy = 170;
constexpr int32_t kErrorMoreData = 234;
constexpr int32_t kErrorNoMoreItems = 259;
constexpr int32_t kErrorRegistryCorrupt = 1015;
constexpr int32_t kErrorRegistryIoFailed = 1016;
constexpr int32_t kErrorKeyDeleted = 1018;

// What QueryInfoKey reports about a key. Lengths are in characters, without a terminating NUL.
struct RegKeyInfo {
    uint32_t subKeys = 0;
    uint32_t maxSubKeyLen = 0;
    uint32_t values = 0;
    uint32_t maxValueNameLen = 0;
    uint32_t maxValueLen = 0; // bytes
};

class RegistryStore {
public:
    // Opens (or creates) the store file at `path`; `clock` dates the name a damaged file is
    // moved to. The folder is created when missing.
    RegistryStore(QString path, const Clock& clock);
    ~RegistryStore();
    RegistryStore(const RegistryStore&) = delete;
    RegistryStore& operator=(const RegistryStore&) = delete;

    const QString& path() const { return m_path; }
    // The one message about what happened to the store file when it was opened; empty when it
    // opened cleanly.
    const QString& notice() const { return m_notice; }
    // False when the store runs in memory only (the file could be neither used nor replaced).
    bool persistent() const { return m_persistent; }
    // SQLite's words for the last failed operation, for diagnostics.
    const QString& lastError() const { return m_lastError; }

    // RegOpenKeyEx: opens root\subKey ("" opens the root itself). 2 when the key is missing.
    int32_t OpenKey(uint32_t root, const QString& subKey, uint32_t access, RegKey& result);
    // RegCreateKeyEx: opens root\subKey, creating every missing key on the way.
    int32_t CreateKey(uint32_t root, const QString& subKey, uint32_t access, RegKey& result,
                      bool* created = nullptr);
    // RegDeleteKey: deletes root\subKey with its values; a key with sub-keys is refused (5).
    int32_t DeleteKey(uint32_t root, const QString& subKey);
    // RegCloseKey.
    static int32_t CloseKey(RegKey& key);

    // RegSetValueEx: stores `data` as it is under `type`; the key needs set-value access.
    int32_t SetValue(const RegKey& key, const QString& name, uint32_t type, const QByteArray& data);
    // RegQueryValueEx. With `data` null it reports type and size. Otherwise `*size` is the
    // buffer's capacity in bytes: a buffer too small gives 234 (more data) and the size needed,
    // else the data are copied and `*size` is their size. `type` may be null.
    int32_t QueryValue(const RegKey& key, const QString& name, uint32_t* type, char* data, uint32_t* size);
    // RegDeleteValue.
    int32_t DeleteValue(const RegKey& key, const QString& name);
    // RegEnumValue: the name of value `index` (in the order the values were first stored).
    // `nameCapacity` is the name buffer in characters including room for a NUL; a name that
    // does not fit gives 234. On success it becomes the name's length. 259 past the last value.
    int32_t EnumValue(const RegKey& key, uint32_t index, QString& name, uint32_t& nameCapacity,
                      uint32_t* type = nullptr);
    // RegEnumKeyEx with a 255-character buffer: the name of sub-key `index`, sub-keys in
    // alphabetical order without regard to case. 259 past the last one.
    int32_t EnumKey(const RegKey& key, uint32_t index, QString& name);
    // RegQueryInfoKey.
    int32_t QueryInfoKey(const RegKey& key, RegKeyInfo& info);

private:
    void open(const Clock& clock);
    QString tryOpenExisting();
    QString createFresh();
    QString initialiseSchema(sqlite3* db);
    void openInMemory();
    void closeDb();

    int32_t checkHandle(const RegKey& key, uint32_t needed) const;
    int32_t resolve(uint32_t root, const QString& subKey, bool create, int64_t& id, bool* created);
    bool keyExists(int64_t id);
    int32_t fail(int sqliteCode);
    // Steps an enumeration query (?1 the key, ?2 the index) to its row: success, no more items,
    // or the store's failure.
    template <class Query>
    int32_t stepToRow(Query& s, const RegKey& key, uint32_t index);

    QString m_path;
    QString m_notice;
    QString m_lastError;
    bool m_persistent = true;
    sqlite3* m_db = nullptr;
};

} // namespace corvin::settings
