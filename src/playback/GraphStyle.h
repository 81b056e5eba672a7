#pragma once
// How a graph of a test looks, apart from any chart component: background, ink, grid, the
// colour of each set, line width, what the bottom axis counts and where the legend goes. The
// classic style is the program's own look (sample axis, the 16-colour palette by set position,
// the legend beside the plot); the clear one is for reading and printing: white, the Okabe-Ito
// colours (told apart with any colour vision, dark enough on paper), a light grey grid, elapsed
// time along the bottom and the legend inside the plot. The playback graph, `corvin-data plot`
// and anything else that draws a test take their look from here.

#include "common/SharedState.h"

#include <QColor>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

namespace corvin::playback {

// The legend's size as a fraction of the plot's width and height.
struct LegendBox {
    double width = 0.3;
    double height = 0.3;
};
enum class LegendCorner { TopRight, TopLeft, BottomRight, BottomLeft };

// The corner whose legend-sized box holds the fewest of `points` (each a position in the plot
// from 0,0 at the bottom left to 1,1 at the top right); on a tie the earlier corner, top right
// first, where a legend is looked for. `covered` (when given) is how many points that box holds.
LegendCorner QuietestCorner(const std::vector<std::pair<double, double>>& points, LegendBox box,
                            int* covered = nullptr);

struct GraphStyle {
    GraphStyleKind kind = GraphStyleKind::Classic;
    QColor background;
    QColor foreground;      // axes, text, legend frame
    QColor grid;            // the grid lines at the ticks
    bool solidGrid = false; // classic: QCustomPlot's dotted grid
    double lineWidth = 2.0;
    bool elapsedTimeAxis = false; // the bottom axis in elapsed time instead of sample numbers
    bool legendInside = false;    // in a corner of the plot that holds the fewest points

    static GraphStyle ofKind(GraphStyleKind kind);

    // The colour of set 1..7 (its position in the click order), as `paletteIndex` in classic.
    QColor colourOfSet(int setNumber, int paletteIndex) const;

    // "classic" / "clear" and back (case-insensitive); nothing for any other word.
    static QString nameOf(GraphStyleKind kind);
    static std::optional<GraphStyleKind> parse(const QString& name);

    // The bottom axis in elapsed time: whole seconds ("950") for a test shorter than an hour,
    // h:mm:ss ("1:05:00") from an hour on, so that the axis and its title do not change while
    // the user zooms.
    static bool usesClock(double testSeconds) { return testSeconds >= 3600.0; }
    static QString elapsedTitle(double testSeconds);
    static QString elapsedText(double seconds, double testSeconds);
    // A round step in seconds (1, 2, 5, 10, 15, 30 s, 1, 2, 5, 10, 15, 30 min, 1, 2, 3, 6, 12 h,
    // then whole days) that puts at most `maxTicks` ticks on `spanSeconds`.
    static double elapsedStep(double spanSeconds, int maxTicks);
    // The value axis with its unit.
    static QString valueTitle(const QString& unit) { return QStringLiteral("Current (%1)").arg(unit); }
};

} // namespace corvin::playback
