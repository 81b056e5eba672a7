#include "history/CatalogueTables.h"

#include "history/Catalogue.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <charconv>

namespace corvin::history {
namespace {

const char* const kCreateStatements[] = {
    "CREATE TABLE IF NOT EXISTS meta (name TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS tests ("
    " station TEXT NOT NULL, path TEXT NOT NULL,"
    " size BIGINT NOT NULL, modified_ms BIGINT NOT NULL, sha256 TEXT NOT NULL,"
    " record_size BIGINT NOT NULL, record_modified_ms BIGINT NOT NULL,"
    " readable INTEGER NOT NULL, problem TEXT NOT NULL,"
    " row_count INTEGER NOT NULL, interval_s INTEGER NOT NULL, channel_names TEXT NOT NULL,"
    " channel_numbers TEXT NOT NULL, record_state TEXT NOT NULL, probe TEXT NOT NULL,"
    " start_ms BIGINT NOT NULL, start_time TEXT NOT NULL, end_time TEXT NOT NULL,"
    " operator_name TEXT NOT NULL, record_station TEXT NOT NULL, range_name TEXT NOT NULL,"
    " full_scale DOUBLE PRECISION NOT NULL, channel_verdicts TEXT NOT NULL, verdict TEXT NOT NULL,"
    " note TEXT NOT NULL, PRIMARY KEY (station, path))",
    "CREATE INDEX IF NOT EXISTS tests_by_probe ON tests (probe, start_ms)",
};

// The row's columns, in the order of the insert's placeholders and the select's results, and
// whether the History window's list needs them.
struct Column {
    const char* name;
    bool listed;
};
constexpr Column kColumnList[] = {{"station", true},
                                  {"path", true},
                                  {"size", true},
                                  {"modified_ms", true},
                                  {"sha256", false},
                                  {"record_size", true},
                                  {"record_modified_ms", true},
                                  {"readable", true},
                                  {"problem", true},
                                  {"row_count", true},
                                  {"interval_s", true},
                                  {"channel_names", false},
                                  {"channel_numbers", false},
                                  {"record_state", true},
                                  {"probe", true},
                                  {"start_ms", true},
                                  {"start_time", false},
                                  {"end_time", false},
                                  {"operator_name", true},
                                  {"record_station", false},
                                  {"range_name", false},
                                  {"full_scale", true},
                                  {"channel_verdicts", false},
                                  {"verdict", true},
                                  {"note", true}};
constexpr int kColumnCount = int(std::size(kColumnList));

// The select's columns; for a listing, empty texts stand in for the others, so that every
// column keeps its place.
QString Columns(bool listing = false) {
    QStringList names;
    for (const Column& c : kColumnList)
        names << (listing && !c.listed ? QStringLiteral("'' AS ") : QString()) + QLatin1String(c.name);
    return names.join(QStringLiteral(", "));
}

// The lists of a row are kept as plain text, which reads back several times faster than JSON
// (the History window reads every row at once): the seven texts apart by the unit separator,
// and each channel's four numbers apart by commas, the channels by semicolons, an empty field
// for a channel without numbers.
constexpr QChar kUnitSeparator(0x1f);

QString TextsField(const std::array<QString, kChannelCount>& texts) {
    QString field;
    for (int k = 0; k < kChannelCount; ++k) {
        if (k > 0)
            field += kUnitSeparator;
        field += QString(texts[k]).remove(kUnitSeparator);
    }
    return field;
}

std::array<QString, kChannelCount> TextsOf(const QString& field) {
    std::array<QString, kChannelCount> texts;
    int k = 0;
    for (const QStringView part : QStringView(field).split(kUnitSeparator)) {
        if (k == kChannelCount)
            break;
        texts[k++] = part.toString();
    }
    return texts;
}

QString NumbersField(const std::array<std::optional<ChannelNumbers>, kChannelCount>& numbers) {
    QString field;
    for (int k = 0; k < kChannelCount; ++k) {
        if (k > 0)
            field += QLatin1Char(';');
        if (const auto& n = numbers[k]) {
            for (double v : {n->mean, n->min, n->max, n->end})
                field += QString::number(v, 'g', 17) + QLatin1Char(',');
            field.chop(1);
        }
    }
    return field;
}

// Read with std::from_chars: Qt's own conversion weighs each text against the locale's words
// for infinity and NaN first, which made it most of the History window's opening time.
std::array<std::optional<ChannelNumbers>, kChannelCount> NumbersOf(const QString& field) {
    const QByteArray text = field.toLatin1();
    std::array<std::optional<ChannelNumbers>, kChannelCount> numbers;
    const char* at = text.constData();
    const char* const end = at + text.size();
    for (int k = 0; k < kChannelCount && at <= end; ++k) {
        const char* const channelEnd = std::find(at, end, ';');
        double v[4] = {};
        int read = 0;
        for (const char* p = at; read < 4 && p < channelEnd; ++read) {
            const auto [next, error] = std::from_chars(p, channelEnd, v[read]);
            if (error != std::errc())
                break;
            p = next < channelEnd && *next == ',' ? next + 1 : next;
        }
        if (read == 4)
            numbers[k] = ChannelNumbers{v[0], v[1], v[2], v[3]};
        at = channelEnd + 1;
    }
    return numbers;
}

// A string the row holds; never NULL, which the NOT NULL columns refuse.
QVariant Text(const QString& text) {
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

void Bind(QSqlQuery& q, const TestEntry& e) {
    const QVariant values[kColumnCount] = {Text(e.station),
                                           Text(e.path),
                                           e.size,
                                           e.modifiedMs,
                                           Text(e.sha256),
                                           e.recordSize,
                                           e.recordModifiedMs,
                                           int(e.readable),
                                           Text(e.problem),
                                           e.rows,
                                           e.intervalSeconds,
                                           TextsField(e.channelNames),
                                           NumbersField(e.numbers),
                                           Text(e.recordState),
                                           Text(e.probe),
                                           e.startMs,
                                           Text(e.start),
                                           Text(e.end),
                                           Text(e.operatorName),
                                           Text(e.recordStation),
                                           Text(e.range),
                                           e.fullScale,
                                           TextsField(e.channelVerdicts),
                                           Text(e.verdict),
                                           Text(e.note)};
    for (int i = 0; i < kColumnCount; ++i)
        q.bindValue(i, values[i]);
}

TestEntry EntryOf(const QSqlQuery& q) {
    TestEntry e;
    int i = 0;
    const auto next = [&q, &i] { return q.value(i++); };
    e.station = next().toString();
    e.path = next().toString();
    e.size = next().toLongLong();
    e.modifiedMs = next().toLongLong();
    e.sha256 = next().toString();
    e.recordSize = next().toLongLong();
    e.recordModifiedMs = next().toLongLong();
    e.readable = next().toInt() != 0;
    e.problem = next().toString();
    e.rows = next().toInt();
    e.intervalSeconds = next().toInt();
    e.channelNames = TextsOf(next().toString());
    e.numbers = NumbersOf(next().toString());
    e.recordState = next().toString();
    e.probe = next().toString();
    e.startMs = next().toLongLong();
    e.start = next().toString();
    e.end = next().toString();
    e.operatorName = next().toString();
    e.recordStation = next().toString();
    e.range = next().toString();
    e.fullScale = next().toDouble();
    e.channelVerdicts = TextsOf(next().toString());
    e.verdict = next().toString();
    e.note = next().toString();
    return e;
}

Status Exec(QSqlDatabase& db, const QString& statement, const QString& doing) {
    QSqlQuery q(db);
    if (!q.exec(statement))
        return SqlFailure(doing, q.lastError());
    return Status::success();
}

} // namespace

Status SqlFailure(const QString& doing, const QSqlError& error) {
    QString text = error.text().simplified(); // one line, for the status bar too
    if (text.isEmpty())
        text = QStringLiteral("no reason given");
    return Status::failure(doing + QStringLiteral(": ") + text);
}

Status CreateTables(QSqlDatabase& db) {
    for (const char* statement : kCreateStatements) {
        if (Status s = Exec(db, QString::fromLatin1(statement),
                            QStringLiteral("The history tables could not be made"));
            !s)
            return s;
    }
    QSqlQuery q(db);
    q.prepare(QStringLiteral("INSERT INTO meta (name, value) VALUES ('schema_version', ?) "
                             "ON CONFLICT (name) DO NOTHING"));
    q.addBindValue(QString::number(kCatalogueSchemaVersion));
    if (!q.exec())
        return SqlFailure(QStringLiteral("The history's version could not be written"), q.lastError());
    return Status::success();
}

Status SchemaVersionOf(QSqlDatabase& db, int& version) {
    version = 0;
    if (!db.tables().contains(QStringLiteral("meta")))
        return Status::success();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("SELECT value FROM meta WHERE name = 'schema_version'")))
        return SqlFailure(QStringLiteral("The history's version could not be read"), q.lastError());
    if (q.next())
        version = q.value(0).toString().toInt();
    return Status::success();
}

Status PutRows(QSqlDatabase& db, const std::vector<TestEntry>& entries) {
    static const QString statement = [] {
        QString placeholders;
        QString updates;
        const QStringList columns = Columns().split(QStringLiteral(", "));
        for (const QString& c : columns) {
            placeholders += placeholders.isEmpty() ? QStringLiteral("?") : QStringLiteral(", ?");
            if (c != QLatin1String("station") && c != QLatin1String("path"))
                updates += (updates.isEmpty() ? QString() : QStringLiteral(", ")) + c +
                           QStringLiteral(" = excluded.") + c;
        }
        return QStringLiteral(
                   "INSERT INTO tests (%1) VALUES (%2) ON CONFLICT (station, path) DO UPDATE SET %3")
            .arg(Columns(), placeholders, updates);
    }();
    QSqlQuery q(db);
    if (!q.prepare(statement))
        return SqlFailure(QStringLiteral("The history could not be written"), q.lastError());
    for (const TestEntry& e : entries) {
        Bind(q, e);
        if (!q.exec())
            return SqlFailure(QStringLiteral("The history could not note %1").arg(e.path), q.lastError());
    }
    return Status::success();
}

Status RemoveRows(QSqlDatabase& db, const QString& station, const QStringList& paths) {
    QSqlQuery q(db);
    if (!q.prepare(QStringLiteral("DELETE FROM tests WHERE station = ? AND path = ?")))
        return SqlFailure(QStringLiteral("The history could not be written"), q.lastError());
    for (const QString& path : paths) {
        q.bindValue(0, station);
        q.bindValue(1, path);
        if (!q.exec())
            return SqlFailure(QStringLiteral("The history could not forget %1").arg(path), q.lastError());
    }
    return Status::success();
}

Status ReadRows(QSqlDatabase& db, const QString& station, const RowQuery& query,
                std::vector<TestEntry>& out) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    const QString columns = Columns(query.listing);
    QStringList conditions;
    if (!station.isEmpty())
        conditions << QStringLiteral("station = ?");
    if (!query.probe.isEmpty())
        conditions << QStringLiteral("probe = ?");
    const QString statement =
        QStringLiteral("SELECT %1 FROM tests %2 ORDER BY start_ms DESC, path")
            .arg(columns, conditions.isEmpty()
                              ? QString()
                              : QStringLiteral("WHERE ") + conditions.join(QStringLiteral(" AND ")));
    if (!q.prepare(statement))
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    if (!station.isEmpty())
        q.addBindValue(station);
    if (!query.probe.isEmpty())
        q.addBindValue(query.probe);
    if (!q.exec())
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    std::vector<TestEntry> rows;
    while (q.next())
        rows.push_back(EntryOf(q));
    if (q.lastError().isValid())
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    out = std::move(rows);
    return Status::success();
}

Status ReadRow(QSqlDatabase& db, const QString& station, const QString& path, std::optional<TestEntry>& out) {
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM tests WHERE station = ? AND path = ?").arg(Columns())))
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    q.addBindValue(station);
    q.addBindValue(path);
    if (!q.exec())
        return SqlFailure(QStringLiteral("The history could not be read"), q.lastError());
    out.reset();
    if (q.next())
        out = EntryOf(q);
    return Status::success();
}

Status InTransaction(QSqlDatabase& db, const std::function<Status()>& change) {
    if (!db.transaction())
        return SqlFailure(QStringLiteral("The history could not be written"), db.lastError());
    Status s = change();
    if (!s) {
        db.rollback();
        return s;
    }
    if (!db.commit()) {
        const Status failed = SqlFailure(QStringLiteral("The history could not be written"), db.lastError());
        db.rollback();
        return failed;
    }
    return Status::success();
}

} // namespace corvin::history
