#include "history/TestHistory.h"

#include "history/ServerCatalogue.h"
#include "history/ServerSync.h"

#include <QDir>
#include <QSysInfo>

namespace corvin::history {

QString ThisStation() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

TestHistory::TestHistory(QString home, const Clock& clock, QObject* parent)
    : QObject(parent), m_home(std::move(home)), m_station(ThisStation()),
      m_local(CatalogueFileIn(m_home), clock) {}

TestHistory::~TestHistory() {
    if (m_rescan) {
        m_stop = true;
        m_rescan->wait();
        delete m_rescan;
    }
    if (m_sendThread) {
        // A send under way ends within its call's time-out; the queue keeps what it did not send.
        m_sendThread->quit();
        // A server that hangs past every time-out must not hang the program's end: the thread is
        // left to the end of the process instead of being destroyed while it runs.
        if (!m_sendThread->wait(2 * ServerCatalogue::kStatementTimeoutMs))
            m_sendThread->setParent(nullptr);
    }
}

Status TestHistory::useServer(const QString& address, Sending sending) {
    if (Status s = ParseServerAddress(address, m_address); !s)
        return s;
    m_serverSet = true;
    m_local.setQueueing(true);
    // Rows catalogued before this station sent to this server go to it as well.
    if (Status s = m_local.queueAllFor(m_station, m_address.shown()); !s)
        m_serverState = s.message();
    if (sending == Sending::Caller)
        return Status::success();
    m_sendThread = new QThread(this);
    m_sender = HistorySender::start(*m_sendThread, m_local.where(), m_address, m_station);
    connect(m_sender, &HistorySender::stateChanged, this, [this](const QString& text) {
        m_serverState = text;
        emit serverStateChanged(text);
    });
    connect(m_sender, &HistorySender::serverReached, this, &TestHistory::noteServerReached);
    sendSoon(); // the first send may have spoken before the connection above was made
    return Status::success();
}

Status TestHistory::sendQueuedNow(int& sent) {
    sent = 0;
    if (!m_serverSet)
        return Status::success();
    ServerCatalogue server(m_address);
    return SendQueued(m_local, server, m_station, sent);
}

void TestHistory::noteServerReached(bool reached) {
    if (reached == !m_serverAway)
        return;
    m_serverAway = !reached;
    emit serverReachChanged();
}

void TestHistory::sendSoon() {
    if (m_sender)
        QMetaObject::invokeMethod(m_sender, &HistorySender::sendNow, Qt::QueuedConnection);
}

Status TestHistory::noteSaved(const QString& path) {
    const TestEntry entry = CatalogueFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), m_station);
    Status s = m_local.put({entry});
    sendSoon();
    return s;
}

QStringList TestHistory::folders() {
    QStringList extra;
    static_cast<void>(m_local.extraFolders(extra)); // without them, the home's folders still count
    return RescanFolders(m_home, extra);
}

Status TestHistory::addFolder(const QString& folder) {
    return m_local.addFolder(folder);
}

Status TestHistory::rescanNow(RescanCounts& counts) {
    return Rescan(m_local, m_station, folders(), counts);
}

void TestHistory::startRescan() {
    if (m_rescan)
        return;
    m_stop = false;
    const QString path = m_local.where();
    const QStringList walk = folders();
    m_rescan = QThread::create([this, path, walk, station = m_station, queueing = hasServer()] {
        // Its own connection: a Qt SQL connection belongs to the thread that made it.
        const SystemClock clock;
        LocalCatalogue catalogue(path, clock);
        catalogue.setQueueing(queueing);
        RescanCounts counts;
        const Status s = Rescan(catalogue, station, walk, counts, &m_stop);
        const QString text = s ? RescanSummary(counts) : s.message();
        QMetaObject::invokeMethod(
            this, [this, text, ok = s.ok()] { rescanDone(text, ok); }, Qt::QueuedConnection);
    });
    m_rescan->start(QThread::LowPriority);
}

void TestHistory::rescanDone(const QString& text, bool ok) {
    if (m_rescan) {
        m_rescan->wait();
        delete m_rescan;
        m_rescan = nullptr;
    }
    sendSoon();
    emit rescanFinished(text, ok);
}

Status TestHistory::entries(std::vector<TestEntry>& out, const RowQuery& query) {
    if (Status s = m_local.entries(out, query); !s)
        return s;
    m_serverProblem.clear();
    if (!hasServer())
        return Status::success();
    if (m_serverAway) {
        m_serverProblem = QStringLiteral("the lab history at %1 could not be reached at the last try")
                              .arg(m_address.shown());
        sendSoon();
        return Status::success();
    }
    ServerCatalogue server(m_address);
    std::vector<TestEntry> everyone;
    if (Status s = server.entries(everyone, query); !s) {
        m_serverProblem = s.message();
        sendSoon(); // the sender finds out too, and says so
        return Status::success();
    }
    for (TestEntry& e : everyone) {
        if (e.station != m_station)
            out.push_back(std::move(e));
    }
    std::stable_sort(out.begin(), out.end(),
                     [](const TestEntry& a, const TestEntry& b) { return a.startMs > b.startMs; });
    return Status::success();
}

QString TestHistory::sourceText() const {
    if (!hasServer())
        return QStringLiteral("this station's history (%1)").arg(QDir::toNativeSeparators(m_local.where()));
    if (!m_serverProblem.isEmpty())
        return QStringLiteral("this station's history only (the lab history at %1 cannot be reached now)")
            .arg(m_address.shown());
    return QStringLiteral("the lab history at %1").arg(m_address.shown());
}

} // namespace corvin::history
