#include "settings/DefaultProbeSetting.h"

#include "common/TextTrim.h"
#include "settings/RegistryStore.h"
#include "settings/mdlRegistry.h"

namespace corvin::settings {

QString CleanDefaultProbeName(const QString& stored) {
    QString name = stored;
    for (QChar& c : name) {
        if (c.unicode() < 32)
            c = QLatin1Char(' ');
    }
    return TrimSpaces(name);
}

QString ReadDefaultProbeName(RegistryStore& store) {
    RegKey key;
    if (store.OpenKey(kHkeyLocalMachine, kDefaultProbeKey, kKeyAllAccess, key) == kErrorFileNotFound)
        return {};
    QVariant value;
    RegistryReadValue(key, kDefaultProbeValue, value);
    RegistryStore::CloseKey(key);
    return CleanDefaultProbeName(value.toString());
}

Status WriteDefaultProbeName(RegistryStore& store, const QString& name) {
    RegKey key;
    if (store.OpenKey(kHkeyLocalMachine, kDefaultProbeKey, kKeyAllAccess, key) == kErrorFileNotFound)
        RegistryCreateKey(store, kHkeyLocalMachine, kDefaultProbeKey);
    RegistryStore::CloseKey(key);
    const int32_t code =
        RegistryWriteKeyValue(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue, name, kRegSz);
    if (code == kErrorSuccess)
        return Status::success();
    if (!store.lastError().isEmpty())
        return Status::failure(store.lastError());
    return Status::failure(QStringLiteral("The settings store refused the default probe (error %1)").arg(code));
}

} // namespace corvin::settings
