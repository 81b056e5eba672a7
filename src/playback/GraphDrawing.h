#pragma once
// Draws the plot routine's result onto a QCustomPlot: one graph per set in its palette colour,
// the legend texts in a fixed-pitch font beside the plot, the titles, the background and the
// sample-axis spacing. The playback graph window and `corvin-data plot` both draw through this,
// so a picture from the command line is the picture the window shows.

#include "playback/CursorReadout.h"
#include "playback/PlotRoutine.h"
#include "playback/SampleAxisTicker.h"

#include <QByteArray>
#include <QImage>
#include <QSharedPointer>
#include <QSize>
#include <vector>

class QCustomPlot;
class QCPTextElement;

namespace corvin::playback {

class GraphDrawing {
public:
    // Sets the plot up as the empty graph: the design title " DATA PLAYBACK", no data.
    explicit GraphDrawing(QCustomPlot& plot);

    // Replaces whatever was drawn with `spec`. The view (the part of the sample axis shown) stays
    // as it was; showWholeTest shows all of it. Does not repaint.
    void draw(const GraphSpec& spec);
    // The sample axis from the first sample to the last, the value axis around every reading.
    void showWholeTest();
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
    std::vector<int> m_setNumbers; // of the graphs, in order
    int m_points = 0;
    int16_t m_interval = 0;
    bool m_drawn = false;
};

} // namespace corvin::playback
