#pragma once
// The live trend under the test window's bars: the logged readings of the channels that are on,
// plotted against the time since START as they arrive, the live reading as each line's last
// point, in the channels' bar colours, on the screen scale's full scale (0..FS, or -FS..FS
// once a reading is negative). Drawn on a QImage, like the bar chart, so tests read pixels and
// the benchmark times it without a window.
//
// A long test is drawn as one line per pixel column (the lowest and highest reading of the rows
// that fall there), so the cost of a repaint follows the strip's width, not the number of rows.

#include "common/SharedState.h"
#include "livetest/BarChart.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>
#include <optional>

namespace corvin::livetest {

// A channel's acceptable band in µA (drawn as a tinted band behind its line).
struct TrendBand {
    double low = 0.0;
    double high = 0.0;
};

class TrendStrip {
public:
    // The live readings are those the bar chart shows.
    TrendStrip(const SharedState& state, const BarChart& chart, QSize size);

    void resize(QSize size);
    QSize size() const { return m_image.size(); }
    const QImage& image() const { return m_image; }

    // The band of channel k (1..7), or none. The strip takes them from the bar chart's limits
    // (the probe's) whenever those change.
    void setBand(int k, std::optional<TrendBand> band);

    // Draws the strip afresh: logged rows 0..SampleCount-1 at (row + 1) x interval seconds, then
    // the live reading (the bar chart's last bar value) at `elapsedSeconds`.
    void draw(double elapsedSeconds);

    // The full scale in µA of ScreenScale 1..4 (1, 10, 100, 1000); 1 for any other.
    static double fullScaleOf(int16_t screenScale);
    // The time the strip spans: at least a minute, then the elapsed time rounded up to a whole
    // minute, so the lines creep left as the test goes on instead of jumping.
    static double spanSeconds(double elapsedSeconds);

private:
    struct CacheKey {
        int rows;
        double span, fs;
        bool negative;
        QSize size;
        cBarColors colours;
        std::array<bool, kChannelCount> enabled;
        bool operator==(const CacheKey&) const = default;
    };
    void drawNewRows(QImage& image, const QRect& plot, int from, int to, double interval, double span,
                     double low, double fs);
    void drawLogged(QImage& image, const QRect& plot, int rows, double interval, double span, double low,
                    double fs);

    const SharedState& m_state;
    const BarChart& m_chart;
    QImage m_image;
    QImage m_cache;
    std::optional<CacheKey> m_cacheKey;
    bool m_bandsChanged = false;
    std::array<std::optional<QPointF>, kChannelCount> m_lastLogged{};
    std::array<std::optional<TrendBand>, kChannelCount> m_bands{};
    probes::ProbeLimits m_drawnLimits{}; // the chart's limits the bands were last taken from
};

} // namespace corvin::livetest
