#pragma once
// The user's view choices in the settings store: current user,
// "Software\Tarvik\CORVIN\Preferences", values "Graph Style" (type 1, "Classic" or "Clear") and
// "Trend Strip" (type 4, 0 or 1) and "History Server" (type 1, the address of a lab's shared
// test history). A missing or unknown value reads as the default: the classic style, no trend
// strip and the home's own history, so a new home looks as the program always has.

#include "common/SharedState.h"
#include "common/Status.h"

#include <QString>
#include <cstdint>

namespace corvin::settings {

class RegistryStore;

inline const QString kPreferencesKey = QStringLiteral("Software\\Tarvik\\CORVIN\\Preferences");
inline const QString kGraphStyleValue = QStringLiteral("Graph Style");
inline const QString kTrendStripValue = QStringLiteral("Trend Strip");
inline const QString kHistoryServerValue = QStringLiteral("History Server");

ViewPreferences ReadViewPreferences(RegistryStore& store);
// A failure says why: the store's own reason, or the registry's code of the write.
Status WriteGraphStyle(RegistryStore& store, GraphStyleKind style);
Status WriteTrendStrip(RegistryStore& store, bool on);
Status WriteHistoryServer(RegistryStore& store, const QString& address);

} // namespace corvin::settings
