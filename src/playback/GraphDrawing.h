#pragma once
// Draws the plot routine's result onto a QCustomPlot: one graph per set in its palette colour,
// the legend texts in a fixed-pitch font beside the plot, the titles, the background and the
// sample-axis spacing. The playback graph window and `corvin-data plot` both draw through this,
// so a picture from the command line is the picture the window shows.

#include "playback/CursorReadout.h"
#include "playback/ElapsedTimeTicker.h"
#include "playback/GraphStyle.h"
#include "playback/PlotRoutine.h"
#include "playback/ReferenceRun.h"
#include "playback/SampleAxisTicker.h"

#include <QByteArray>
#include <QImage>
#include <QSharedPointer>
#include <QSize>
#include <vector>

class QCustomPlot;
class QCPTextElement;
class QCPGraph;

namespace corvin::playback {

class GraphDrawing {
public:
    // Sets the plot up as the empty graph: the design title " DATA PLAYBACK", no data.
    explicit GraphDrawing(QCustomPlot& plot);

    // The look of the next Draw (classic until set).
    // Before the first drawing the empty graph takes its background and ink at once.
    void setStyle(GraphStyleKind kind);
    const GraphStyle& style() const { return m_style; }
    // The unit of the readings (the classic value-axis title).
    const QString& unit() const { return m_unit; }
    // Clear style: moves the legend to the corner of the plot that covers the fewest points of
    // the view as it is now (after a zoom, say), and says how many points it still covers there.
    // Classic: nothing, 0.
    int placeLegend();

    // Replaces whatever was drawn with `spec`. The view (the part of the sample axis shown) stays
    // as it was; showWholeTest shows all of it. Does not repaint.
    void draw(const GraphSpec& spec);
    // After Draw: the reference's readings of the channels drawn, dashed in their sets' colours
    // and placed by time (AlignedPositions), cut at the end of the test played back; the legend
    // gains one solid entry named after `fileName` and one dashed entry named after the
    // reference's file. Does not repaint.
    void drawReference(const ReferenceRun& reference, const QString& fileName);

    // Every set drawn, the test's first and then the reference's, for the statistics.
    struct DrawnSet {
        QString label; // "1 Guard ring"
        QString file;
        const QCPGraph* graph = nullptr;
    };
    const std::vector<DrawnSet>& drawnSets() const { return m_drawnSets; }

    // The sample axis from the first sample to the last, the value axis around every reading.
    void showWholeTest();
    // The value axis alone, as showWholeTest sets it (again after the plot changed its size: the
    // clear style's room for the legend depends on it).
    void fitValueAxis();
    // True once something has been drawn.
    bool drawn() const { return m_drawn; }

    int pointCount() const { return m_points; }
    int16_t intervalSeconds() const { return m_interval; }
    // The value of every drawn set at sample 1..pointCount.
    std::vector<CursorReadout::SetValue> valuesAt(int sample) const;

    QCustomPlot& plot() const { return m_plot; }
    QCPTextElement* titleElement() const { return m_title; }
    const QSharedPointer<SampleAxisTicker>& sampleTicker() const { return m_ticker; }

    // The graph as a picture of `size` pixels (the plot's own size when empty), `scale` times as
    // many pixels each way for a sharper print.
    QImage Picture(QSize size = {}, double scale = 1.0) const;
    // The graph as a PNG image / a one-page vector PDF of `size` (pixels; points for the PDF).
    QByteArray png(QSize size = {}) const;
    QByteArray pdf(QSize size = {}) const;

    // The design title shown before the first plot.
    static QString designTitle() { return QStringLiteral(" DATA PLAYBACK"); }

private:
    QSize sizeOr(QSize size) const;

    QCustomPlot& m_plot;
    QCPTextElement* m_title = nullptr;
    QSharedPointer<SampleAxisTicker> m_ticker;
    QSharedPointer<ElapsedTimeTicker> m_timeTicker;
    QCPLayoutGrid* m_legendColumn = nullptr;
    GraphStyle m_style = GraphStyle::ofKind(GraphStyleKind::Classic);
    QString m_unit;
    double m_legendHeight = 0.0;   // of the plot, when last placed
    std::vector<int> m_setNumbers; // of the graphs, in order
    std::vector<int> m_setChannels;
    std::vector<DrawnSet> m_drawnSets;
    int m_points = 0;
    int16_t m_interval = 0;
    bool m_drawn = false;
};

} // namespace corvin::playback
