#pragma once
// One running Corvin per Corvin home. The first instance holds a lock file in the user's runtime
// folder and listens on a local socket; a second instance for the same home finds the lock
// taken, hands its request to the first (come forward, and open this test data file) and ends
// without a message.
//
// On the socket a request is one line: "raise", or "open " and the file's absolute path in
// UTF-8, percent-encoded. The listener takes complete lines only, at most kLongestRequest bytes
// each, and ignores anything else.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalSocket;

namespace corvin::app {

class QtSingleInstance : public QObject {
    Q_OBJECT
public:
    // `runtimeFolder`: where the lock and socket live (tests pass a temporary folder).
    QtSingleInstance(const QString& home, const QString& runtimeFolder, QObject* parent = nullptr);
    ~QtSingleInstance() override;

    // True when this is the only instance for the home. False when another one runs: it has
    // been asked to come forward and, when `testDataFile` is given, to open that file.
    bool claim(const QString& testDataFile = {});
    // After a claim that found another instance: whether the request reached it.
    bool handedOver() const { return m_handedOver; }

    static constexpr qint64 kLongestRequest = 64 * 1024;

signals:
    // In the first instance: a second one asked it to come forward.
    void raiseRequested();
    // In the first instance: a second one was started with this test data file (after
    // raiseRequested).
    void openRequested(const QString& path);

private:
    bool handOver(const QString& socketName, const QString& testDataFile);
    void readRequests(QLocalSocket& socket);

    QString m_key;
    QString m_runtimeFolder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
    bool m_handedOver = false;
};

} // namespace corvin::app
