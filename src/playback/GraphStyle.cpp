#include "playback/GraphStyle.h"

#include "playback/PlotRoutine.h"

#include <array>
#include <cmath>

namespace corvin::playback {
namespace {

// Okabe and Ito's colour-blind-safe set in an order that keeps neighbours apart; their yellow is
// left out because it hardly shows on white paper.
const std::array<QColor, 7> kClearColours{
    QColor(0x00, 0x72, 0xB2), // blue
    QColor(0xD5, 0x5E, 0x00), // vermillion
    QColor(0x00, 0x9E, 0x73), // bluish green
    QColor(0xCC, 0x79, 0xA7), // reddish purple
    QColor(0xE6, 0x9F, 0x00), // orange
    QColor(0x56, 0xB4, 0xE9), // sky blue
    QColor(0x00, 0x00, 0x00), // black
};

} // namespace

LegendCorner QuietestCorner(const std::vector<std::pair<double, double>>& points, LegendBox box,
                            int* covered) {
    std::array<int, 4> count{};
    for (const auto& [x, y] : points) {
        const bool right = x >= 1.0 - box.width && x <= 1.0;
        const bool left = x <= box.width && x >= 0.0;
        const bool top = y >= 1.0 - box.height && y <= 1.0;
        const bool bottom = y <= box.height && y >= 0.0;
        count[0] += top && right;
        count[1] += top && left;
        count[2] += bottom && right;
        count[3] += bottom && left;
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < count.size(); ++i)
        if (count[i] < count[best])
            best = i;
    if (covered)
        *covered = count[best];
    return static_cast<LegendCorner>(best);
}

GraphStyle GraphStyle::ofKind(GraphStyleKind kind) {
    GraphStyle style;
    style.kind = kind;
    if (kind == GraphStyleKind::Clear) {
        style.background = Qt::white;
        style.foreground = QColor(0x20, 0x20, 0x20);
        style.grid = QColor(0xDD, 0xDD, 0xDD);
        style.solidGrid = true;
        style.lineWidth = 1.5;
        style.elapsedTimeAxis = true;
        style.legendInside = true;
    } else {
        style.background = PlotRoutine::paletteColour(11);
        style.foreground = PlotRoutine::paletteColour(0);
        style.grid = QColor(200, 200, 200); // QCustomPlot's own grid colour, dotted
        // Lines two pixels wide: the palette's light colours (yellow, white) on the light
        // background stay visible.
        style.lineWidth = 2.0;
    }
    return style;
}

QColor GraphStyle::colourOfSet(int setNumber, int paletteIndex) const {
    if (kind == GraphStyleKind::Classic)
        return PlotRoutine::paletteColour(paletteIndex);
    if (setNumber < 1 || setNumber > static_cast<int>(kClearColours.size()))
        return foreground;
    return kClearColours[static_cast<std::size_t>(setNumber - 1)];
}

QString GraphStyle::nameOf(GraphStyleKind kind) {
    return kind == GraphStyleKind::Clear ? QStringLiteral("clear") : QStringLiteral("classic");
}

std::optional<GraphStyleKind> GraphStyle::parse(const QString& name) {
    if (name.compare(QLatin1String("classic"), Qt::CaseInsensitive) == 0)
        return GraphStyleKind::Classic;
    if (name.compare(QLatin1String("clear"), Qt::CaseInsensitive) == 0)
        return GraphStyleKind::Clear;
    return std::nullopt;
}

QString GraphStyle::elapsedTitle(double testSeconds) {
    return usesClock(testSeconds) ? QStringLiteral("Elapsed time (h:mm:ss)")
                                  : QStringLiteral("Elapsed time (s)");
}

QString GraphStyle::elapsedText(double seconds, double testSeconds) {
    const auto whole = static_cast<long long>(std::llround(seconds));
    if (!usesClock(testSeconds))
        return QString::number(whole);
    const long long s = whole < 0 ? -whole : whole;
    return QStringLiteral("%1%2:%3:%4")
        .arg(whole < 0 ? QStringLiteral("-") : QString())
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

double GraphStyle::elapsedStep(double spanSeconds, int maxTicks) {
    static constexpr std::array<double, 17> kSteps{1,   2,   5,    10,   15,   30,    60,    120,  300,
                                                   600, 900, 1800, 3600, 7200, 10800, 21600, 43200};
    const int ticks = std::max(maxTicks, 1);
    if (!(spanSeconds > 0.0))
        return kSteps.front();
    for (double step : kSteps)
        if (spanSeconds / step <= ticks)
            return step;
    const double days = std::ceil(spanSeconds / 86400.0 / ticks);
    return days * 86400.0;
}

} // namespace corvin::playback
