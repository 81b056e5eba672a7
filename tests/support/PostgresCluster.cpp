#include "support/PostgresCluster.h"

#include "common/AtomicFile.h"
#include "support/Unprivileged.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTcpServer>
#include <QUuid>
#include <algorithm>

#include <unistd.h>

namespace corvin::testing {
namespace {

constexpr int kProgramTimeoutMs = 60000;
constexpr uid_t kNobody = 65534;

// The newest installed server's programs (Debian keeps them out of PATH), else those on PATH.
QString ServerPrograms() {
    QStringList versions =
        QDir(QStringLiteral("/usr/lib/postgresql")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(versions.begin(), versions.end(),
              [&](const QString& a, const QString& b) { return numeric(b, a); });
    for (const QString& v : versions) {
        const QString bin = QStringLiteral("/usr/lib/postgresql/%1/bin").arg(v);
        if (QFile::exists(bin + QStringLiteral("/initdb")) && QFile::exists(bin + QStringLiteral("/pg_ctl")))
            return bin;
    }
    const QString initdb = QStandardPaths::findExecutable(QStringLiteral("initdb"));
    return initdb.isEmpty() ? QString() : QFileInfo(initdb).absolutePath();
}

int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

} // namespace

PostgresCluster::~PostgresCluster() {
    if (m_running)
        static_cast<void>(
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                 QStringLiteral("immediate"), QStringLiteral("-w"), QStringLiteral("stop")}));
}

// Runs one of the server's programs, as nobody when we are root.
Status PostgresCluster::run(const QString& program, const QStringList& arguments) const {
    QString command = m_bin + QLatin1Char('/') + program;
    QStringList args = arguments;
    if (RunningAsRoot()) {
        args.prepend(command);
        args = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           QStringLiteral("--clear-groups")} +
               args;
        command = QStringLiteral("setpriv");
    }
    QProcess p;
    p.setWorkingDirectory(m_dir->path());
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command, args);
    if (!p.waitForFinished(kProgramTimeoutMs) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0) {
        p.kill();
        p.waitForFinished();
        return Status::failure(QStringLiteral("%1 failed: %2 %3")
                                   .arg(program, p.errorString(), QString::fromLocal8Bit(p.readAll())));
    }
    return Status::success();
}

Status PostgresCluster::create() {
    m_bin = ServerPrograms();
    if (m_bin.isEmpty())
        return Status::failure(
            QStringLiteral("The PostgreSQL server programs (initdb, pg_ctl) are not installed: run "
                           "scripts/install-deps, which installs the package postgresql"));
    if (RunningAsRoot() && QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        return Status::failure(
            QStringLiteral("setpriv is missing, which runs the server as nobody (util-linux)"));
    m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/corvin-pg-XXXXXX"));
    if (!m_dir->isValid())
        return Status::failure(QStringLiteral("No temporary folder: %1").arg(m_dir->errorString()));
    if (RunningAsRoot()) {
        if (::chown(QFile::encodeName(m_dir->path()).constData(), kNobody, kNobody) != 0)
            return Status::failure(QStringLiteral("The cluster's folder cannot be given to nobody"));
        LetNobodyReach(m_dir->path());
    }
    const QString passwordFile = m_dir->filePath(QStringLiteral("password"));
    if (Status s = WriteFileAtomically(passwordFile, kPassword.toUtf8() + '\n'); !s)
        return s;
    if (Status s = run(QStringLiteral("initdb"),
                       {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-U"),
                        kUser, QStringLiteral("--pwfile=") + passwordFile,
                        QStringLiteral("--auth-local=trust"), QStringLiteral("--auth-host=scram-sha-256"),
                        QStringLiteral("--encoding=UTF8"), QStringLiteral("--locale=C"),
                        QStringLiteral("--no-sync"), QStringLiteral("--no-instructions")});
        !s)
        return s;
    return start();
}

Status PostgresCluster::start() {
    // Another test may take the port between picking it and the server's bind: pick again.
    Status s;
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (m_port == 0 || attempt > 0)
            m_port = FreePort();
        s = startOnce();
        if (s)
            return s;
    }
    return s;
}

Status PostgresCluster::startOnce() {
    const QString settings =
        QStringLiteral("-c listen_addresses=127.0.0.1 -c port=%1 -c unix_socket_directories=%2")
            .arg(m_port)
            .arg(m_dir->path());
    if (Status s =
            run(QStringLiteral("pg_ctl"),
                {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-l"),
                 m_dir->filePath(QStringLiteral("server.log")), QStringLiteral("-o"), settings,
                 QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("30"), QStringLiteral("start")});
        !s)
        return s;
    m_running = true;
    return Status::success();
}

Status PostgresCluster::stop() {
    if (Status s = run(QStringLiteral("pg_ctl"),
                       {QStringLiteral("-D"), m_dir->filePath(QStringLiteral("data")), QStringLiteral("-m"),
                        QStringLiteral("fast"), QStringLiteral("-w"), QStringLiteral("stop")});
        !s)
        return s;
    m_running = false;
    return Status::success();
}

QString PostgresCluster::socketAddress(const QString& database) const {
    return QStringLiteral("postgresql://%1@:%2/%3?host=%4")
        .arg(kUser)
        .arg(m_port)
        .arg(database, m_dir->path());
}

QString PostgresCluster::tcpAddress(const QString& password, const QString& database) const {
    return QStringLiteral("postgresql://%1:%2@127.0.0.1:%3/%4")
        .arg(kUser, password)
        .arg(m_port)
        .arg(database);
}

Status PostgresCluster::exec(const QStringList& statements, const QString& database) const {
    const QString name = QUuid::createUuid().toString();
    Status result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        db.setHostName(m_dir->path());
        db.setPort(m_port);
        db.setUserName(kUser);
        db.setDatabaseName(database);
        if (!db.open()) {
            result = Status::failure(db.lastError().text());
        } else {
            for (const QString& statement : statements) {
                QSqlQuery q(db);
                if (!q.exec(statement)) {
                    result = Status::failure(statement + QStringLiteral(": ") + q.lastError().text());
                    break;
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace corvin::testing
