#pragma once
// One value of the program's own settings in the store, read and written the way every setting
// is: a read of a missing key or value gives nothing; a write creates the key when it is missing
// and, when it fails, says why (the store's own reason, or the registry's code).

#include "common/Status.h"

#include <QString>
#include <QVariant>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

QVariant ReadSetting(RegistryStore& store, uint32_t rootKey, const QString& keyPath, const QString& valueName);
Status WriteSetting(RegistryStore& store, uint32_t rootKey, const QString& keyPath, const QString& valueName,
                    const QVariant& value, int32_t type);

} // namespace corvin::settings
