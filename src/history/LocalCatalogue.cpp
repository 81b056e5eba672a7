#include "history/LocalCatalogue.h"

#include "history/CatalogueTables.h"
#include "settings/DamagedStore.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QUuid>
#include <QVariant>
#include <sys/stat.h>

namespace corvin::history {
namespace {

// "CVHS": tells our catalogue from any other SQLite file that happens to carry its name.
constexpr int kApplicationId = 0x43564853;
constexpr int kBusyTimeoutMs = 5000;

const char* const kLocalTables[] = {
    "CREATE TABLE IF NOT EXISTS outbox (id INTEGER PRIMARY KEY AUTOINCREMENT, path TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS folders (path TEXT PRIMARY KEY)",
};

QSqlDatabase Connect(const QString& connection, const QString& file) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
    db.setDatabaseName(file);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyTimeoutMs));
    return db;
}

QString Pragma(QSqlDatabase& db, const QString& pragma, QString& problem) {
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("PRAGMA ") + pragma) || !q.next()) {
        problem = q.lastError().text();
        return {};
    }
    return q.value(0).toString();
}

Status Prepare(QSqlDatabase& db) {
    for (const char* statement : kLocalTables) {
        QSqlQuery q(db);
        if (!q.exec(QString::fromLatin1(statement)))
            return SqlFailure(QStringLiteral("The history tables could not be made"), q.lastError());
    }
    return CreateTables(db);
}

} // namespace

QString CatalogueFileIn(const QString& home) {
    return QDir(home).filePath(QStringLiteral("history.sqlite"));
}

LocalCatalogue::LocalCatalogue(QString path, const Clock& clock)
    : m_path(std::move(path)), m_connection(QUuid::createUuid().toString()) {
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    const QFileInfo info(m_path);
    if (!info.exists() && !info.isSymLink()) {
        if (const QString error = createFresh(); !error.isEmpty()) {
            m_notice = QStringLiteral("The test history \"%1\" could not be created (%2). Tests saved during "
                                      "this session are not kept in it; a rescan finds them later.")
                           .arg(m_path, error);
            openInMemory();
        }
        return;
    }
    const QString problem = tryOpen(m_path);
    if (problem.isEmpty())
        return;
    close();
    QString aside;
    if (Status moved = settings::SetStoreAside(m_path, clock.now(), aside); !moved) {
        m_notice =
            QStringLiteral("The test history \"%1\" could not be used (%2) and could not be moved aside "
                           "(%3). Tests saved during this session are not kept in it.")
                .arg(m_path, problem, moved.message());
        openInMemory();
        return;
    }
    if (const QString error = createFresh(); !error.isEmpty()) {
        m_notice =
            QStringLiteral("The test history \"%1\" could not be used (%2). It was moved to \"%3\", but "
                           "a new one could not be created (%4).")
                .arg(m_path, problem, aside, error);
        openInMemory();
        return;
    }
    m_notice =
        QStringLiteral("The test history \"%1\" could not be used (%2). It was moved to \"%3\" and a new "
                       "one was started; the rescan fills it again from the test data files.")
            .arg(m_path, problem, aside);
}

LocalCatalogue::~LocalCatalogue() {
    close();
}

void LocalCatalogue::close() {
    if (m_db.isValid()) {
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

// Opens the file and checks it thoroughly; returns what is wrong with it, or nothing.
QString LocalCatalogue::tryOpen(const QString& file) {
    // Only a plain file: opening a pipe would wait for a writer forever.
    if (struct stat st{}; ::stat(QFile::encodeName(file).constData(), &st) == 0 && !S_ISREG(st.st_mode))
        return QStringLiteral("it is not a plain file");
    if (QFileInfo(file).size() == 0)
        return QStringLiteral("the file is empty");
    m_db = Connect(m_connection, file);
    if (!m_db.open())
        return m_db.lastError().text();
    // Opening accepts any bytes at all; only reading the pages shows whether they are a database.
    QString problem;
    const QString check = Pragma(m_db, QStringLiteral("quick_check"), problem);
    if (!problem.isEmpty())
        return problem;
    if (check != QLatin1String("ok"))
        return QStringLiteral("it is damaged: %1").arg(check);
    if (Pragma(m_db, QStringLiteral("application_id"), problem).toInt() != kApplicationId ||
        !problem.isEmpty())
        return QStringLiteral("it is not a Corvin test history");
    int version = 0;
    if (Status s = SchemaVersionOf(m_db, version); !s)
        return s.message();
    if (version != kCatalogueSchemaVersion)
        return QStringLiteral("it is of another version (%1; this Corvin keeps version %2)")
            .arg(version)
            .arg(kCatalogueSchemaVersion);
    if (Status s = Prepare(m_db); !s)
        return s.message();
    Pragma(m_db, QStringLiteral("journal_mode = WAL"), problem);
    return {};
}

// A new catalogue is made under a temporary name and then renamed into place, so the name never
// shows a file that is only half made (which the next start would take for damage).
QString LocalCatalogue::createFresh() {
    QTemporaryFile temp(m_path + QStringLiteral(".new-XXXXXX"));
    if (!temp.open())
        return temp.errorString();
    temp.close();
    const QString building = QUuid::createUuid().toString();
    QString error;
    {
        QSqlDatabase db = Connect(building, temp.fileName());
        if (!db.open()) {
            error = db.lastError().text();
        } else {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA application_id = %1").arg(kApplicationId));
            if (Status s = Prepare(db); !s)
                error = s.message();
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(building);
    if (!error.isEmpty())
        return error;
    if (!temp.rename(m_path))
        return temp.errorString();
    temp.setAutoRemove(false);
    const QString problem = tryOpen(m_path);
    if (!problem.isEmpty())
        close();
    return problem;
}

void LocalCatalogue::openInMemory() {
    close();
    m_persistent = false;
    m_db = Connect(m_connection, QStringLiteral(":memory:"));
    if (m_db.open())
        static_cast<void>(Prepare(m_db));
}

Status LocalCatalogue::queue(const QStringList& paths) {
    if (!m_queueing)
        return Status::success();
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO outbox (path) VALUES (?)"));
    for (const QString& path : paths) {
        q.bindValue(0, path);
        if (!q.exec())
            return SqlFailure(QStringLiteral("The change could not be queued for the server"), q.lastError());
    }
    return Status::success();
}

Status LocalCatalogue::put(const std::vector<TestEntry>& entries) {
    return InTransaction(m_db, [&] {
        if (Status s = PutRows(m_db, entries); !s)
            return s;
        QStringList paths;
        for (const TestEntry& e : entries)
            paths << e.path;
        return queue(paths);
    });
}

Status LocalCatalogue::remove(const QString& station, const QStringList& paths) {
    return InTransaction(m_db, [&] {
        if (Status s = RemoveRows(m_db, station, paths); !s)
            return s;
        return queue(paths);
    });
}

Status LocalCatalogue::apply(const std::vector<TestEntry>& entries, const QString& station,
                             const QStringList& removed) {
    return InTransaction(m_db, [&] {
        if (Status s = PutRows(m_db, entries); !s)
            return s;
        if (Status s = RemoveRows(m_db, station, removed); !s)
            return s;
        QStringList paths = removed;
        for (const TestEntry& e : entries)
            paths << e.path;
        return queue(paths);
    });
}

Status LocalCatalogue::entryAt(const QString& station, const QString& path, std::optional<TestEntry>& out) {
    return ReadRow(m_db, station, path, out);
}

Status LocalCatalogue::entries(std::vector<TestEntry>& out, const RowQuery& query) {
    return ReadRows(m_db, QString(), query, out);
}

Status LocalCatalogue::entriesOf(const QString& station, std::vector<TestEntry>& out) {
    return ReadRows(m_db, station, RowQuery(), out);
}

Status LocalCatalogue::fileStates(const QString& station, std::map<QString, FileState>& out) {
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT path, size, modified_ms, record_size, record_modified_ms, sha256 FROM "
                             "tests WHERE station = ?"));
    q.addBindValue(station);
    if (!q.exec())
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    out.clear();
    while (q.next()) {
        out.emplace(q.value(0).toString(),
                    FileState{q.value(1).toLongLong(), q.value(2).toLongLong(), q.value(3).toLongLong(),
                              q.value(4).toLongLong(), q.value(5).toString()});
    }
    return Status::success();
}

Status LocalCatalogue::queued(int limit, std::vector<QueuedChange>& out) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, path FROM outbox ORDER BY id LIMIT ?"));
    q.addBindValue(limit);
    if (!q.exec())
        return SqlFailure(QStringLiteral("The queue for the server could not be read"), q.lastError());
    out.clear();
    while (q.next())
        out.push_back({q.value(0).toLongLong(), q.value(1).toString()});
    return Status::success();
}

Status LocalCatalogue::queuedCount(int& count) {
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT count(DISTINCT path) FROM outbox")) || !q.next())
        return SqlFailure(QStringLiteral("The queue for the server could not be read"), q.lastError());
    count = q.value(0).toInt();
    return Status::success();
}

Status LocalCatalogue::dequeue(qint64 id) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM outbox WHERE id <= ?"));
    q.addBindValue(id);
    if (!q.exec())
        return SqlFailure(QStringLiteral("The queue for the server could not be written"), q.lastError());
    return Status::success();
}

Status LocalCatalogue::queueAllFor(const QString& station, const QString& server) {
    QSqlQuery known(m_db);
    known.prepare(QStringLiteral("SELECT value FROM meta WHERE name = 'server'"));
    if (!known.exec())
        return SqlFailure(QStringLiteral("The history could not be read"), known.lastError());
    if (known.next() && known.value(0).toString() == server)
        return Status::success();
    return InTransaction(m_db, [&] {
        QSqlQuery all(m_db);
        all.prepare(QStringLiteral("INSERT INTO outbox (path) SELECT path FROM tests WHERE station = ?"));
        all.addBindValue(station);
        if (!all.exec())
            return SqlFailure(QStringLiteral("The tests could not be queued for the server"),
                              all.lastError());
        QSqlQuery mark(m_db);
        mark.prepare(QStringLiteral("INSERT INTO meta (name, value) VALUES ('server', ?) "
                                    "ON CONFLICT (name) DO UPDATE SET value = excluded.value"));
        mark.addBindValue(server);
        if (!mark.exec())
            return SqlFailure(QStringLiteral("The history could not be written"), mark.lastError());
        return Status::success();
    });
}

Status LocalCatalogue::extraFolders(QStringList& out) {
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT path FROM folders ORDER BY path")))
        return SqlFailure(QStringLiteral("The history's folders could not be read"), q.lastError());
    out.clear();
    while (q.next())
        out << q.value(0).toString();
    return Status::success();
}

Status LocalCatalogue::addFolder(const QString& folder) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT INTO folders (path) VALUES (?) ON CONFLICT (path) DO NOTHING"));
    q.addBindValue(QDir::cleanPath(folder));
    if (!q.exec())
        return SqlFailure(QStringLiteral("The folder could not be added to the history"), q.lastError());
    return Status::success();
}

Status LocalCatalogue::removeFolder(const QString& folder) {
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("DELETE FROM folders WHERE path = ?"));
    q.addBindValue(QDir::cleanPath(folder));
    if (!q.exec())
        return SqlFailure(QStringLiteral("The folder could not be removed from the history"), q.lastError());
    return Status::success();
}

} // namespace corvin::history
