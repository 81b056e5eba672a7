#pragma once
// The test history as the program uses it: the catalogue in the home, noted at every save, kept
// in line with the disc by a rescan that runs in the background, and read by the History window.
// With a lab's server, this station's changes are also queued for it and sent by a sender in a
// thread of its own, and the window reads every station's tests from the server.
// Lives in the GUI thread; the rescan runs in a thread of its own on its own connection and
// reports back through rescanFinished.

#include "common/Clock.h"
#include "history/LocalCatalogue.h"
#include "history/Rescan.h"
#include "history/ServerAddress.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <memory>

namespace corvin::history {

// The name this station's rows carry: the host's name.
QString ThisStation();

class TestHistory : public QObject {
    Q_OBJECT
public:
    TestHistory(QString home, const Clock& clock, QObject* parent = nullptr);
    ~TestHistory() override;

    LocalCatalogue& local() { return m_local; }
    const QString& station() const { return m_station; }
    // What opening the catalogue found worth saying; empty when all was well.
    const QString& notice() const { return m_local.notice(); }

    // Notes a test data file just written (a save, a recovery save). A failure is the
    // history's alone: the test is saved, and the next rescan finds it.
    [[nodiscard]] Status noteSaved(const QString& path);

    // The folders a rescan walks.
    QStringList folders();
    [[nodiscard]] Status addFolder(const QString& folder);

    // Starts a rescan in the background unless one runs already; rescanFinished follows.
    void startRescan();
    bool rescanRunning() const { return m_rescan != nullptr; }
    // Runs a rescan here and now, in this thread (the command-line tool, the tests).
    [[nodiscard]] Status rescanNow(RescanCounts& counts);

    // From now on this station's changes also go to the lab's server at `address` (the
    // changes already in the home's catalogue included), and the tests are read from there.
    // `sending` Background: a sender in a thread of its own sends the queue from now on;
    // Caller: the caller sends it with sendQueuedNow (the command-line tool).
    enum class Sending { Background, Caller };
    [[nodiscard]] Status useServer(const QString& address, Sending sending = Sending::Background);
    bool hasServer() const { return m_serverSet; }
    // Sends what waits to the server here and now; `sent` counts the tests it took.
    [[nodiscard]] Status sendQueuedNow(int& sent);
    // What the sender last said ("Lab history: up to date", ...); empty without a server.
    const QString& serverState() const { return m_serverState; }
    // Asks the sender to send what waits (queued: it never holds up the caller).
    void sendSoon();
    // What the sender found at its last send. While the server is out of its reach, the lists
    // are this station's at once instead of after the connect time-out each time.
    void noteServerReached(bool reached);

    // The tests `query` asks for, newest first: every station's from the server (this
    // station's own rows from the home, where the newest are even before they reach it), or
    // this station's alone without one or when it cannot be reached (sourceText then says why).
    [[nodiscard]] Status entries(std::vector<TestEntry>& out, const RowQuery& query = {});
    // Where the last entries came from, for the window's foot.
    QString sourceText() const;
    // Why the last entries could not be read from the server; empty when they were.
    const QString& serverProblem() const { return m_serverProblem; }

signals:
    // `text`: the rescan's summary, or why it failed.
    void rescanFinished(const QString& text, bool ok);
    void serverStateChanged(const QString& text);
    // The server went out of reach or came back: whose tests there are to list changed.
    void serverReachChanged();

private:
    void rescanDone(const QString& text, bool ok);

    QString m_home;
    QString m_station;
    LocalCatalogue m_local;
    QThread* m_rescan = nullptr;
    std::atomic<bool> m_stop{false};
    ServerAddress m_address;
    QThread* m_sendThread = nullptr;
    class HistorySender* m_sender = nullptr;
    bool m_serverSet = false;
    bool m_serverAway = false;
    QString m_serverState;
    QString m_serverProblem; // why the last read could not reach the server
};

} // namespace corvin::history
