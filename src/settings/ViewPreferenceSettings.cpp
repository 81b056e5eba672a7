#include "settings/ViewPreferenceSettings.h"

#include "settings/RegistryStore.h"
#include "settings/mdlRegistry.h"

namespace corvin::settings {
namespace {

QVariant Read(RegistryStore& store, const QString& valueName) {
    RegKey key;
    if (store.OpenKey(kHkeyCurrentUser, kPreferencesKey, kKeyAllAccess, key) == kErrorFileNotFound)
        return {};
    QVariant value;
    RegistryReadValue(key, valueName, value);
    RegistryStore::CloseKey(key);
    return value;
}

Status Write(RegistryStore& store, const QString& valueName, const QVariant& value, uint32_t type) {
    RegKey key;
    if (store.OpenKey(kHkeyCurrentUser, kPreferencesKey, kKeyAllAccess, key) == kErrorFileNotFound)
        RegistryCreateKey(store, kHkeyCurrentUser, kPreferencesKey);
    RegistryStore::CloseKey(key);
    const int32_t code = RegistryWriteKeyValue(store, kHkeyCurrentUser, kPreferencesKey, valueName, value,
                                               static_cast<int32_t>(type));
    if (code == kErrorSuccess)
        return Status::success();
    if (!store.lastError().isEmpty())
        return Status::failure(store.lastError());
    return Status::failure(QStringLiteral("The settings store refused %1 (error %2)").arg(valueName).arg(code));
}

} // namespace

ViewPreferences ReadViewPreferences(RegistryStore& store) {
    ViewPreferences preferences;
    if (Read(store, kGraphStyleValue).toString().compare(QLatin1String("Clear"), Qt::CaseInsensitive) == 0)
        preferences.graphStyle = GraphStyleKind::Clear;
    const QVariant strip = Read(store, kTrendStripValue);
    preferences.trendStripOn = strip.typeId() == QMetaType::Int && strip.toInt() == 1;
    return preferences;
}

Status WriteGraphStyle(RegistryStore& store, GraphStyleKind style) {
    return Write(store, kGraphStyleValue,
                 style == GraphStyleKind::Clear ? QStringLiteral("Clear") : QStringLiteral("Classic"),
                 kRegSz);
}

Status WriteTrendStrip(RegistryStore& store, bool on) {
    return Write(store, kTrendStripValue, qint32(on ? 1 : 0), kRegDword);
}

} // namespace corvin::settings
