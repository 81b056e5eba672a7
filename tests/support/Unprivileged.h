#pragma once
// Runs one test of the current test program as the unprivileged user "nobody", for checks that
// root would pass anyway (root writes into read-only folders). The child reports through its
// output, so a test that skipped in the child is never mistaken for a pass.

#include <QString>
#include <QStringList>
#include <optional>

namespace corvin::testing {

// Whether the checks need a child: true when running as root.
bool RunningAsRoot();

// Why RunAsNobody cannot work here, or nothing when it can (root and setpriv present).
std::optional<QString> NobodyUnavailable();

// Makes `path` and every folder above it that nobody could not enter enterable (mode o+x), so the
// child can reach a temporary folder.
void LetNobodyReach(const QString& path);

// Runs the test `testName` ("Suite.Test") of this program as nobody with `environment` added
// ("NAME=value" entries) and returns what it printed on standard output.
QString RunAsNobody(const QString& testName, const QStringList& environment);

// The variable that tells a child test that it is the child.
inline constexpr const char* kChildVariable = "CORVIN_TEST_CHILD";

} // namespace corvin::testing
