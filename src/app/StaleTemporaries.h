#pragma once
// Temporary files of our own naming that a kill at the wrong moment leaves behind: a save's
// "<file>.XXXXXX" beside a probe file, BAR.CFG, a journal or a test data file in Data/ or TESTS/,
// and the home's write check ".corvin-write-check-XXXXXX". Start-up removes them. Only plain
// files untouched for a minute go, so a save that another program (corvin-data) is making at
// this very moment is left alone.

#include <QString>
#include <QStringList>

namespace corvin::app {

// Seconds a temporary must have been left untouched before it counts as stale.
constexpr int kStaleTemporarySeconds = 60;

// Removes the stale temporaries of the Corvin home `home` and returns the paths removed.
QStringList RemoveStaleTemporaries(const QString& home);

} // namespace corvin::app
