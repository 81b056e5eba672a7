#pragma once
// The user's view choices in the settings store: current user,
// "Software\Tarvik\CORVIN\Preferences", values "Graph Style" (type 1, "Classic" or "Clear") and
// "Trend Strip" (type 4, 0 or 1). A missing or unknown value reads as the default: the classic
// style and no trend strip, so a new home looks as the program always has.

#include "common/SharedState.h"

#include <QString>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

inline const QString kPreferencesKey = QStringLiteral("Software\\Tarvik\\CORVIN\\Preferences");
inline const QString kGraphStyleValue = QStringLiteral("Graph Style");
inline const QString kTrendStripValue = QStringLiteral("Trend Strip");

ViewPreferences ReadViewPreferences(RegistryStore& store);
// The registry's result code of the write (0: written).
int32_t WriteGraphStyle(RegistryStore& store, GraphStyleKind style);
int32_t WriteTrendStrip(RegistryStore& store, bool on);

} // namespace corvin::settings
