#include "app/QtSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QUrl>

namespace corvin::app {
namespace {

constexpr int kAnswerWaitMs = 2000;
const QByteArray kRaise = QByteArrayLiteral("raise");
const QByteArray kOpen = QByteArrayLiteral("open ");

} // namespace

QtSingleInstance::QtSingleInstance(const QString& home, const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_runtimeFolder(runtimeFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(home).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_key = QStringLiteral("corvin-") + QString::fromLatin1(hash);
}

QtSingleInstance::~QtSingleInstance() = default;

bool QtSingleInstance::claim(const QString& testDataFile) {
    QDir().mkpath(m_runtimeFolder);
    m_lock = std::make_unique<QLockFile>(QDir(m_runtimeFolder).filePath(m_key + QStringLiteral(".lock")));
    // A lock left by a crashed instance is stale (its process is gone) and QLockFile takes it over.
    m_lock->setStaleLockTime(0);
    const QString socketName = QDir(m_runtimeFolder).filePath(m_key + QStringLiteral(".socket"));
    if (!m_lock->tryLock(0)) {
        m_handedOver = handOver(socketName, testDataFile);
        return false;
    }
    // A socket left by a crash would stop listen(); the lock says it is ours now.
    QLocalServer::removeServer(socketName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(socketName)) {
        connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = m_server->nextPendingConnection()) {
                connect(s, &QLocalSocket::readyRead, this, [this, s] { readRequests(*s); });
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                readRequests(*s); // what came with the connection
            }
        });
    }
    return true;
}

bool QtSingleInstance::handOver(const QString& socketName, const QString& testDataFile) {
    const QByteArray request =
        (testDataFile.isEmpty() ? kRaise : kOpen + QUrl::toPercentEncoding(testDataFile)) + '\n';
    QLocalSocket socket;
    socket.connectToServer(socketName);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(request);
    // The request is in the socket once written; the running instance reads it when it can,
    // also after this end has closed.
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(kAnswerWaitMs))
            return false;
    }
    socket.disconnectFromServer();
    return true;
}

void QtSingleInstance::readRequests(QLocalSocket& socket) {
    while (socket.canReadLine()) {
        QByteArray line = socket.readLine(kLongestRequest);
        if (!line.endsWith('\n')) {
            // Longer than any request: not one of ours.
            socket.abort();
            return;
        }
        line.chop(1);
        if (line == kRaise) {
            emit raiseRequested();
        } else if (line.startsWith(kOpen)) {
            const QString path = QUrl::fromPercentEncoding(line.mid(kOpen.size()));
            if (QDir::isAbsolutePath(path)) {
                emit raiseRequested();
                emit openRequested(path);
            }
        }
    }
    if (socket.bytesAvailable() > kLongestRequest)
        socket.abort();
}

} // namespace corvin::app
