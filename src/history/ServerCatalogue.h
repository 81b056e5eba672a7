#pragma once
// A lab's shared test history on a PostgreSQL server, through Qt's QPSQL driver: the same
// tables and queries as the catalogue in the home. Every call is bounded in time (a connect
// time-out, TCP keepalives and a statement time-out), so a server that is gone or does not
// answer gives a failed Status within seconds, never a hang. A database without the tables gets
// them; one whose tables are of another version is refused and never written. (No client-side
// limit covers a server process that freezes while its machine still answers: a sender then
// waits in its own thread, never a window.)
//
// One object is one connection, for the thread that made it (QSqlDatabase's rule): a thread
// that sends to the server makes its own object there.

#include "history/Catalogue.h"
#include "history/ServerAddress.h"

#include <QSqlDatabase>
#include <functional>

namespace corvin::history {

class ServerCatalogue : public Catalogue {
public:
    // Seconds allowed for connecting, and for any one statement once connected.
    static constexpr int kConnectTimeoutS = 3;
    static constexpr int kStatementTimeoutMs = 5000;

    explicit ServerCatalogue(ServerAddress address);
    ~ServerCatalogue() override;
    ServerCatalogue(const ServerCatalogue&) = delete;
    ServerCatalogue& operator=(const ServerCatalogue&) = delete;

    // Connects and checks the tables, making them in an empty database. Every call below opens
    // first when it has to, so after a failure the next call tries the server again.
    [[nodiscard]] Status open();
    bool isOpen() const { return m_ready; }

    QString where() const override { return m_address.shown(); }
    Status put(const std::vector<TestEntry>& entries) override;
    Status remove(const QString& station, const QStringList& paths) override;
    Status apply(const std::vector<TestEntry>& entries, const QString& station,
                 const QStringList& removed) override;
    using Catalogue::entries;
    Status entries(std::vector<TestEntry>& out, const RowQuery& query) override;

private:
    Status limitStatements();
    Status checkTables();
    // Runs `work` on an open connection. A failure drops the connection: after a server
    // restart the old one is dead, and a fresh one is cheap next to the time-outs.
    Status call(const std::function<Status()>& work);
    void close();

    ServerAddress m_address;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_ready = false;
};

} // namespace corvin::history
