#include "app/QtSingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace corvin::app {

QtSingleInstance::QtSingleInstance(const QString& home, const QString& runtimeFolder, QObject* parent)
    : QObject(parent), m_runtimeFolder(runtimeFolder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(home).canonicalPath().toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16);
    m_key = QStringLiteral("corvin-") + QString::fromLatin1(hash);
}

QtSingleInstance::~QtSingleInstance() = default;

bool QtSingleInstance::claim() {
    QDir().mkpath(m_runtimeFolder);
    m_lock = std::make_unique<QLockFile>(QDir(m_runtimeFolder).filePath(m_key + QStringLiteral(".lock")));
    // A lock left by a crashed instance is stale (its process is gone) and QLockFile takes it over.
    m_lock->setStaleLockTime(0);
    const QString socketName = QDir(m_runtimeFolder).filePath(m_key + QStringLiteral(".socket"));
    if (!m_lock->tryLock(0)) {
        QLocalSocket socket;
        socket.connectToServer(socketName);
        if (socket.waitForConnected(500)) {
            socket.write("raise\n");
            socket.waitForBytesWritten(500);
            socket.disconnectFromServer();
        }
        return false;
    }
    // A socket left by a crash would stop listen(); the lock says it is ours now.
    QLocalServer::removeServer(socketName);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (m_server->listen(socketName)) {
        connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* s = m_server->nextPendingConnection()) {
                connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
                emit raiseRequested();
            }
        });
    }
    return true;
}

} // namespace corvin::app
