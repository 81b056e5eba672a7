#include "instrument/SimulatorProfile.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <cmath>
#include <numbers>

namespace corvin::instrument {

namespace {

// A profile is a few lines; anything bigger is not one.
constexpr qint64 kMaxProfileBytes = 64 * 1024;
// Values beyond an ampere or periods beyond a day mean a typing error, not an experiment.
constexpr double kMaxMicroAmps = 1.0e6;
constexpr double kMaxPeriodSeconds = 86400.0;

enum class Quantity { Current, Time };

struct Setting {
    const char* name;
    Quantity quantity;
    double ChannelCurrent::*field;
};

constexpr std::array<Setting, 4> kSettings{{
    {"level", Quantity::Current, &ChannelCurrent::levelMicroAmps},
    {"swing", Quantity::Current, &ChannelCurrent::swingMicroAmps},
    {"period", Quantity::Time, &ChannelCurrent::periodSeconds},
    {"noise", Quantity::Current, &ChannelCurrent::noiseMicroAmps},
}};

const Setting* FindSetting(const QString& name) {
    for (const auto& s : kSettings) {
        if (name.compare(QLatin1String(s.name), Qt::CaseInsensitive) == 0)
            return &s;
    }
    return nullptr;
}

// The factor that turns a value in `unit` into µA or seconds, or 0 for a unit that does not fit.
double UnitFactor(Quantity quantity, const QString& unit) {
    if (quantity == Quantity::Current) {
        if (unit.isEmpty() || unit.compare(QLatin1String("uA"), Qt::CaseInsensitive) == 0 ||
            unit == QStringLiteral(u"µA") || unit == QStringLiteral(u"μA"))
            return 1.0;
        if (unit == QLatin1String("nA"))
            return 1.0e-3;
        if (unit == QLatin1String("mA"))
            return 1.0e3;
        return 0.0;
    }
    if (unit.isEmpty() || unit == QLatin1String("s"))
        return 1.0;
    if (unit == QLatin1String("min"))
        return 60.0;
    if (unit == QLatin1String("ms"))
        return 1.0e-3;
    return 0.0;
}

QString LineError(const QString& source, int line, const QString& problem) {
    return QStringLiteral("%1, line %2: %3").arg(source).arg(line).arg(problem);
}

// One "name value [unit]" item of a channel line into `current`, or the problem with it.
QString ParseItem(const QString& item, ChannelCurrent& current, QStringList& seen) {
    const QStringList words = item.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return QStringLiteral("empty setting (two commas in a row?)");
    const Setting* setting = FindSetting(words[0]);
    if (!setting)
        return QStringLiteral("unknown setting \"%1\" (expected level, swing, period or noise)")
            .arg(words[0]);
    const QString name = QLatin1String(setting->name);
    if (seen.contains(name))
        return QStringLiteral("\"%1\" given twice").arg(name);
    if (words.size() < 2)
        return QStringLiteral("\"%1\" has no value").arg(name);
    if (words.size() > 3)
        return QStringLiteral("too many words in \"%1\"").arg(item.trimmed());
    bool ok = false;
    const double value = QLocale::c().toDouble(words[1], &ok);
    if (!ok || !std::isfinite(value))
        return QStringLiteral("\"%1\" is not a number").arg(words[1]);
    const QString unit = words.size() == 3 ? words[2] : QString();
    const double factor = UnitFactor(setting->quantity, unit);
    if (factor == 0.0)
        return QStringLiteral("unit \"%1\" does not suit \"%2\" (%3)")
            .arg(unit, name,
                 setting->quantity == Quantity::Current ? QStringLiteral("use uA, nA or mA")
                                                        : QStringLiteral("use s, ms or min"));
    const double scaled = value * factor;
    if (setting->quantity == Quantity::Time) {
        if (!(scaled > 0.0) || scaled > kMaxPeriodSeconds)
            return QStringLiteral("period must be more than 0 and at most 86400 s");
    } else {
        if (std::fabs(scaled) > kMaxMicroAmps)
            return QStringLiteral("\"%1\" beyond 1 A").arg(name);
        if (setting->field != &ChannelCurrent::levelMicroAmps && scaled < 0.0)
            return QStringLiteral("\"%1\" must not be negative").arg(name);
    }
    current.*(setting->field) = scaled;
    seen.append(name);
    return {};
}

} // namespace

SimulatorProfile SimulatorProfile::demo() {
    SimulatorProfile p;
    p.m_channels = {{
        {6.0, 1.5, 40.0, 0.04},
        {-3.5, 0.8, 25.0, 0.03},
        {8.2, 0.6, 60.0, 0.05},
        {1.8, 0.4, 15.0, 0.02},
        {450.0, 120.0, 50.0, 3.0},
        {-280.0, 60.0, 35.0, 2.0},
        {760.0, 90.0, 80.0, 4.0},
    }};
    return p;
}

double SimulatorProfile::currentAt(int k, double seconds) const {
    const ChannelCurrent& c = channel(k);
    // Channels drift out of step with one another: each starts a seventh of a turn further on.
    const double phase = 2.0 * std::numbers::pi * (k - 1) / kChannelCount;
    return c.levelMicroAmps +
           c.swingMicroAmps * std::sin(2.0 * std::numbers::pi * seconds / c.periodSeconds + phase);
}

Status SimulatorProfile::Load(const QString& path, SimulatorProfile& profile) {
    QFile file(path);
    const QFileInfo info(path);
    if (info.isDir())
        return Status::failure(
            QStringLiteral("Simulator profile %1: is a folder, not a profile file").arg(path));
    // Opening a pipe would wait for a writer for ever; a device has no end to read to.
    if (info.exists() && !info.isFile())
        return Status::failure(
            QStringLiteral("Simulator profile %1: is not a plain file (a pipe, a socket or a device)")
                .arg(path));
    if (!info.exists())
        return Status::failure(QStringLiteral("Simulator profile %1: no such file").arg(path));
    if (!file.open(QIODevice::ReadOnly))
        return Status::failure(
            QStringLiteral("Simulator profile %1: cannot be read (%2)").arg(path, file.errorString()));
    const QByteArray bytes = file.read(kMaxProfileBytes + 1);
    if (bytes.size() > kMaxProfileBytes)
        return Status::failure(
            QStringLiteral("Simulator profile %1: too large to be a profile (over 64 KiB)").arg(path));
    if (bytes.contains('\0'))
        return Status::failure(QStringLiteral("Simulator profile %1: not a text file").arg(path));
    return parse(QString::fromUtf8(bytes), path, profile);
}

Status SimulatorProfile::parse(const QString& text, const QString& source, SimulatorProfile& profile) {
    const QRegularExpression channelLine(QStringLiteral(R"(^channel\s+(\S+?)\s*:\s*(.*)$)"),
                                         QRegularExpression::CaseInsensitiveOption);

    SimulatorProfile result;
    std::array<bool, kChannelCount> given{};
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const int lineNumber = i + 1;
        QString line = lines[i];
        if (line.contains(QChar::ReplacementCharacter))
            return Status::failure(
                LineError(source, lineNumber, QStringLiteral("not readable text (use UTF-8)")));
        const auto hash = line.indexOf(QLatin1Char('#'));
        if (hash >= 0)
            line.truncate(hash);
        line = line.simplified();
        if (line.isEmpty())
            continue;
        const QRegularExpressionMatch m = channelLine.match(line);
        if (!m.hasMatch())
            return Status::failure(
                LineError(source, lineNumber, QStringLiteral("expected \"channel N: level ... uA, ...\"")));
        bool ok = false;
        const int k = m.captured(1).toInt(&ok);
        if (!ok || k < 1 || k > kChannelCount)
            return Status::failure(LineError(
                source, lineNumber, QStringLiteral("channel \"%1\" is not 1 to 7").arg(m.captured(1))));
        if (given[static_cast<std::size_t>(k - 1)])
            return Status::failure(
                LineError(source, lineNumber, QStringLiteral("channel %1 given twice").arg(k)));
        given[static_cast<std::size_t>(k - 1)] = true;

        ChannelCurrent current;
        QStringList seen;
        const QString items = m.captured(2);
        for (const QString& item : items.isEmpty() ? QStringList() : items.split(QLatin1Char(','))) {
            const QString problem = ParseItem(item, current, seen);
            if (!problem.isEmpty())
                return Status::failure(LineError(source, lineNumber, problem));
        }
        result.channel(k) = current;
    }
    profile = result;
    return Status::success();
}

} // namespace corvin::instrument
