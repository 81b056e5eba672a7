#include "settings/DefaultProbeSetting.h"
#include "settings/SettingValues.h"

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
    return CleanDefaultProbeName(ReadSetting(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue).toString());
}

Status WriteDefaultProbeName(RegistryStore& store, const QString& name) {
    return WriteSetting(store, kHkeyLocalMachine, kDefaultProbeKey, kDefaultProbeValue, name, kRegSz);
}

} // namespace corvin::settings
