#include "settings/ViewPreferenceSettings.h"

#include "settings/RegistryStore.h"
#include "settings/SettingValues.h"
#include "settings/mdlRegistry.h"

namespace corvin::settings {
namespace {

QVariant Read(RegistryStore& store, const QString& valueName) {
    return ReadSetting(store, kHkeyCurrentUser, kPreferencesKey, valueName);
}

Status Write(RegistryStore& store, const QString& valueName, const QVariant& value, uint32_t type) {
    return WriteSetting(store, kHkeyCurrentUser, kPreferencesKey, valueName, value,
                        static_cast<int32_t>(type));
}

} // namespace

ViewPreferences ReadViewPreferences(RegistryStore& store) {
    ViewPreferences preferences;
    if (Read(store, kGraphStyleValue).toString().compare(QLatin1String("Clear"), Qt::CaseInsensitive) == 0)
        preferences.graphStyle = GraphStyleKind::Clear;
    const QVariant strip = Read(store, kTrendStripValue);
    preferences.trendStripOn = strip.typeId() == QMetaType::Int && strip.toInt() == 1;
    preferences.historyServer = Read(store, kHistoryServerValue).toString().trimmed();
    return preferences;
}

Status WriteGraphStyle(RegistryStore& store, GraphStyleKind style) {
    return Write(store, kGraphStyleValue,
                 style == GraphStyleKind::Clear ? QStringLiteral("Clear") : QStringLiteral("Classic"),
                 kRegSz);
}

Status WriteHistoryServer(RegistryStore& store, const QString& address) {
    return Write(store, kHistoryServerValue, address, kRegSz);
}

Status WriteTrendStrip(RegistryStore& store, bool on) {
    return Write(store, kTrendStripValue, qint32(on ? 1 : 0), kRegDword);
}

} // namespace corvin::settings
