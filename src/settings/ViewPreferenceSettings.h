#pragma once
// The user's view choices in the settings store: current user,
// "Software\Tarvik\CORVIN\Preferences", values "Graph Style" (type 1, "Classic" or "Clear") and
// "Trend Strip" (type 4, 0 or 1). A missing or unknown value reads as the default: the classic
// style and no trend strip, so a new home looks as the program always has.

#include "common/SharedState.h"
#include "common/Status.h"

#include <QString>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

inline const QString kPreferencesKey = QStringLiteral("Software\\Tarvik\\CORVIN\\Preferences");
inline const QString kGraphStyleValue = QStringLiteral("Graph Style");
inline const QString kTrendStripValue = QStringLiteral("Trend Strip");

ViewPreferences ReadViewPreferences(RegistryStore& store);
// A failure says why: the store's own reason, or the registry's code of the write.
Status WriteGraphStyle(RegistryStore& store, GraphStyleKind style);
Status WriteTrendStrip(RegistryStore& store, bool on);

} // namespace corvin::settings
