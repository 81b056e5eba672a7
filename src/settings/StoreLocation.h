#pragma once
// Where a Corvin home keeps its settings store. corvin and corvin-data both ask here, so a
// setting written from the terminal is the one the program reads.

#include <QString>

namespace corvin::settings {

// The home used when none is named: the user's data folder for Corvin
// (~/.local/share/Tarvik/Corvin).
QString DefaultHome();

// The store of `home`: "registry.sqlite" inside the home, except for the default home, whose
// store lives in the user's configuration folder (~/.config/Tarvik/Corvin/registry.sqlite), as
// desktop programs keep their settings. Any other home is isolated, store and all.
QString SettingsStorePath(const QString& home);

} // namespace corvin::settings
