#pragma once
// The default probe's name in the registry: local machine,
// "Software\Tarvik\CORVIN\Test Options\Default", value "Default Probe" (type 1, no NUL).

#include "common/Status.h"

#include <QString>

namespace corvin::settings {

class RegistryStore;

// A registry path: the "\" separates keys and stays "\" on every system.
inline const QString kDefaultProbeKey = QStringLiteral("Software\\Tarvik\\CORVIN\\Test Options\\Default");
inline const QString kDefaultProbeValue = QStringLiteral("Default Probe");

// The stored name with every control character turned into a space and the ends trimmed of
// spaces; empty when the key or the value is missing.
QString ReadDefaultProbeName(RegistryStore& store);

// Stores `name` as it is (untrimmed), creating the key when it is missing. A failure says why:
// the store's own reason, or the registry's code of the write.
Status WriteDefaultProbeName(RegistryStore& store, const QString& name);

// The read's clean-up on its own: characters below 32 become spaces, spaces at both ends go.
QString CleanDefaultProbeName(const QString& stored);

} // namespace corvin::settings
