#pragma once
// A probe's limits: per channel, optional minimum and maximum in µA, an optional marginal band
// inside them and a settling time during which readings are not judged. They live beside the
// probe file as NAME.limits.json, so the probe file itself stays exactly as the program always
// wrote it:
//   {"format": "corvin-probe-limits", "version": 1,
//    "channels": {"1": {"min": -0.5, "max": 5.0, "marginal_min": 0.0, "marginal_max": 4.5,
//                       "settle_s": 30}, ...}}
// Every key may be absent. A reader distrusts the file: anything it cannot take whole is refused
// with one message and no limits.

#include "common/AtomicFile.h"
#include "common/SharedState.h"
#include "common/Status.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <array>
#include <optional>

namespace corvin::probes {

struct ChannelLimits {
    std::optional<double> min;
    std::optional<double> max;
    std::optional<double> marginalMin;
    std::optional<double> marginalMax;
    std::optional<double> settleSeconds;
    // True when the channel is judged at all (a minimum or a maximum is set).
    bool judged() const { return min || max; }
    bool operator==(const ChannelLimits&) const = default;
};

// Channel k at [k - 1].
using ProbeLimits = std::array<ChannelLimits, kChannelCount>;

inline constexpr char kLimitsFormat[] = "corvin-probe-limits";
inline constexpr int kLimitsVersion = 1;

// Whether one channel's limits make sense: finite numbers, min <= marginal min <= marginal max
// <= max for those that are set, a settling time that is not negative. The failure names the
// channel and the rule.
Status CheckChannelLimits(int k, const ChannelLimits& limits);
// One channel's limits as typed: min, marginal min, marginal max, max and settling time, each
// empty (not set) or a number in the C locale or the user's; then checked as above.
Status ParseChannelLimits(int k, const std::array<QString, 5>& texts, ChannelLimits& limits);
// The limits of one channel as the five texts ParseChannelLimits reads.
std::array<QString, 5> ChannelLimitsTexts(const ChannelLimits& limits);

// True when no channel has any limit.
bool HasNoLimits(const ProbeLimits& limits);

QByteArray EncodeProbeLimits(const ProbeLimits& limits);
// The "channels" table alone, as a limits file and a test record hold it.
QJsonObject LimitsChannelsToJson(const ProbeLimits& limits);
Status LimitsChannelsFromJson(const QJsonValue& channels, ProbeLimits& limits);
// Reads the JSON form; fails (with the reason) on anything but a whole, sensible limits file of
// this version, leaving `limits` as it was.
Status DecodeProbeLimits(const QByteArray& bytes, ProbeLimits& limits);

// The limits file of the probe file `probePath` (its name with ".limits.json" for ".Prb").
QString LimitsPathFor(const QString& probePath);
// Reads the limits of a probe: no file means no limits (success, all channels empty).
Status ReadProbeLimits(const QString& path, ProbeLimits& limits);
Status WriteProbeLimits(const QString& path, const ProbeLimits& limits,
                        const AtomicFileFactory& files = AtomicFileFactory());

} // namespace corvin::probes
