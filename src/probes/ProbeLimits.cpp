#include "probes/ProbeLimits.h"

#include "common/PlainFile.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QLocale>
#include <cmath>

namespace corvin::probes {

namespace {

// The largest current any range of the instrument can show, with room to spare: anything beyond
// it is no limit but a typing slip or a damaged file.
constexpr double kLargestLimit = 1.0e6;
// The longest settling time taken: a day.
constexpr double kLongestSettle = 86400.0;
// A limits file is a few hundred bytes; anything much bigger is not one.
constexpr qint64 kLargestLimitsFile = 64 * 1024;

struct Field {
    const char* key;
    std::optional<double> ChannelLimits::*member;
};
constexpr Field kFields[] = {{"min", &ChannelLimits::min},
                             {"max", &ChannelLimits::max},
                             {"marginal_min", &ChannelLimits::marginalMin},
                             {"marginal_max", &ChannelLimits::marginalMax},
                             {"settle_s", &ChannelLimits::settleSeconds}};

Status Refuse(const QString& why) {
    return Status::failure(QStringLiteral("the limits file is not usable: ") + why);
}

} // namespace

Status CheckChannelLimits(int k, const ChannelLimits& limits) {
    const QString channel = QStringLiteral("channel %1: ").arg(k);
    for (const Field& f : kFields) {
        const std::optional<double>& v = limits.*f.member;
        if (v && (!std::isfinite(*v) || std::fabs(*v) > kLargestLimit))
            return Status::failure(channel + QStringLiteral("%1 must be a number between -%2 and %2")
                                                 .arg(QLatin1String(f.key))
                                                 .arg(kLargestLimit, 0, 'g'));
    }
    if (limits.settleSeconds && (*limits.settleSeconds < 0 || *limits.settleSeconds > kLongestSettle))
        return Status::failure(channel + QStringLiteral("the settling time must be 0 to 86400 s"));
    // In order from the bottom up, for the values that are set.
    const std::optional<double> order[] = {limits.min, limits.marginalMin, limits.marginalMax, limits.max};
    const char* names[] = {"min", "marginal min", "marginal max", "max"};
    for (int a = 0; a < 4; ++a)
        for (int b = a + 1; b < 4; ++b)
            if (order[a] && order[b] && *order[a] > *order[b])
                return Status::failure(channel + QStringLiteral("%1 (%2) is above %3 (%4)")
                                                     .arg(QLatin1String(names[a]))
                                                     .arg(*order[a])
                                                     .arg(QLatin1String(names[b]))
                                                     .arg(*order[b]));
    if ((limits.marginalMin || limits.marginalMax) && !limits.judged())
        return Status::failure(channel + QStringLiteral("a marginal band needs a min or a max"));
    return Status::success();
}

Status ParseChannelLimits(int k, const std::array<QString, 5>& texts, ChannelLimits& limits) {
    const char* names[] = {"min", "marginal min", "marginal max", "max", "settling time"};
    std::optional<double> ChannelLimits::*members[] = {&ChannelLimits::min, &ChannelLimits::marginalMin,
                                                        &ChannelLimits::marginalMax, &ChannelLimits::max,
                                                        &ChannelLimits::settleSeconds};
    ChannelLimits read;
    for (int i = 0; i < 5; ++i) {
        const QString text = texts[std::size_t(i)].trimmed();
        if (text.isEmpty())
            continue;
        bool ok = false;
        double v = text.toDouble(&ok);
        if (!ok)
            v = QLocale().toDouble(text, &ok);
        if (!ok || !std::isfinite(v))
            return Status::failure(QStringLiteral("channel %1: the %2 \"%3\" is not a number")
                                       .arg(k)
                                       .arg(QLatin1String(names[i]), text));
        read.*members[i] = v;
    }
    if (Status s = CheckChannelLimits(k, read); !s)
        return s;
    limits = read;
    return Status::success();
}

std::array<QString, 5> ChannelLimitsTexts(const ChannelLimits& limits) {
    const auto text = [](const std::optional<double>& v) { return v ? QString::number(*v, 'g', 10) : QString(); };
    return {text(limits.min), text(limits.marginalMin), text(limits.marginalMax), text(limits.max),
            text(limits.settleSeconds)};
}

bool HasNoLimits(const ProbeLimits& limits) {
    for (const ChannelLimits& c : limits)
        if (!(c == ChannelLimits{}))
            return false;
    return true;
}

QJsonObject LimitsChannelsToJson(const ProbeLimits& limits) {
    QJsonObject channels;
    for (int k = 1; k <= kChannelCount; ++k) {
        QJsonObject channel;
        for (const Field& f : kFields)
            if (const std::optional<double>& v = limits[k - 1].*f.member)
                channel.insert(QLatin1String(f.key), *v);
        if (!channel.isEmpty())
            channels.insert(QString::number(k), channel);
    }
    return channels;
}

Status LimitsChannelsFromJson(const QJsonValue& channelsValue, ProbeLimits& limits) {
    if (!channelsValue.isUndefined() && !channelsValue.isObject())
        return Status::failure(QStringLiteral("its channels are not a table"));
    ProbeLimits read{};
    const QJsonObject channels = channelsValue.toObject();
    for (auto it = channels.begin(); it != channels.end(); ++it) {
        bool isNumber = false;
        const int k = it.key().toInt(&isNumber);
        if (!isNumber || k < 1 || k > kChannelCount || !it.value().isObject())
            return Status::failure(QStringLiteral("it names a channel \"%1\" the instrument does not have").arg(it.key()));
        const QJsonObject channel = it.value().toObject();
        for (const Field& f : kFields) {
            const QJsonValue v = channel.value(QLatin1String(f.key));
            if (v.isUndefined() || v.isNull())
                continue;
            if (!v.isDouble())
                return Status::failure(QStringLiteral("channel %1's %2 is not a number").arg(k).arg(QLatin1String(f.key)));
            read[k - 1].*f.member = v.toDouble();
        }
        if (Status s = CheckChannelLimits(k, read[k - 1]); !s)
            return s;
    }
    limits = read;
    return Status::success();
}

QByteArray EncodeProbeLimits(const ProbeLimits& limits) {
    QJsonObject root{{QStringLiteral("format"), QLatin1String(kLimitsFormat)},
                     {QStringLiteral("version"), kLimitsVersion},
                     {QStringLiteral("channels"), LimitsChannelsToJson(limits)}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

Status DecodeProbeLimits(const QByteArray& bytes, ProbeLimits& limits) {
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return Refuse(QStringLiteral("it is not JSON"));
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != QLatin1String(kLimitsFormat))
        return Refuse(QStringLiteral("it is not a Corvin probe limits file"));
    const QJsonValue version = root.value(QStringLiteral("version"));
    if (!version.isDouble() || version.toDouble() != kLimitsVersion)
        return Refuse(QStringLiteral("it has a version this Corvin does not read"));
    if (Status s = LimitsChannelsFromJson(root.value(QStringLiteral("channels")), limits); !s)
        return Refuse(s.message());
    return Status::success();
}

QString LimitsPathFor(const QString& probePath) {
    const QFileInfo probe(probePath);
    return probe.path() + QLatin1Char('/') + probe.completeBaseName() + QStringLiteral(".limits.json");
}

Status ReadProbeLimits(const QString& path, ProbeLimits& limits) {
    if (!QFileInfo::exists(path)) {
        limits = {};
        return Status::success();
    }
    QByteArray bytes;
    if (Status s = ReadPlainFile(QFile::encodeName(path), kLargestLimitsFile + 1, bytes); !s)
        return Refuse(s.message());
    if (bytes.size() > kLargestLimitsFile)
        return Refuse(QStringLiteral("it is far too long"));
    return DecodeProbeLimits(bytes, limits);
}

Status WriteProbeLimits(const QString& path, const ProbeLimits& limits, const AtomicFileFactory& files) {
    return WriteFileAtomically(path, EncodeProbeLimits(limits), files);
}

} // namespace corvin::probes
