#include "playback/CursorReadout.h"

#include <cmath>

namespace corvin::playback {

int CursorReadout::sampleAt(double position, int pointCount) {
    if (pointCount < 1 || std::isnan(position))
        return 0;
    if (position <= 1.0)
        return 1;
    if (position >= pointCount)
        return pointCount;
    return static_cast<int>(std::lround(position));
}

QString CursorReadout::Clock(int64_t seconds) {
    const bool negative = seconds < 0;
    const int64_t s = negative ? -seconds : seconds;
    return QStringLiteral("%1%2:%3:%4")
        .arg(negative ? QStringLiteral("-") : QString())
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString CursorReadout::Text(int sample, int16_t intervalSeconds, const std::vector<SetValue>& values,
                            const QString& unit) {
    const int64_t elapsed = int64_t(sample) * intervalSeconds;
    QString text = QStringLiteral("Sample %1   %2 s (%3)").arg(sample).arg(elapsed).arg(Clock(elapsed));
    for (const SetValue& set : values) {
        const QString value =
            std::isfinite(set.value) ? QString::number(set.value, 'f', 3) : QStringLiteral("-");
        text += QStringLiteral("   %1: %2 %3").arg(set.setNumber).arg(value, unit);
    }
    return text;
}

} // namespace corvin::playback
