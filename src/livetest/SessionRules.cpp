#include "livetest/SessionRules.h"

#include "common/Rounding.h"

#include <algorithm>
#include <cmath>

namespace corvin::livetest {

QString FormatElapsed(int64_t ms) {
    const int64_t seconds = std::max<int64_t>(0, ms) / 1000;
    const int64_t hours = seconds / 3600;
    const int64_t minutes = (seconds / 60) % 60;
    const int64_t secs = seconds % 60;
    return QStringLiteral("%1:%2:%3")
        .arg(hours, 2, 10, QLatin1Char('0'))
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(secs, 2, 10, QLatin1Char('0'));
}

int MaxLoggingHours(int intervalSeconds) {
    return static_cast<int>(RoundHalfEven(32000.0 / (3600.0 / intervalSeconds) / 7.0));
}

int16_t PlannedSamples(float hours, int intervalSeconds) {
    // Worked in single precision, as the plan always was: 720 x 0.1f is exactly 72.
    float samples = static_cast<float>((3600.0 / intervalSeconds) * hours);
    if (samples > static_cast<float>(kMaxSamples))
        samples = static_cast<float>(kMaxSamples);
    if (!(samples > 0.0f))
        return 0;
    return static_cast<int16_t>(RoundHalfEven(samples));
}

std::optional<int16_t> ReadInterval(const QString& answer) {
    bool ok = false;
    const double v = answer.trimmed().toDouble(&ok);
    if (!ok)
        return std::nullopt;
    return ToInt16(v);
}

std::optional<float> ReadLoggingHours(const QString& answer) {
    bool ok = false;
    const float v = answer.trimmed().toFloat(&ok);
    // "nan" and "inf" parse as numbers, but no logging time is either.
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace corvin::livetest
