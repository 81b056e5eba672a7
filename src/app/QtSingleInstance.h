#pragma once
// One running Corvin per Corvin home. The first instance holds a lock file in the user's runtime
// folder and listens on a local socket; a second instance for the same home finds the lock
// taken, asks the first to raise its window, and ends without a message.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

namespace corvin::app {

class QtSingleInstance : public QObject {
    Q_OBJECT
public:
    // `runtimeFolder`: where the lock and socket live (tests pass a temporary folder).
    QtSingleInstance(const QString& home, const QString& runtimeFolder, QObject* parent = nullptr);
    ~QtSingleInstance() override;

    // True when this is the only instance for the home; false after asking the running one to
    // show itself.
    bool claim();

signals:
    // In the first instance: a second one asked it to come forward.
    void raiseRequested();

private:
    QString m_key;
    QString m_runtimeFolder;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<QLocalServer> m_server;
};

} // namespace corvin::app
