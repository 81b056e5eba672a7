#pragma once
// Sending this station's queued history changes to a lab's server. A save writes only the
// catalogue in the home (with queueing on, so the change also enters its outbox) and never
// waits on the network; the sender takes the outbox to the server when it can.

#include "common/Clock.h"
#include "common/Status.h"
#include "history/ServerAddress.h"

#include <QObject>
#include <QString>
#include <memory>

class QThread;
class QTimer;

namespace corvin::history {

class Catalogue;
class LocalCatalogue;
class ServerCatalogue;

inline constexpr int kSendBatch = 200;

// Sends the queued changes in batches: for each queued path, this station's row as the local
// catalogue has it now, or its removal when the row is gone. Each batch is one transaction on
// the server and leaves the queue only after the server committed it; a failure in between
// sends the batch again next time, which changes nothing (rows are replaced, removals of rows
// already gone remove nothing). `sent` counts the tests the server took, also on failure.
[[nodiscard]] Status SendQueued(LocalCatalogue& local, Catalogue& server, const QString& station, int& sent,
                                int batchSize = kSendBatch);

// Keeps a lab's server up to date with the outbox of the catalogue in the home, in a thread of
// its own, and says how far it got for the status bar.
//
// Thread contract: the sender is made without a parent and moved to a QThread of its own
// (start() does that, starts the thread and asks for a first send). From then on it is reached
// only by queued calls of sendNow() (QMetaObject::invokeMethod with Qt::QueuedConnection, e.g.
// after every save) and through stateChanged(), which arrives queued in the receiver's thread.
// Its connections to the catalogue file and to the server are made in that thread, at its first
// send, as a QSqlDatabase connection belongs to the thread that made it; and it must be deleted
// there too: start() connects the thread's finished() to deleteLater(), so quit() and wait() on
// the thread end it (wait() may take up to one call's time-out while a send is under way).
// Start it once the program has opened the catalogue in the home (which sets a damaged file
// aside), so that the sender finds a good one. A test may instead keep a sender in its own
// thread and call sendNow() directly.
class HistorySender : public QObject {
    Q_OBJECT
public:
    static constexpr int kRetryMs = 30000;

    HistorySender(QString cataloguePath, ServerAddress address, QString station);
    ~HistorySender() override;

    static HistorySender* start(QThread& thread, QString cataloguePath, ServerAddress address,
                                QString station);

    // The last text sent with stateChanged().
    const QString& state() const { return m_state; }
    // Whether another try is due (something waits, or the server could not be used).
    bool retrying() const;

public slots:
    // Sends what waits; on any failure tries again every kRetryMs until all is sent.
    void sendNow();

signals:
    // "Lab history: up to date", "Lab history: 3 tests waiting for the server (why)", ...
    void stateChanged(const QString& text);
    // After every send: whether the server could be used.
    void serverReached(bool reached);

private:
    void setState(const QString& text);

    QString m_cataloguePath;
    ServerAddress m_address;
    QString m_station;
    SystemClock m_clock;
    std::unique_ptr<LocalCatalogue> m_local;
    std::unique_ptr<ServerCatalogue> m_server;
    QTimer* m_retry;
    QString m_state;
};

} // namespace corvin::history
