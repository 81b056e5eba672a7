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

int32_t WriteDefaultProbeName(RegistryStore& store, const QString& name) {
    RegKey key;
    if (store.OpenKey(kHkeyLocalMachine, kDefaultProbeKey, kKeyAllAccess, key) == kErrorFileNotFound)
        RegistryCreateKey(store, kHkeyLocalMachine, kDefaultProbeKey);
    RegistryStore::CloseKey(key);
    return RegistryWriteKeyValue(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue, name,
                                 kRegSz);
}

} // namespace corvin::settings
