#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <unistd.h>

namespace corvin::testing {

bool RunningAsRoot() {
    return ::geteuid() == 0;
}

std::optional<QString> NobodyUnavailable() {
    if (!RunningAsRoot())
        return QStringLiteral("not running as root");
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return QStringLiteral("setpriv is not installed");
    // The test program itself may sit in a folder that nobody cannot enter.
    QProcess check;
    check.start(setpriv, {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                          QStringLiteral("--clear-groups"), QStringLiteral("test"), QStringLiteral("-x"),
                          QCoreApplication::applicationFilePath()});
    if (!check.waitForFinished(30000) || check.exitStatus() != QProcess::NormalExit || check.exitCode() != 0)
        return QStringLiteral("user 65534 cannot run %1").arg(QCoreApplication::applicationFilePath());
    return std::nullopt;
}

void LetNobodyReach(const QString& path) {
    QFileInfo info(path);
    QString folder = info.isDir() ? info.absoluteFilePath() : info.absolutePath();
    while (!folder.isEmpty()) {
        QFile f(folder);
        f.setPermissions(f.permissions() | QFileDevice::ExeOther);
        if (QDir(folder).isRoot())
            break;
        folder = QFileInfo(folder).absolutePath();
    }
}

QString RunAsNobody(const QString& testName, const QStringList& environment) {
    QProcess child;
    QStringList env = QProcess::systemEnvironment();
    env.append(QString::fromLatin1(kChildVariable) + QStringLiteral("=1"));
    env.append(environment);
    child.setEnvironment(env);
    child.start(QStringLiteral("setpriv"),
                {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                 QStringLiteral("--clear-groups"), QCoreApplication::applicationFilePath(),
                 QStringLiteral("--gtest_filter=") + testName});
    child.waitForFinished(60000);
    return QString::fromUtf8(child.readAllStandardOutput());
}

} // namespace corvin::testing
