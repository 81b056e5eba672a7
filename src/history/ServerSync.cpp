#include "history/ServerSync.h"

#include "history/LocalCatalogue.h"
#include "history/ServerCatalogue.h"

#include <QSet>
#include <QThread>
#include <QTimer>

namespace corvin::history {

Status SendQueued(LocalCatalogue& local, Catalogue& server, const QString& station, int& sent,
                  int batchSize) {
    sent = 0;
    for (;;) {
        std::vector<QueuedChange> batch;
        if (Status s = local.queued(batchSize, batch); !s)
            return s;
        if (batch.empty())
            return Status::success();
        // A test saved several times is queued as often; its row now is sent once.
        QSet<QString> seen;
        std::vector<TestEntry> rows;
        QStringList removed;
        for (const QueuedChange& change : batch) {
            if (seen.contains(change.path))
                continue;
            seen.insert(change.path);
            std::optional<TestEntry> row;
            if (Status s = local.entryAt(station, change.path, row); !s)
                return s;
            if (row)
                rows.push_back(std::move(*row));
            else
                removed << change.path;
        }
        if (Status s = server.apply(rows, station, removed); !s)
            return s;
        // A save after the rows were read is queued after this batch, so it is sent next round.
        if (Status s = local.dequeue(batch.back().id); !s)
            return s;
        sent += int(seen.size());
    }
}

HistorySender::HistorySender(QString cataloguePath, ServerAddress address, QString station)
    : m_cataloguePath(std::move(cataloguePath)), m_address(std::move(address)), m_station(std::move(station)),
      m_retry(new QTimer(this)) {
    m_retry->setInterval(kRetryMs);
    connect(m_retry, &QTimer::timeout, this, &HistorySender::sendNow);
}

HistorySender::~HistorySender() = default;

HistorySender* HistorySender::start(QThread& thread, QString cataloguePath, ServerAddress address,
                                    QString station) {
    auto* sender = new HistorySender(std::move(cataloguePath), std::move(address), std::move(station));
    sender->moveToThread(&thread);
    connect(&thread, &QThread::finished, sender, &QObject::deleteLater);
    thread.start();
    QMetaObject::invokeMethod(sender, &HistorySender::sendNow, Qt::QueuedConnection);
    return sender;
}

bool HistorySender::retrying() const {
    return m_retry->isActive();
}

void HistorySender::sendNow() {
    if (!m_local)
        m_local = std::make_unique<LocalCatalogue>(m_cataloguePath, m_clock);
    if (!m_server)
        m_server = std::make_unique<ServerCatalogue>(m_address);
    // Not yet connected, a send connects even with nothing queued, so that a wrong address or
    // login shows at start-up rather than after the next save.
    Status s = m_server->isOpen() ? Status::success() : m_server->open();
    int sent = 0;
    if (s)
        s = SendQueued(*m_local, *m_server, m_station, sent);
    emit serverReached(s.ok());
    int waiting = 0;
    if (Status counted = m_local->queuedCount(waiting); !counted) {
        setState(QStringLiteral("Lab history: %1").arg(counted.message()));
    } else if (waiting > 0) {
        const QString tests =
            waiting == 1 ? QStringLiteral("1 test") : QStringLiteral("%1 tests").arg(waiting);
        setState(s ? QStringLiteral("Lab history: %1 waiting for the server").arg(tests)
                   : QStringLiteral("Lab history: %1 waiting for the server (%2)").arg(tests, s.message()));
    } else if (!s) {
        setState(QStringLiteral("Lab history: the server cannot be used (%1)").arg(s.message()));
    } else {
        setState(QStringLiteral("Lab history: up to date"));
        m_retry->stop();
        return;
    }
    if (!m_retry->isActive())
        m_retry->start();
}

void HistorySender::setState(const QString& text) {
    if (text == m_state)
        return;
    m_state = text;
    emit stateChanged(text);
}

} // namespace corvin::history
