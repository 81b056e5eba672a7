#include "history/ServerCatalogue.h"

#include "history/CatalogueTables.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QUuid>

namespace corvin::history {
namespace {

// TCP keepalives and a limit on unacknowledged data: a server that vanishes from the network
// while a statement runs is noticed within about 25 s instead of the system's two hours. (The
// statement time-out bounds a server that is there but slow.)
const char kKeepalives[] =
    "keepalives=1;keepalives_idle=10;keepalives_interval=5;keepalives_count=3;tcp_user_timeout=20000";

// A libpq setting, its value quoted so that spaces and quotes in it stay part of it.
QString Setting(const QString& key, QString value) {
    value.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    return key + QStringLiteral("='") + value + QLatin1Char('\'');
}

QString ConnectOptions(const ServerAddress& address) {
    QStringList settings{Setting(QStringLiteral("connect_timeout"),
                                 address.option(QStringLiteral("connect_timeout"),
                                                QString::number(ServerCatalogue::kConnectTimeoutS))),
                         QString::fromLatin1(kKeepalives)};
    for (const auto& [key, value] : address.options) {
        if (key != QLatin1String("connect_timeout"))
            settings << Setting(key, value);
    }
    return settings.join(QLatin1Char(';'));
}

// libpq's own words, on one line for the status bar.
QString DriverWords(const QSqlError& error) {
    QString words = error.databaseText().simplified();
    return words.isEmpty() ? error.text().simplified() : words;
}

} // namespace

ServerCatalogue::ServerCatalogue(ServerAddress address)
    : m_address(std::move(address)), m_connection(QUuid::createUuid().toString()) {}

ServerCatalogue::~ServerCatalogue() {
    close();
}

void ServerCatalogue::close() {
    m_ready = false;
    m_db.close();
    m_db = QSqlDatabase();
    // Also a connection whose driver could not be loaded keeps its name until removed.
    if (QSqlDatabase::contains(m_connection))
        QSqlDatabase::removeDatabase(m_connection);
}

Status ServerCatalogue::open() {
    close();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!m_db.isValid()) {
        close();
        return Status::failure(
            QStringLiteral("The lab history at %1 cannot be used: Qt's PostgreSQL driver is not "
                           "installed (the package libqt6sql6-psql)")
                .arg(where()));
    }
    m_db.setHostName(m_address.host);
    m_db.setPort(m_address.port);
    m_db.setDatabaseName(m_address.database);
    m_db.setUserName(m_address.user);
    m_db.setPassword(m_address.password);
    m_db.setConnectOptions(ConnectOptions(m_address));
    if (!m_db.open()) {
        const Status failed = Status::failure(QStringLiteral("Could not connect to the lab history at %1: %2")
                                                  .arg(where(), DriverWords(m_db.lastError())));
        close();
        return failed;
    }
    Status s = limitStatements();
    if (s)
        s = checkTables();
    if (!s) {
        close();
        return s;
    }
    m_ready = true;
    return Status::success();
}

Status ServerCatalogue::limitStatements() {
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SET statement_timeout = %1").arg(kStatementTimeoutMs)))
        return SqlFailure(QStringLiteral("The lab history at %1 could not be set up").arg(where()),
                          q.lastError());
    return Status::success();
}

// Tables are made only in a database that has none of ours: a lab may give stations the right
// to write rows but not to make tables, and an existing history is never changed in shape.
Status ServerCatalogue::checkTables() {
    const QStringList tables = m_db.tables();
    const bool hasMeta = tables.contains(QStringLiteral("meta"));
    if (!hasMeta && !tables.contains(QStringLiteral("tests")))
        return InTransaction(m_db, [this] { return CreateTables(m_db); });
    int version = 0;
    if (Status s = SchemaVersionOf(m_db, version); !s)
        return s;
    if (version == kCatalogueSchemaVersion)
        return Status::success();
    if (!hasMeta)
        return Status::failure(
            QStringLiteral("The database of %1 holds a table \"tests\" that is not a Corvin test "
                           "history (it records no version); Corvin does not write to it")
                .arg(where()));
    const QString which =
        version < kCatalogueSchemaVersion
            ? QStringLiteral("older than this Corvin needs (version %1); ask for it to be upgraded")
            : QStringLiteral("newer than this Corvin knows (version %1); update Corvin on this "
                             "station");
    return Status::failure(
        QStringLiteral("The lab history at %1 keeps its tables in version %2, %3. Corvin does not "
                       "write to it.")
            .arg(where(), QString::number(version), which.arg(kCatalogueSchemaVersion)));
}

Status ServerCatalogue::call(const std::function<Status()>& work) {
    if (!m_ready) {
        if (Status s = open(); !s)
            return s;
    }
    Status s = work();
    if (!s)
        close();
    return s;
}

Status ServerCatalogue::put(const std::vector<TestEntry>& entries) {
    return call([&] { return InTransaction(m_db, [&] { return PutRows(m_db, entries); }); });
}

Status ServerCatalogue::remove(const QString& station, const QStringList& paths) {
    return call([&] { return InTransaction(m_db, [&] { return RemoveRows(m_db, station, paths); }); });
}

Status ServerCatalogue::apply(const std::vector<TestEntry>& entries, const QString& station,
                              const QStringList& removed) {
    return call([&] {
        return InTransaction(m_db, [&] {
            if (Status s = PutRows(m_db, entries); !s)
                return s;
            return RemoveRows(m_db, station, removed);
        });
    });
}

Status ServerCatalogue::entries(std::vector<TestEntry>& out, const RowQuery& query) {
    return call([&] { return ReadRows(m_db, QString(), query, out); });
}

} // namespace corvin::history
