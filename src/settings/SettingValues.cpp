#include "settings/SettingValues.h"

#include "settings/RegistryStore.h"
#include "settings/mdlRegistry.h"

namespace corvin::settings {

QVariant ReadSetting(RegistryStore& store, uint32_t rootKey, const QString& keyPath, const QString& valueName) {
    RegKey key;
    if (store.OpenKey(rootKey, keyPath, kKeyAllAccess, key) == kErrorFileNotFound)
        return {};
    QVariant value;
    RegistryReadValue(key, valueName, value);
    RegistryStore::CloseKey(key);
    return value;
}

Status WriteSetting(RegistryStore& store, uint32_t rootKey, const QString& keyPath, const QString& valueName,
                    const QVariant& value, int32_t type) {
    RegKey key;
    if (store.OpenKey(rootKey, keyPath, kKeyAllAccess, key) == kErrorFileNotFound)
        RegistryCreateKey(store, rootKey, keyPath);
    RegistryStore::CloseKey(key);
    const int32_t code = RegistryWriteKeyValue(store, rootKey, keyPath, valueName, value, type);
    if (code == kErrorSuccess)
        return Status::success();
    if (!store.lastError().isEmpty())
        return Status::failure(store.lastError());
    return Status::failure(QStringLiteral("The settings store refused \"%1\" (error %2)").arg(valueName).arg(code));
}

} // namespace corvin::settings
