#pragma once
// The test history kept in the Corvin home (history.sqlite): this station's rows, the folders
// the user added to the rescan, and the queue of changes waiting for a lab's server. Opened
// with the settings store's rule: a file that is not a usable catalogue is moved aside with a
// timestamp and a new one started (a rescan fills it again), and the program goes on.
//
// One object is one connection, for the thread that made it; a background rescan opens its own.

#include "common/Clock.h"
#include "history/Catalogue.h"

#include <QSqlDatabase>
#include <map>
#include <optional>

namespace corvin::history {

QString CatalogueFileIn(const QString& home); // HOME/history.sqlite

// What the catalogue last saw of a file, to tell whether it changed.
struct FileState {
    qint64 size = 0;
    qint64 modifiedMs = 0;
    qint64 recordSize = -1;
    qint64 recordModifiedMs = -1;
    QString sha256;
};

// A change waiting for the server: the path's row now (or its removal when the row is gone).
struct QueuedChange {
    qint64 id = 0;
    QString path;
};

class LocalCatalogue : public Catalogue {
public:
    LocalCatalogue(QString path, const Clock& clock);
    ~LocalCatalogue() override;
    LocalCatalogue(const LocalCatalogue&) = delete;
    LocalCatalogue& operator=(const LocalCatalogue&) = delete;

    // What the opening found worth saying (a damaged file set aside); empty when all was well.
    const QString& notice() const { return m_notice; }
    // False when not even a new file could be made: the catalogue then lives in memory.
    bool persistent() const { return m_persistent; }

    QString where() const override { return m_path; }
    // Changes made while queueing is on also go into the queue for the server, in the same
    // transaction.
    Status put(const std::vector<TestEntry>& entries) override;
    Status remove(const QString& station, const QStringList& paths) override;
    Status apply(const std::vector<TestEntry>& entries, const QString& station,
                 const QStringList& removed) override;
    using Catalogue::entries;
    Status entries(std::vector<TestEntry>& out, const RowQuery& query) override;
    Status entriesOf(const QString& station, std::vector<TestEntry>& out);
    // The row of `station` at `path`; nothing when the catalogue has none (any more).
    [[nodiscard]] Status entryAt(const QString& station, const QString& path, std::optional<TestEntry>& out);

    [[nodiscard]] Status fileStates(const QString& station, std::map<QString, FileState>& out);

    void setQueueing(bool on) { m_queueing = on; }
    [[nodiscard]] Status queued(int limit, std::vector<QueuedChange>& out);
    // How many tests have a change waiting (a test saved twice is one).
    [[nodiscard]] Status queuedCount(int& count);
    // Drops the queued changes up to and including `id`, once the server has them.
    [[nodiscard]] Status dequeue(qint64 id);
    // Queues every row of `station` once for a server the catalogue has not sent to before
    // (`server` names it): the tests catalogued before it was chosen reach it too.
    [[nodiscard]] Status queueAllFor(const QString& station, const QString& server);

    // Folders the user added to the rescan, besides the home's Data and TESTS.
    [[nodiscard]] Status extraFolders(QStringList& out);
    [[nodiscard]] Status addFolder(const QString& folder);
    [[nodiscard]] Status removeFolder(const QString& folder);

private:
    QString tryOpen(const QString& file);
    QString createFresh();
    void openInMemory();
    void close();
    Status queue(const QStringList& paths);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    QString m_notice;
    bool m_persistent = true;
    bool m_queueing = false;
};

} // namespace corvin::history
