#pragma once
// Helpers shared by the settings tests: a store in a fresh temporary home, raw values, and running a scenario
// of this test program in a child process.

#include "common/AtomicFile.h"
#include "common/Clock.h"
#include "settings/RegistryStore.h"
#include "support/FailingFiles.h"
#include "support/TempHome.h"

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace corvin::testing {

// The store file a test uses inside its home.
inline QString StorePath(const TempHome& home) {
    return home.file(QStringLiteral("settings.db"));
}

// Reads one value's type and bytes straight from the store; type 0 and no bytes when missing.
struct RawValue {
    int32_t result = 0;
    uint32_t type = 0;
    QByteArray data;
};
RawValue ReadRaw(settings::RegistryStore& store, uint32_t root, const QString& key, const QString& name);
// Writes one value straight into the store, creating the key.
int32_t WriteRaw(settings::RegistryStore& store, uint32_t root, const QString& key, const QString& name,
                 uint32_t type, const QByteArray& data);

// Runs the disabled test `DISABLED_SettingsChild.<scenario>` of this program in a child process
// with the environment variables given ("NAME=value"), optionally as the unprivileged user
// 65534 through setpriv.
struct ChildResult {
    bool started = false;
    int exitCode = -1;
    QByteArray output;
};
ChildResult RunChild(const QString& scenario, const QStringList& environment, bool asNobody);
// The same in two steps, so the test can work while the child runs.
std::unique_ptr<QProcess> StartChild(const QString& scenario, const QStringList& environment, bool asNobody);
ChildResult FinishChild(QProcess& process);
// Tells a child started with StartChild to take its next step ("go") and waits until it says
// it has ("written"); false when it does not.
bool StepChild(QProcess& process);
// Whether a child can run as user 65534 (see support/Unprivileged.h).
bool CanDropPrivileges();

} // namespace corvin::testing
