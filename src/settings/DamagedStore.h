#pragma once
// What the program's SQLite files (the settings store, the test history) do with a file that
// cannot be used: it is moved aside under a dated name beside it, never deleted, so that a new
// one can be started and nothing the user might still want is lost.

#include "common/Status.h"

#include <QDateTime>
#include <QString>

namespace corvin::settings {

// A name beside `path` for a damaged file, dated, and never one that exists already.
QString AsideName(const QString& path, const QDateTime& now);

// Moves `path` to AsideName, and SQLite's journal files beside it with it (a journal left
// behind would be replayed into the new file). `aside` gets the new name.
[[nodiscard]] Status SetStoreAside(const QString& path, const QDateTime& now, QString& aside);

} // namespace corvin::settings
