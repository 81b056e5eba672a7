#include "settings/RegistryStore.h"

#include "settings/DamagedStore.h"

#include "common/AtomicFile.h"
#include "common/Clock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryFile>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvin::settings {
namespace {

// "CRVG" in the file header marks a file as one of ours.
constexpr int kApplicationId = 0x43525647;
constexpr int kSchemaVersion = 1;
// How long an operation waits for another process that is writing the same file.
constexpr int kBusyTimeoutMs = 5000;
constexpr int kMaxKeyNameLength = 255;

constexpr const char* kSchema = R"(
PRAGMA application_id = 1129469511;
PRAGMA user_version = 1;
BEGIN;
CREATE TABLE keys(
    id INTEGER PRIMARY KEY,
    parent INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    UNIQUE(parent, folded));
CREATE TABLE vals(
    key INTEGER NOT NULL,
    name TEXT NOT NULL,
    folded TEXT NOT NULL,
    type INTEGER NOT NULL,
    data BLOB NOT NULL,
    PRIMARY KEY(key, folded));
INSERT INTO keys(id, parent, name, folded) VALUES
    (1, 0, 'HKEY_CLASSES_ROOT', 'hkey_classes_root'),
    (2, 0, 'HKEY_CURRENT_USER', 'hkey_current_user'),
    (3, 0, 'HKEY_LOCAL_MACHINE', 'hkey_local_machine');
COMMIT;
)";

static_assert(kApplicationId == 1129469511);
static_assert(kSchemaVersion == 1); // the user_version the schema sets

// Names compare as the registry compares them: without regard to case.
QString Fold(const QString& name) {
    return name.toCaseFolded();
}

int64_t RootId(uint32_t root) {
    switch (root) {
    case kHkeyClassesRoot:
        return 1;
    case kHkeyCurrentUser:
        return 2;
    case kHkeyLocalMachine:
        return 3;
    default:
        return 0;
    }
}

// One prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) { m_rc = sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr); }
    ~Statement() { sqlite3_finalize(m_stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    int prepared() const { return m_rc; }
    void bind(int i, int64_t v) { sqlite3_bind_int64(m_stmt, i, v); }
    void bind(int i, const QString& s) {
        const QByteArray utf8 = s.toUtf8();
        sqlite3_bind_text(m_stmt, i, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    }
    void bindBlob(int i, const QByteArray& b) {
        // An empty value is still a value: a zero-length blob, never NULL.
        if (b.isEmpty())
            sqlite3_bind_zeroblob(m_stmt, i, 0);
        else
            sqlite3_bind_blob(m_stmt, i, b.constData(), static_cast<int>(b.size()), SQLITE_TRANSIENT);
    }
    int step() { return m_rc == SQLITE_OK ? sqlite3_step(m_stmt) : m_rc; }
    int64_t integer(int col) const { return sqlite3_column_int64(m_stmt, col); }
    QString text(int col) const {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, col));
        return p ? QString::fromUtf8(p, sqlite3_column_bytes(m_stmt, col)) : QString();
    }
    QByteArray blob(int col) const {
        const void* p = sqlite3_column_blob(m_stmt, col);
        const int n = sqlite3_column_bytes(m_stmt, col);
        return p && n > 0 ? QByteArray(static_cast<const char*>(p), n) : QByteArray();
    }

private:
    sqlite3_stmt* m_stmt = nullptr;
    int m_rc = SQLITE_OK;
};

// A transaction that rolls back unless committed. Writers take the write lock at the start
// (BEGIN IMMEDIATE), so two writers queue on the busy timeout instead of one of them failing
// when it tries to upgrade a read lock.
class Transaction {
public:
    Transaction(sqlite3* db, bool write) : m_db(db) {
        m_rc = sqlite3_exec(db, write ? "BEGIN IMMEDIATE" : "BEGIN", nullptr, nullptr, nullptr);
    }
    ~Transaction() {
        if (m_rc == SQLITE_OK && !m_done)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    int begun() const { return m_rc; }
    int commit() {
        const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
        if (rc == SQLITE_OK)
            m_done = true;
        return rc;
    }

private:
    sqlite3* m_db;
    int m_rc;
    bool m_done = false;
};

// Serialises the check-and-repair at open between processes starting at the same time, so one
// cannot move aside the fresh store another has just put in place. Best effort: without the
// lock file (a read-only folder) the open goes ahead unguarded.
class OpenLock {
public:
    explicit OpenLock(const QString& path) {
        const QByteArray name = QFile::encodeName(path);
        m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~OpenLock() {
        if (m_fd >= 0) {
            ::flock(m_fd, LOCK_UN);
            ::close(m_fd);
        }
    }
    OpenLock(const OpenLock&) = delete;
    OpenLock& operator=(const OpenLock&) = delete;

private:
    int m_fd = -1;
};

// A new store is built as "<store>.new-XXXXXX" under the open lock; one still there when the
// lock is taken was left by a start that was killed half-way, and nobody will finish it.
void RemoveUnfinishedStores(const QString& path) {
    const QFileInfo store(path);
    const QString pattern = store.fileName() + QStringLiteral(".new-??????");
    const QDir folder = store.absoluteDir();
    for (const QString& name : folder.entryList({pattern, pattern + QStringLiteral("-journal")},
                                                QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(folder.filePath(name));
}

} // namespace

// ---- Opening, checking and replacing the file ----------------------------------------------

RegistryStore::RegistryStore(QString path, const Clock& clock) : m_path(std::move(path)) {
    open(clock);
}

RegistryStore::~RegistryStore() {
    closeDb();
}

void RegistryStore::closeDb() {
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

void RegistryStore::open(const Clock& clock) {
    const QString folder = QFileInfo(m_path).absolutePath();
    QDir().mkpath(folder);
    OpenLock lock(m_path + QStringLiteral(".lock"));
    RemoveUnfinishedStores(m_path);

    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        const QString error = createFresh();
        if (error.isEmpty())
            return;
        m_notice = QStringLiteral("The settings file \"%1\" could not be created (%2). Settings changed "
                                  "during this session will not be kept.")
                       .arg(m_path, error);
        openInMemory();
        return;
    }

    const QString problem = tryOpenExisting();
    if (problem.isEmpty()) {
        if (sqlite3_db_readonly(m_db, "main") == 1) {
            m_notice = QStringLiteral("The settings file \"%1\" is read-only. Settings changed during this "
                                      "session will not be kept.")
                           .arg(m_path);
        }
        return;
    }
    closeDb();

    QString aside;
    if (Status moved = SetStoreAside(m_path, clock.now(), aside); !moved) {
        m_notice = QStringLiteral("The settings file \"%1\" could not be used (%2) and could not be moved "
                                  "aside (%3). Settings changed during this session will not be kept.")
                       .arg(m_path, problem, moved.message());
        openInMemory();
        return;
    }

    const QString error = createFresh();
    if (!error.isEmpty()) {
        m_notice = QStringLiteral("The settings file \"%1\" could not be used (%2). It was moved to \"%3\", "
                                  "but a new settings file could not be created (%4). Settings changed "
                                  "during this session will not be kept.")
                       .arg(m_path, problem, aside, error);
        openInMemory();
        return;
    }
    m_notice = QStringLiteral("The settings file \"%1\" could not be used (%2). It was moved to \"%3\" and a "
                              "new settings file was started: the default probe and the recent files "
                              "list are empty again.")
                   .arg(m_path, problem, aside);
}

// Opens the file at m_path and checks it thoroughly; returns what is wrong with it, or nothing.
QString RegistryStore::tryOpenExisting() {
    // Only a plain file: opening a pipe would wait for a writer forever, with the lock held.
    if (struct stat info{};
        ::stat(QFile::encodeName(m_path).constData(), &info) == 0 && !S_ISREG(info.st_mode))
        return QStringLiteral("it is not a plain file");
    {
        QFile probe(m_path);
        if (!probe.open(QIODevice::ReadOnly))
            return probe.errorString();
        // SQLite would take an empty file for an empty database; ours never is one.
        if (probe.size() == 0)
            return QStringLiteral("the file is empty");
    }
    const QByteArray name = QFile::encodeName(m_path);
    int rc = sqlite3_open_v2(name.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        return QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc));
    sqlite3_busy_timeout(m_db, kBusyTimeoutMs);

    // Opening accepts any bytes at all; only reading the pages shows whether they are a database.
    {
        Statement check(m_db, "PRAGMA quick_check");
        rc = check.step();
        if (rc != SQLITE_ROW)
            return QString::fromUtf8(sqlite3_errmsg(m_db));
        const QString verdict = check.text(0);
        if (verdict != QLatin1String("ok"))
            return QStringLiteral("it is damaged: %1").arg(verdict);
    }
    {
        Statement id(m_db, "PRAGMA application_id");
        if (id.step() != SQLITE_ROW || id.integer(0) != kApplicationId)
            return QStringLiteral("it is not a Corvin settings file");
    }
    {
        Statement tables(
            m_db, "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name IN ('keys', 'vals')");
        if (tables.step() != SQLITE_ROW || tables.integer(0) != 2)
            return QStringLiteral("it is not a Corvin settings file");
        Statement roots(m_db, "SELECT count(*) FROM keys WHERE id IN (1, 2, 3) AND parent = 0");
        if (roots.step() != SQLITE_ROW || roots.integer(0) != 3)
            return QStringLiteral("it is not a Corvin settings file");
    }
    sqlite3_exec(m_db, "PRAGMA synchronous = FULL", nullptr, nullptr, nullptr);
    return {};
}

QString RegistryStore::initialiseSchema(sqlite3* db) {
    char* error = nullptr;
    if (sqlite3_exec(db, kSchema, nullptr, nullptr, &error) != SQLITE_OK) {
        const QString text = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        return text;
    }
    return {};
}

// A new store is built under a temporary name and then linked into place, so the store's name
// never shows a file that is only half made (which the next start would take for damage).
QString RegistryStore::createFresh() {
    QTemporaryFile temp(m_path + QStringLiteral(".new-XXXXXX"));
    if (!temp.open())
        return temp.errorString();
    temp.close();
    const QByteArray tempName = QFile::encodeName(temp.fileName());

    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(tempName.constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    QString error = rc == SQLITE_OK ? initialiseSchema(db) : QString::fromUtf8(sqlite3_errstr(rc));
    sqlite3_close_v2(db);
    if (!error.isEmpty())
        return error;

    const QByteArray target = QFile::encodeName(m_path);
    if (::link(tempName.constData(), target.constData()) != 0 && errno != EEXIST) {
        // Some file systems have no hard links; the open lock keeps a plain rename safe enough.
        if (QFileInfo::exists(m_path) || ::rename(tempName.constData(), target.constData()) != 0)
            return SystemError(errno);
    }
    static_cast<void>(SyncFolder(QFileInfo(m_path).absolutePath())); // as above
    return tryOpenExisting();
}

void RegistryStore::openInMemory() {
    closeDb();
    m_persistent = false;
    sqlite3_open(":memory:", &m_db);
    initialiseSchema(m_db);
}

// ---- Keys ----------------------------------------------------------------------------------

template <class Query> int32_t RegistryStore::stepToRow(Query& s, const RegKey& key, uint32_t index) {
    s.bind(1, key.id());
    s.bind(2, static_cast<int64_t>(index));
    const int rc = s.step();
    if (rc == SQLITE_ROW)
        return kErrorSuccess;
    return rc == SQLITE_DONE ? kErrorNoMoreItems : fail(rc);
}

int32_t RegistryStore::fail(int sqliteCode) {
    m_lastError = QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(sqliteCode));
    switch (sqliteCode & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return kErrorBusy;
    case SQLITE_FULL:
        return kErrorDiskFull;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        return kErrorRegistryCorrupt;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return kErrorAccessDenied;
    default:
        return kErrorRegistryIoFailed;
    }
}

int32_t RegistryStore::checkHandle(const RegKey& key, uint32_t needed) const {
    if (!key.isOpen() || key.store() != this)
        return kErrorInvalidHandle;
    if ((key.access() & needed) != needed)
        return kErrorAccessDenied;
    return kErrorSuccess;
}

bool RegistryStore::keyExists(int64_t id) {
    Statement s(m_db, "SELECT 1 FROM keys WHERE id = ?1");
    s.bind(1, id);
    return s.step() == SQLITE_ROW;
}

// Walks root\subKey one key at a time inside the caller's transaction.
int32_t RegistryStore::resolve(uint32_t root, const QString& subKey, bool create, int64_t& id,
                               bool* created) {
    id = RootId(root);
    if (id == 0)
        return kErrorInvalidHandle;
    if (subKey.isEmpty())
        return kErrorSuccess;
    QStringList parts = subKey.split(QLatin1Char('\\'));
    if (parts.size() > 1 && parts.last().isEmpty())
        parts.removeLast(); // a trailing "\" is tolerated
    for (const QString& part : parts) {
        if (part.isEmpty())
            return kErrorBadPathname;
        if (part.size() > kMaxKeyNameLength)
            return kErrorInvalidParameter;
    }
    for (const QString& part : parts) {
        Statement find(m_db, "SELECT id FROM keys WHERE parent = ?1 AND folded = ?2");
        find.bind(1, id);
        find.bind(2, Fold(part));
        const int rc = find.step();
        if (rc == SQLITE_ROW) {
            id = find.integer(0);
            continue;
        }
        if (rc != SQLITE_DONE)
            return fail(rc);
        if (!create)
            return kErrorFileNotFound;
        Statement add(m_db, "INSERT INTO keys(parent, name, folded) VALUES (?1, ?2, ?3)");
        add.bind(1, id);
        add.bind(2, part);
        add.bind(3, Fold(part));
        if (const int arc = add.step(); arc != SQLITE_DONE)
            return fail(arc);
        id = sqlite3_last_insert_rowid(m_db);
        if (created)
            *created = true;
    }
    return kErrorSuccess;
}

int32_t RegistryStore::OpenKey(uint32_t root, const QString& subKey, uint32_t access, RegKey& result) {
    result.close();
    Transaction tx(m_db, false);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    int64_t id = 0;
    if (const int32_t r = resolve(root, subKey, false, id, nullptr); r != kErrorSuccess)
        return r;
    if (const int rc = tx.commit(); rc != SQLITE_OK)
        return fail(rc);
    result = RegKey(this, id, access);
    return kErrorSuccess;
}

int32_t RegistryStore::CreateKey(uint32_t root, const QString& subKey, uint32_t access, RegKey& result,
                                 bool* created) {
    result.close();
    if (created)
        *created = false;
    if (RootId(root) == 0)
        return kErrorInvalidHandle;
    Transaction tx(m_db, true);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    int64_t id = 0;
    bool made = false;
    if (const int32_t r = resolve(root, subKey, true, id, &made); r != kErrorSuccess)
        return r;
    if (const int rc = tx.commit(); rc != SQLITE_OK)
        return fail(rc);
    if (created)
        *created = made;
    result = RegKey(this, id, access);
    return kErrorSuccess;
}

int32_t RegistryStore::DeleteKey(uint32_t root, const QString& subKey) {
    if (RootId(root) == 0)
        return kErrorInvalidHandle;
    if (subKey.isEmpty())
        return kErrorAccessDenied; // a root cannot be deleted
    Transaction tx(m_db, true);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    int64_t id = 0;
    if (const int32_t r = resolve(root, subKey, false, id, nullptr); r != kErrorSuccess)
        return r;
    Statement children(m_db, "SELECT 1 FROM keys WHERE parent = ?1 LIMIT 1");
    children.bind(1, id);
    const int crc = children.step();
    if (crc == SQLITE_ROW)
        return kErrorAccessDenied;
    if (crc != SQLITE_DONE)
        return fail(crc);
    Statement values(m_db, "DELETE FROM vals WHERE key = ?1");
    values.bind(1, id);
    if (const int rc = values.step(); rc != SQLITE_DONE)
        return fail(rc);
    Statement key(m_db, "DELETE FROM keys WHERE id = ?1");
    key.bind(1, id);
    if (const int rc = key.step(); rc != SQLITE_DONE)
        return fail(rc);
    if (const int rc = tx.commit(); rc != SQLITE_OK)
        return fail(rc);
    return kErrorSuccess;
}

int32_t RegistryStore::CloseKey(RegKey& key) {
    if (!key.isOpen())
        return kErrorInvalidHandle;
    key.close();
    return kErrorSuccess;
}

// ---- Values --------------------------------------------------------------------------------

int32_t RegistryStore::SetValue(const RegKey& key, const QString& name, uint32_t type,
                                const QByteArray& data) {
    if (const int32_t r = checkHandle(key, kKeySetValue); r != kErrorSuccess)
        return r;
    Transaction tx(m_db, true);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    if (!keyExists(key.id()))
        return kErrorKeyDeleted;
    // A value written again keeps the spelling of its name and its place in the enumeration.
    Statement s(m_db, "INSERT INTO vals(key, name, folded, type, data) VALUES (?1, ?2, ?3, ?4, ?5) "
                      "ON CONFLICT(key, folded) DO UPDATE SET type = excluded.type, data = excluded.data");
    s.bind(1, key.id());
    s.bind(2, name);
    s.bind(3, Fold(name));
    s.bind(4, static_cast<int64_t>(type));
    s.bindBlob(5, data);
    if (const int rc = s.step(); rc != SQLITE_DONE)
        return fail(rc);
    if (const int rc = tx.commit(); rc != SQLITE_OK)
        return fail(rc);
    return kErrorSuccess;
}

int32_t RegistryStore::QueryValue(const RegKey& key, const QString& name, uint32_t* type, char* data,
                                  uint32_t* size) {
    if (const int32_t r = checkHandle(key, kKeyQueryValue); r != kErrorSuccess)
        return r;
    if (data && !size)
        return kErrorInvalidParameter;
    Transaction tx(m_db, false);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    Statement s(m_db, "SELECT type, data FROM vals WHERE key = ?1 AND folded = ?2");
    s.bind(1, key.id());
    s.bind(2, Fold(name));
    const int rc = s.step();
    if (rc == SQLITE_DONE)
        return keyExists(key.id()) ? kErrorFileNotFound : kErrorKeyDeleted;
    if (rc != SQLITE_ROW)
        return fail(rc);
    const QByteArray stored = s.blob(1);
    const auto storedSize = static_cast<uint32_t>(stored.size());
    if (type)
        *type = static_cast<uint32_t>(s.integer(0));
    if (data) {
        if (*size < storedSize) {
            *size = storedSize;
            return kErrorMoreData;
        }
        if (storedSize > 0)
            std::memcpy(data, stored.constData(), storedSize);
    }
    if (size)
        *size = storedSize;
    return kErrorSuccess;
}

int32_t RegistryStore::DeleteValue(const RegKey& key, const QString& name) {
    if (const int32_t r = checkHandle(key, kKeySetValue); r != kErrorSuccess)
        return r;
    Transaction tx(m_db, true);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    Statement s(m_db, "DELETE FROM vals WHERE key = ?1 AND folded = ?2");
    s.bind(1, key.id());
    s.bind(2, Fold(name));
    if (const int rc = s.step(); rc != SQLITE_DONE)
        return fail(rc);
    if (sqlite3_changes(m_db) == 0)
        return keyExists(key.id()) ? kErrorFileNotFound : kErrorKeyDeleted;
    if (const int rc = tx.commit(); rc != SQLITE_OK)
        return fail(rc);
    return kErrorSuccess;
}

int32_t RegistryStore::EnumValue(const RegKey& key, uint32_t index, QString& name, uint32_t& nameCapacity,
                                 uint32_t* type) {
    if (const int32_t r = checkHandle(key, kKeyQueryValue); r != kErrorSuccess)
        return r;
    Statement s(m_db, "SELECT name, type FROM vals WHERE key = ?1 ORDER BY rowid LIMIT 1 OFFSET ?2");
    if (const int32_t r = stepToRow(s, key, index); r != kErrorSuccess)
        return r;
    const QString found = s.text(0);
    if (static_cast<uint32_t>(found.size()) + 1 > nameCapacity)
        return kErrorMoreData;
    name = found;
    nameCapacity = static_cast<uint32_t>(found.size());
    if (type)
        *type = static_cast<uint32_t>(s.integer(1));
    return kErrorSuccess;
}

int32_t RegistryStore::EnumKey(const RegKey& key, uint32_t index, QString& name) {
    if (const int32_t r = checkHandle(key, kKeyEnumerateSubKeys); r != kErrorSuccess)
        return r;
    Statement s(m_db, "SELECT name FROM keys WHERE parent = ?1 ORDER BY folded LIMIT 1 OFFSET ?2");
    if (const int32_t r = stepToRow(s, key, index); r != kErrorSuccess)
        return r;
    name = s.text(0);
    return kErrorSuccess;
}

int32_t RegistryStore::QueryInfoKey(const RegKey& key, RegKeyInfo& info) {
    if (const int32_t r = checkHandle(key, kKeyQueryValue); r != kErrorSuccess)
        return r;
    Transaction tx(m_db, false);
    if (tx.begun() != SQLITE_OK)
        return fail(tx.begun());
    if (!keyExists(key.id()))
        return kErrorKeyDeleted;
    Statement keys(m_db, "SELECT count(*), coalesce(max(length(name)), 0) FROM keys WHERE parent = ?1");
    keys.bind(1, key.id());
    if (const int rc = keys.step(); rc != SQLITE_ROW)
        return fail(rc);
    Statement vals(m_db, "SELECT count(*), coalesce(max(length(name)), 0), coalesce(max(length(data)), 0) "
                         "FROM vals WHERE key = ?1");
    vals.bind(1, key.id());
    if (const int rc = vals.step(); rc != SQLITE_ROW)
        return fail(rc);
    info.subKeys = static_cast<uint32_t>(keys.integer(0));
    info.maxSubKeyLen = static_cast<uint32_t>(keys.integer(1));
    info.values = static_cast<uint32_t>(vals.integer(0));
    info.maxValueNameLen = static_cast<uint32_t>(vals.integer(1));
    info.maxValueLen = static_cast<uint32_t>(vals.integer(2));
    return kErrorSuccess;
}

} // namespace corvin::settings
