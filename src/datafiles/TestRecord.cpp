#include "datafiles/TestRecord.h"

#include "common/BuildInfo.h"
#include "common/PlainFile.h"
#include "datafiles/TestDataFile.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSysInfo>
#include <cmath>
#include <pwd.h>
#include <unistd.h>

namespace corvin::datafiles {

namespace {

// A record is a few kilobytes; a note may make it longer, but never this long.
constexpr qint64 kLargestRecord = 1024 * 1024;

const QString kNotRecorded = QStringLiteral("not recorded");

QString IsoTime(const QDateTime& t) {
    if (!t.isValid())
        return {};
    // With the offset from UTC of the time zone the test ran in.
    const QDateTime shown = t.toOffsetFromUtc(t.offsetFromUtc());
    return shown.toString(t.time().msec() == 0 ? Qt::ISODate : Qt::ISODateWithMs);
}

// One field of the wrong type refuses the whole record; absent fields are "not recorded".
class Reader {
public:
    explicit Reader(QJsonObject object) : m_object(std::move(object)) {}
    QString text(const char* key) {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return {};
        if (!v.isString())
            refuse(key);
        return v.toString();
    }
    double number(const char* key, double lowest, double highest) {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return 0;
        if (!v.isDouble() || !(v.toDouble() >= lowest && v.toDouble() <= highest)) {
            refuse(key);
            return 0; // never a number out of range: callers convert it to int
        }
        return v.toDouble();
    }
    std::optional<bool> flag(const char* key) {
        const QJsonValue v = m_object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        if (!v.isBool())
            refuse(key);
        return v.toBool();
    }
    QDateTime time(const char* key) {
        const QString t = text(key);
        if (t.isEmpty())
            return {};
        const QDateTime parsed = QDateTime::fromString(t, Qt::ISODate);
        if (!parsed.isValid())
            refuse(key);
        return parsed;
    }
    QJsonValue value(const char* key) const { return m_object.value(QLatin1String(key)); }
    void refuse(const char* key) {
        if (m_bad.isEmpty())
            m_bad = QString::fromLatin1(key);
    }
    const QString& bad() const { return m_bad; }

private:
    QJsonObject m_object;
    QString m_bad;
};

QJsonArray ToJson(const std::array<QString, kChannelCount>& texts) {
    QJsonArray a;
    for (const QString& t : texts)
        a.append(t);
    return a;
}

} // namespace

void FillStation(TestRecord& record) {
    QString login = qEnvironmentVariable("USER");
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_name)
        login = QString::fromLocal8Bit(user->pw_name);
    record.operatorName = login;
    record.station = QSysInfo::machineHostName();
    record.programVersion = QString::fromLatin1(kVersion);
}

QString RecordPathFor(const QString& datPath) {
    return datPath + QStringLiteral(".json");
}

QString Sha256Hex(const QByteArray& bytes) {
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray EncodeTestRecord(const TestRecord& r) {
    QJsonObject o{{QStringLiteral("format"), QLatin1String(kRecordFormat)},
                  {QStringLiteral("version"), kRecordVersion}};
    const auto put = [&o](const char* key, const QJsonValue& v) { o.insert(QLatin1String(key), v); };
    if (r.start.isValid())
        put("start", IsoTime(r.start));
    if (r.end.isValid())
        put("end", IsoTime(r.end));
    put("operator", r.operatorName);
    put("station", r.station);
    put("program_version", r.programVersion);
    put("probe", QJsonObject{{QStringLiteral("name"), r.probeName},
                             {QStringLiteral("channels"), ToJson(r.channelNames)}});
    if (!r.range.isEmpty())
        put("range", r.range);
    if (r.fullScaleMicroAmps > 0)
        put("full_scale_uA", r.fullScaleMicroAmps);
    if (r.channelsOn) {
        QJsonArray on;
        for (bool b : *r.channelsOn)
            on.append(b);
        put("channels_on", on);
    }
    put("interval_s", r.intervalSeconds);
    put("rows", r.rows);
    if (!r.card.isEmpty()) {
        QJsonObject card{{QStringLiteral("kind"), r.card}};
        if (!r.cardDevice.isEmpty())
            card.insert(QStringLiteral("device"), r.cardDevice);
        if (!r.cardBoard.isEmpty())
            card.insert(QStringLiteral("board"), r.cardBoard);
        put("card", card);
    }
    if (r.autoTest)
        put("auto_test", *r.autoTest);
    put("note", r.note);
    put("dat_sha256", r.datSha256);
    if (r.limits)
        put("limits", probes::LimitsChannelsToJson(*r.limits));
    if (r.verdicts) {
        QJsonObject channels;
        for (int k = 1; k <= kChannelCount; ++k)
            channels.insert(QString::number(k), VerdictName(r.verdicts->channels[k - 1]));
        put("verdicts", QJsonObject{{QStringLiteral("channels"), channels},
                                    {QStringLiteral("test"), VerdictName(r.verdicts->test)}});
    }
    return QJsonDocument(o).toJson(QJsonDocument::Indented);
}

Status DecodeTestRecord(const QByteArray& bytes, TestRecord& record) {
    const auto refuse = [](const QString& why) {
        return Status::failure(QStringLiteral("its test record is not usable: ") + why);
    };
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return refuse(QStringLiteral("it is not JSON"));
    Reader in(doc.object());
    if (in.value("format").toString() != QLatin1String(kRecordFormat))
        return refuse(QStringLiteral("it is not a Corvin test record"));
    if (in.value("version").toDouble() != kRecordVersion)
        return refuse(QStringLiteral("it has a version this Corvin does not read"));

    TestRecord r;
    r.start = in.time("start");
    r.end = in.time("end");
    r.operatorName = in.text("operator");
    r.station = in.text("station");
    r.programVersion = in.text("program_version");
    if (const QJsonValue probe = in.value("probe"); probe.isObject()) {
        Reader p(probe.toObject());
        r.probeName = p.text("name");
        const QJsonValue names = p.value("channels");
        if (names.isArray() && names.toArray().size() == kChannelCount) {
            for (int k = 0; k < kChannelCount; ++k) {
                if (!names.toArray().at(k).isString())
                    in.refuse("probe");
                r.channelNames[k] = names.toArray().at(k).toString();
            }
        } else if (!names.isUndefined()) {
            in.refuse("probe");
        }
        if (!p.bad().isEmpty())
            in.refuse("probe");
    } else if (!probe.isUndefined()) {
        in.refuse("probe");
    }
    r.range = in.text("range");
    if (!r.range.isEmpty() && r.range != QLatin1String("HIGH") && r.range != QLatin1String("LOW"))
        in.refuse("range");
    r.fullScaleMicroAmps = in.number("full_scale_uA", 0, 1000);
    if (const QJsonValue on = in.value("channels_on"); on.isArray() && on.toArray().size() == kChannelCount) {
        std::array<bool, kChannelCount> flags{};
        for (int k = 0; k < kChannelCount; ++k) {
            if (!on.toArray().at(k).isBool())
                in.refuse("channels_on");
            flags[k] = on.toArray().at(k).toBool();
        }
        r.channelsOn = flags;
    } else if (!on.isUndefined()) {
        in.refuse("channels_on");
    }
    r.intervalSeconds = int(in.number("interval_s", 0, 32767));
    r.rows = int(in.number("rows", 0, 32767));
    if (const QJsonValue card = in.value("card"); card.isObject()) {
        Reader c(card.toObject());
        r.card = c.text("kind");
        r.cardDevice = c.text("device");
        r.cardBoard = c.text("board");
        if (!c.bad().isEmpty())
            in.refuse("card");
    } else if (!card.isUndefined()) {
        in.refuse("card");
    }
    r.autoTest = in.flag("auto_test");
    r.note = in.text("note");
    r.datSha256 = in.text("dat_sha256");
    if (const QJsonValue limits = in.value("limits"); !limits.isUndefined()) {
        probes::ProbeLimits read;
        if (Status s = probes::LimitsChannelsFromJson(limits, read); !s)
            return refuse(QStringLiteral("its limits: ") + s.message());
        r.limits = read;
    }
    if (const QJsonValue verdicts = in.value("verdicts"); verdicts.isObject()) {
        RecordedVerdicts v;
        const QJsonObject channels = verdicts.toObject().value(QStringLiteral("channels")).toObject();
        for (int k = 1; k <= kChannelCount; ++k) {
            const QJsonValue name = channels.value(QString::number(k));
            if (!name.isUndefined() && !VerdictOfName(name.toString(), v.channels[k - 1]))
                in.refuse("verdicts");
        }
        if (!VerdictOfName(verdicts.toObject().value(QStringLiteral("test")).toString(), v.test))
            in.refuse("verdicts");
        r.verdicts = v;
    } else if (!verdicts.isUndefined()) {
        in.refuse("verdicts");
    }
    if (!in.bad().isEmpty())
        return refuse(QStringLiteral("its field \"%1\" is not what a record holds").arg(in.bad()));
    record = std::move(r);
    return Status::success();
}

Status WriteTestDataWithRecord(const QString& datPath, PeriodicDataSet& data, int16_t intervalSeconds,
                               const std::array<QString, kChannelCount>& channelNames, TestRecord record,
                               const AtomicFileFactory& files) {
    const int16_t rows = data.SampleCapacity;
    if (Status s = CheckRowsToWrite(data, rows); !s)
        return s;
    const QByteArray dat = EncodeTestData(data, rows, intervalSeconds, channelNames);
    record.rows = rows;
    record.datSha256 = Sha256Hex(dat);
    if (Status s =
            WriteFilesAtomically({{datPath, dat}, {RecordPathFor(datPath), EncodeTestRecord(record)}}, files);
        !s)
        return s;
    data.SampleCount = rows;
    data.HeaderValues[1] = rows;
    return Status::success();
}

RecordReading ReadRecordBeside(const QString& datPath) {
    QByteArray dat;
    if (!ReadPlainFile(QFile::encodeName(datPath), kLargestDataFile, dat))
        return ReadRecordBeside(datPath, std::nullopt);
    return ReadRecordBeside(datPath, dat);
}

RecordReading ReadRecordBeside(const QString& datPath, const std::optional<QByteArray>& datBytes) {
    RecordReading reading;
    const QString path = RecordPathFor(datPath);
    if (!QFileInfo::exists(path))
        return reading;
    QByteArray bytes;
    Status s = ReadPlainFile(QFile::encodeName(path), kLargestRecord + 1, bytes);
    if (s && bytes.size() > kLargestRecord)
        s = Status::failure(QStringLiteral("its test record is far too long"));
    if (s)
        s = DecodeTestRecord(bytes, reading.record);
    if (!s) {
        reading.state = RecordState::Unusable;
        reading.message = s.message();
        return reading;
    }
    reading.state = datBytes && Sha256Hex(*datBytes) == reading.record.datSha256 ? RecordState::Matches
                                                                                 : RecordState::Changed;
    if (reading.state == RecordState::Changed)
        reading.message = kRecordChangedText;
    return reading;
}

QStringList RecordLines(const TestRecord& r) {
    const auto orNot = [](const QString& v) { return v.isEmpty() ? kNotRecorded : v; };
    QStringList lines;
    const auto line = [&lines](const char* name, const QString& value) {
        lines << QLatin1String(name) + QStringLiteral(": ") + value;
    };
    line("start", orNot(IsoTime(r.start)));
    line("end", orNot(IsoTime(r.end)));
    line("operator", orNot(r.operatorName));
    line("station", orNot(r.station));
    line("program version", orNot(r.programVersion));
    line("probe", orNot(r.probeName));
    for (int k = 1; k <= kChannelCount; ++k)
        lines << QStringLiteral("channel %1 name: %2").arg(k).arg(orNot(r.channelNames[k - 1].trimmed()));
    line("range", orNot(r.range));
    line("full scale", r.fullScaleMicroAmps > 0
                           ? QString::number(r.fullScaleMicroAmps) + QStringLiteral(" \u00B5A")
                           : kNotRecorded);
    QString on;
    if (r.channelsOn)
        for (int k = 1; k <= kChannelCount; ++k)
            if ((*r.channelsOn)[k - 1])
                on += (on.isEmpty() ? QString() : QStringLiteral(" ")) + QString::number(k);
    line("channels on", r.channelsOn ? (on.isEmpty() ? QStringLiteral("none") : on) : kNotRecorded);
    line("interval", r.intervalSeconds > 0 ? QStringLiteral("%1 s").arg(r.intervalSeconds) : kNotRecorded);
    line("rows", QString::number(r.rows));
    QString card = r.card;
    if (!r.cardDevice.isEmpty())
        card += QStringLiteral(" ") + r.cardDevice;
    if (!r.cardBoard.isEmpty())
        card += QStringLiteral(" (") + r.cardBoard + QStringLiteral(")");
    line("card", orNot(card));
    line("auto test",
         r.autoTest ? (*r.autoTest ? QStringLiteral("yes") : QStringLiteral("no")) : kNotRecorded);
    line("note", r.note.isEmpty() ? QStringLiteral("none")
                                  : QString(r.note).replace(QLatin1Char('\n'), QLatin1Char(' ')));
    line("data file SHA-256", orNot(r.datSha256));
    if (r.verdicts) {
        for (int k = 1; k <= kChannelCount; ++k)
            lines << QStringLiteral("channel %1 verdict: %2")
                         .arg(k)
                         .arg(VerdictName(r.verdicts->channels[k - 1]));
        line("verdict", VerdictName(r.verdicts->test));
    } else {
        line("verdict", kNotRecorded);
    }
    return lines;
}

WorkbookProperties RecordProperties(const TestRecord& record) {
    WorkbookProperties p;
    p.title = QStringLiteral("Corvin test of ") + record.probeName.trimmed();
    if (record.start.isValid())
        p.subject = QStringLiteral("started ") + IsoTime(record.start);
    p.author = record.operatorName;
    if (record.verdicts)
        p.keywords = VerdictName(record.verdicts->test);
    p.comments = record.note;
    // Numbers as numbers, so a spreadsheet can compute with them.
    if (record.fullScaleMicroAmps > 0)
        p.custom.push_back({QStringLiteral("full scale uA"), record.fullScaleMicroAmps});
    if (record.intervalSeconds > 0)
        p.custom.push_back({QStringLiteral("interval s"), double(record.intervalSeconds)});
    p.custom.push_back({QStringLiteral("rows"), double(record.rows)});
    for (const QString& line : RecordLines(record)) {
        const qsizetype colon = line.indexOf(QStringLiteral(": "));
        const QString name = line.left(colon);
        if (name == QLatin1String("data file SHA-256") || name == QLatin1String("rows"))
            continue; // a workbook is no test data file; the rows are above
        p.custom.push_back({name, line.mid(colon + 2)});
    }
    return p;
}

} // namespace corvin::datafiles
