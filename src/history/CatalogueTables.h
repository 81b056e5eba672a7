#pragma once
// The tables and queries both catalogues share, on an open Qt SQL connection (SQLite or
// PostgreSQL: the statements are written in the SQL the two have in common).

#include "common/Status.h"
#include "history/Catalogue.h"
#include "history/TestEntry.h"

#include <QSqlDatabase>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace corvin::history {

// Creates the tables that are missing and records the schema version in `meta`.
[[nodiscard]] Status CreateTables(QSqlDatabase& db);
// The schema version `meta` records; 0 when there is no such table or row.
[[nodiscard]] Status SchemaVersionOf(QSqlDatabase& db, int& version);

// The statements of one change, in the caller's transaction.
[[nodiscard]] Status PutRows(QSqlDatabase& db, const std::vector<TestEntry>& entries);
[[nodiscard]] Status RemoveRows(QSqlDatabase& db, const QString& station, const QStringList& paths);
// `station` empty: every station's rows.
[[nodiscard]] Status ReadRows(QSqlDatabase& db, const QString& station, const RowQuery& query,
                              std::vector<TestEntry>& out);

// The row of `station` at `path`, or nothing when there is none.
[[nodiscard]] Status ReadRow(QSqlDatabase& db, const QString& station, const QString& path,
                             std::optional<TestEntry>& out);

// Runs `change` in a transaction, committed only when it succeeds; the commit is checked.
[[nodiscard]] Status InTransaction(QSqlDatabase& db, const std::function<Status()>& change);

// "what it was doing: the driver's words".
Status SqlFailure(const QString& doing, const class QSqlError& error);

} // namespace corvin::history
