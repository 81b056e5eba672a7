#include "settings/DefaultProbeSetting.h"

#include "settings/RegistryStore.h"
#include "settings/mdlRegistry.h"

namespace corvin::settings {

QString CleanDefaultProbeName(const QString& stored) {
    QString name = stored;
    for (QChar& c : name) {
        if (c.unicode() < 32)
            c = QLatin1Char(' ');
    }
    // Only spaces are trimmed, as the program always did (not tabs or other blanks).
    qsizetype begin = 0;
    qsizetype end = name.size();
    while (begin < end && name[begin] == QLatin1Char(' '))
        ++begin;
    while (end > begin && name[end - 1] == QLatin1Char(' '))
        --end;
    return name.mid(begin, end - begin);
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
