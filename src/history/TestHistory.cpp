#include "history/TestHistory.h"

#include <QDir>
#include <QSysInfo>

namespace corvin::history {

QString ThisStation() {
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("localhost") : host;
}

TestHistory::TestHistory(QString home, const Clock& clock, QObject* parent)
    : QObject(parent), m_home(std::move(home)), m_station(ThisStation()), m_local(CatalogueFileIn(m_home), clock) {}

TestHistory::~TestHistory() {
    if (m_rescan) {
        m_stop = true;
        m_rescan->wait();
        delete m_rescan;
    }
}

Status TestHistory::noteSaved(const QString& path) {
    const TestEntry entry = CatalogueFile(QDir::cleanPath(QFileInfo(path).absoluteFilePath()), m_station);
    return m_local.put({entry});
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
    m_rescan = QThread::create([this, path, walk, station = m_station] {
        // Its own connection: a Qt SQL connection belongs to the thread that made it.
        const SystemClock clock;
        LocalCatalogue catalogue(path, clock);
        RescanCounts counts;
        const Status s = Rescan(catalogue, station, walk, counts, &m_stop);
        const QString text = s ? RescanSummary(counts) : s.message();
        QMetaObject::invokeMethod(this, [this, text, ok = s.ok()] { rescanDone(text, ok); }, Qt::QueuedConnection);
    });
    m_rescan->start(QThread::LowPriority);
}

void TestHistory::rescanDone(const QString& text, bool ok) {
    if (m_rescan) {
        m_rescan->wait();
        delete m_rescan;
        m_rescan = nullptr;
    }
    emit rescanFinished(text, ok);
}

Status TestHistory::entries(std::vector<TestEntry>& out) {
    return m_local.entries(out);
}

QString TestHistory::sourceText() const {
    return QStringLiteral("this station's history (%1)").arg(QDir::toNativeSeparators(m_local.where()));
}

} // namespace corvin::history
