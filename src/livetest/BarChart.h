#pragma once
// The live bar chart (the test window's Picture1): a persistent picture drawn in immediate mode.
// x runs from -1 over 12 units; y runs upward from -1.2 FS to +1.2 FS, FS being the full scale
// in µA of the current ScreenScale. Bars are painted incrementally: only the strip between the
// value last drawn and the new one, so lastBarValue() always matches what is on the picture.
// The chart owns what it shows: each channel's last bar value, its frozen half and whether the
// live bars stand beside frozen halves (split mode); callers say how wide each bar is drawn.
//
// The scale is taken from ScreenScale whenever the frame is drawn (DrawChartFrame, RebuildChart)
// and kept until the next frame; a ScreenScale of 0 (not chosen yet) or out of range gives the
// geometry of scale 1. Text sizes follow the picture's height, so a full-screen chart stays
// readable; lines stay one or two pixels wide.

#include "common/SharedState.h"
#include "probes/ProbeLimits.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>

class QPainter;

namespace corvin::livetest {

// A live bar takes its whole slot, or its left half while a frozen half stands beside it.
enum class BarWidth { Whole, Half };

class BarChart : public QObject {
    Q_OBJECT
public:
    explicit BarChart(SharedState& state, QSize pixels = QSize(617, 355));

    // A new canvas size (the window grew or shrank). The picture is cleared to white; callers
    // redraw it through their usual rebuild paths so lastBarValue() keeps matching the screen.
    void resize(QSize pixels);
    QSize size() const;
    const QImage& image() const;

    // Chart units -> pixel position on the picture, for the current ScreenScale.
    QPointF toPixel(double x, double y) const;
    // Full scale in µA of the geometry in use (1, 10, 100 or 1000).
    double fullScale() const { return m_fullScale; }

    // Captions of the legend labels Label1..Label7 (channel name, or empty when off).
    void setLegendCaption(int k, const QString& caption);
    const QString& legendCaption(int k) const;
    // The room right of the bars where the legend names go, in pixels, and the font channel k's
    // name is drawn in: the chart's text font, or (for that name alone) its condensed face, made
    // smaller as far as needed for the whole name to fit.
    double legendWidth() const;
    QFont legendFont(int k) const;

    // Drawing operations; channel index i is 9..15. DrawFrozenBar draws the hatched right half
    // from the live bar's value to `value` and records it as the channel's frozen value (0 for a
    // channel that is off); EraseFrozenBar takes the hatched half from its frozen value to
    // `value`, in the colour DrawFrozenBar last used.
    void DrawBar(int i, double value, BarWidth width);
    void DrawFrozenBar(int i, double value);
    void EraseFrozenBar(int i, double value);

    // The probe's limits, drawn across each bar's slot (min and max as solid lines, the marginal
    // bounds dashed) and kept there as the bars change; no limits, no marks.
    void setLimits(const probes::ProbeLimits& limits) { m_limits = limits; }
    const probes::ProbeLimits& limits() const { return m_limits; }

    // What the picture shows for channel k (1..7): the value its live bar was last drawn to, and
    // its frozen half's value.
    double lastBarValue(int k) const;
    double frozenValue(int k) const;
    // Between Freeze-Split and unsplit the live bars are drawn half wide beside frozen halves.
    bool splitMode() const { return m_splitMode; }
    void setSplitMode(bool split) { m_splitMode = split; }
    BarWidth liveBarWidth() const { return m_splitMode ? BarWidth::Half : BarWidth::Whole; }
    void DrawChartFrame();
    void DrawChartLegend();
    void RebuildChart();
    // The readings written beside the legend (full screen, printout, clipboard copy). `texts`
    // holds the reading boxes Text1(9..15), channel k at [k - 1]; only channels that are on print.
    void EraseValueTexts();
    void PrintValueTexts(const std::array<QString, kChannelCount>& texts);
    // The picture cleared to one colour with nothing drawn on it (the grey message area).
    void clear(const QColor& background);

signals:
    // After every change of the picture, so the widget showing it can repaint.
    void changed();

private:
    // (further implementation details are the implementer's)
    void takeScale();
    void updateFonts();
    bool validChannel(int i) const { return i >= kFirstChannelIndex && i <= kLastChannelIndex; }
    // Pixel rectangle of the chart rectangle between x0..x1 and ya..yb; coordinates are clamped
    // just outside the picture so that huge readings stay harmless.
    QRect pixelRect(double x0, double x1, double ya, double yb) const;
    double pixelX(double x) const;
    double pixelY(double y) const;
    int lineStart(double pixel) const;
    // The bar case analysis between old and value; fills in `colour` are solid or hatched boxes.
    void paintStrip(QPainter& p, double x, double w, double old, double value, const QColor& colour,
                    bool hatched);
    void fillSolid(QPainter& p, double x, double w, double a, double b, const QColor& colour);
    void drawHatchedBox(QPainter& p, double x, double w, double a, double b, const QColor& colour);
    void drawZeroSegment(QPainter& p, double x0, double x1);
    void drawText(QPainter& p, const QFont& font, double x, double y, const QString& text);
    void drawUnitLabel(QPainter& p);
    QRect valueTextRect(int k) const;

    SharedState& m_state;
    QImage m_image;
    std::array<QString, kChannelCount> m_legend;
    double m_fullScale = 1.0;
    int m_scaleIndex = 0; // 0..3 for ScreenScale 1..4
    int m_lineWidth = 1;
    QFont m_textFont;
    QColor m_fillColour = Qt::black; // the fill colour last set by DrawFrozenBar
    std::array<int, kChannelCount> m_valueTextWidth{};
    std::array<double, kChannelCount> m_lastBarValue{}; // channel k at [k - 1]
    std::array<double, kChannelCount> m_frozenValues{}; // channel k at [k - 1]
    bool m_splitMode = false;
    probes::ProbeLimits m_limits{};
    void drawLimitMarks(QPainter& p, int k);
};

} // namespace corvin::livetest
