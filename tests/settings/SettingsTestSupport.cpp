#include "SettingsTestSupport.h"

#include "support/Unprivileged.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

#include <unistd.h>

namespace corvin::testing {

using namespace settings;

RawValue ReadRaw(RegistryStore& store, uint32_t root, const QString& key, const QString& name) {
    RawValue raw;
    RegKey k;
    raw.result = store.OpenKey(root, key, kKeyQueryValue, k);
    if (raw.result != kErrorSuccess)
        return raw;
    uint32_t size = 0;
    raw.result = store.QueryValue(k, name, &raw.type, nullptr, &size);
    if (raw.result != kErrorSuccess)
        return raw;
    raw.data.resize(size);
    raw.result = store.QueryValue(k, name, nullptr, raw.data.data(), &size);
    return raw;
}

int32_t WriteRaw(RegistryStore& store, uint32_t root, const QString& key, const QString& name, uint32_t type,
                 const QByteArray& data) {
    RegKey k;
    if (const int32_t r = store.CreateKey(root, key, kKeyAllAccess, k); r != kErrorSuccess)
        return r;
    return store.SetValue(k, name, type, data);
}

bool CanDropPrivileges() {
    return !NobodyUnavailable().has_value();
}

std::unique_ptr<QProcess> StartChild(const QString& scenario, const QStringList& environment, bool asNobody) {
    QStringList arguments{QStringLiteral("--gtest_also_run_disabled_tests"),
                          QStringLiteral("--gtest_filter=DISABLED_SettingsChild.") + scenario};
    QString program = QCoreApplication::applicationFilePath();
    if (asNobody) {
        arguments.prepend(program);
        arguments = QStringList{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                                QStringLiteral("--clear-groups")} +
                    arguments;
        program = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QString& entry : environment) {
        const qsizetype eq = entry.indexOf(QLatin1Char('='));
        env.insert(entry.left(eq), entry.mid(eq + 1));
    }
    auto process = std::make_unique<QProcess>();
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->start(program, arguments);
    return process;
}

ChildResult FinishChild(QProcess& process) {
    ChildResult result;
    result.started = process.waitForStarted(30000);
    if (!result.started)
        return result;
    process.waitForFinished(120000);
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.output = process.readAll();
    return result;
}

bool StepChild(QProcess& process) {
    if (!process.waitForStarted(30000))
        return false;
    process.write("go\n");
    for (;;) {
        while (process.canReadLine()) {
            if (process.readLine().startsWith("written"))
                return true;
        }
        if (!process.waitForReadyRead(30000))
            return false;
    }
}

ChildResult RunChild(const QString& scenario, const QStringList& environment, bool asNobody) {
    auto process = StartChild(scenario, environment, asNobody);
    return FinishChild(*process);
}

} // namespace corvin::testing
