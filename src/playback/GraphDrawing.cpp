#include "playback/GraphDrawing.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPdfWriter>
#include <qcustomplot.h>

#include <cmath>
#include <limits>

namespace corvin::playback {
namespace {

// Lines two pixels wide: the palette's light colours (yellow, white) on the light background
// stay visible.
constexpr double kLineWidth = 2.0;
constexpr double kSymbolSize = 6.0;

// The symbol code of the "Graph Type" options; every code the options set draws a filled disc.
QCPScatterStyle::ScatterShape SymbolShape(int16_t code) {
    switch (code) {
    case 0:
        return QCPScatterStyle::ssCross;
    default:
        return QCPScatterStyle::ssDisc;
    }
}

void Colour(QCPAxis* axis, const QColor& colour) {
    const QPen pen(colour, 0);
    axis->setBasePen(pen);
    axis->setTickPen(pen);
    axis->setSubTickPen(pen);
    axis->setTickLabelColor(colour);
    axis->setLabelColor(colour);
}

} // namespace

GraphDrawing::GraphDrawing(QCustomPlot& plot) : m_plot(plot), m_ticker(new SampleAxisTicker) {
    m_plot.clearGraphs();
    m_plot.setNoAntialiasingOnDrag(true);
    m_plot.setPlottingHint(QCP::phFastPolylines, true);

    // Row 0: the title; row 1: the plot and, beside it, the legend at the top of its column.
    QCPLayoutGrid* layout = m_plot.plotLayout();
    layout->insertRow(0);
    QFont titleFont = m_plot.font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    m_title = new QCPTextElement(&m_plot, designTitle(), titleFont);
    layout->addElement(0, 0, m_title);

    auto* legendColumn = new QCPLayoutGrid;
    layout->addElement(1, 1, legendColumn);
    legendColumn->setMargins(QMargins(0, 12, 12, 12));
    m_plot.axisRect()->insetLayout()->take(m_plot.legend);
    legendColumn->addElement(0, 0, m_plot.legend);
    legendColumn->addElement(1, 0, new QCPLayoutElement(&m_plot)); // takes the space below
    legendColumn->setRowStretchFactor(0, 0.001);
    layout->setColumnStretchFactor(1, 0.001);
    m_plot.legend->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_plot.legend->setBrush(Qt::NoBrush);
    m_plot.legend->setIconSize(28, 12);
    m_plot.legend->setVisible(false);

    m_plot.xAxis->setTicker(m_ticker);
    m_plot.xAxis->setRange(0, 1);
    m_plot.yAxis->setRange(0, 1);

    const QColor background = PlotRoutine::paletteColour(11);
    const QColor foreground = PlotRoutine::paletteColour(0);
    m_plot.setBackground(background);
    for (QCPAxis* axis : {m_plot.xAxis, m_plot.yAxis})
        Colour(axis, foreground);
    m_title->setTextColor(foreground);
}

void GraphDrawing::draw(const GraphSpec& spec) {
    m_plot.clearGraphs();
    m_setNumbers.clear();
    m_points = std::max(spec.pointCount, 0);
    m_interval = spec.intervalSeconds;

    if (spec.tickSpacing)
        m_ticker->setSpacing(*spec.tickSpacing);

    QVector<double> keys(m_points);
    for (int i = 0; i < m_points; ++i)
        keys[i] = i + 1;
    const bool lines = spec.settings.drawsLines();
    const bool symbols = spec.settings.drawsSymbols();
    for (const GraphSet& set : spec.sets) {
        QVector<double> values(m_points);
        for (int i = 0; i < m_points; ++i) {
            const float v = (*set.readings)[static_cast<std::size_t>(i)];
            // A reading that is not a number leaves a gap instead of spoiling the axis range.
            values[i] = std::isfinite(v) ? double(v) : std::numeric_limits<double>::quiet_NaN();
        }
        QCPGraph* graph = m_plot.addGraph();
        graph->setName(set.legend);
        graph->setData(keys, values, true);
        const QColor colour = PlotRoutine::paletteColour(set.paletteIndex);
        graph->setPen(QPen(colour, kLineWidth));
        graph->setLineStyle(lines ? QCPGraph::lsLine : QCPGraph::lsNone);
        graph->setScatterStyle(
            symbols ? QCPScatterStyle(SymbolShape(spec.settings.symbol), colour, colour, kSymbolSize)
                    : QCPScatterStyle(QCPScatterStyle::ssNone));
        m_setNumbers.push_back(set.setNumber);
    }

    const QColor background = PlotRoutine::paletteColour(spec.backgroundIndex);
    const QColor foreground = PlotRoutine::paletteColour(spec.foregroundIndex);
    m_plot.setBackground(background);
    for (QCPAxis* axis : {m_plot.xAxis, m_plot.yAxis})
        Colour(axis, foreground);
    m_plot.legend->setTextColor(foreground);
    m_plot.legend->setBorderPen(QPen(foreground, 0));
    m_plot.legend->setVisible(!spec.sets.empty());
    m_title->setTextColor(foreground);
    m_title->setText(spec.title);
    m_plot.xAxis->setLabel(spec.bottomTitle);
    m_plot.yAxis->setLabel(spec.leftTitle);
    m_drawn = true;
}

void GraphDrawing::showWholeTest() {
    if (m_points >= 2)
        m_plot.xAxis->setRange(1, m_points);
    else
        m_plot.xAxis->setRange(m_points - 1, m_points + 1);

    bool any = false;
    double low = 0.0;
    double high = 0.0;
    for (int g = 0; g < m_plot.graphCount(); ++g) {
        bool found = false;
        const QCPRange r = m_plot.graph(g)->getValueRange(found);
        if (!found)
            continue;
        low = any ? std::min(low, r.lower) : r.lower;
        high = any ? std::max(high, r.upper) : r.upper;
        any = true;
    }
    if (!any) {
        low = 0.0;
        high = 1.0;
    }
    const double pad = high > low ? (high - low) * 0.05 : std::max(1.0, std::abs(high) * 0.1);
    m_plot.yAxis->setRange(low - pad, high + pad);
}

std::vector<CursorReadout::SetValue> GraphDrawing::valuesAt(int sample) const {
    std::vector<CursorReadout::SetValue> values;
    for (int g = 0; g < m_plot.graphCount() && g < static_cast<int>(m_setNumbers.size()); ++g) {
        const QSharedPointer<QCPGraphDataContainer> data = m_plot.graph(g)->data();
        const int index = sample - 1;
        const double v = index >= 0 && index < data->size() ? data->at(index)->value
                                                            : std::numeric_limits<double>::quiet_NaN();
        values.push_back({m_setNumbers[static_cast<std::size_t>(g)], v});
    }
    return values;
}

QSize GraphDrawing::sizeOr(QSize size) const {
    if (size.isValid() && !size.isEmpty())
        return size;
    return m_plot.size();
}

QImage GraphDrawing::Picture(QSize size, double scale) const {
    const QSize s = sizeOr(size);
    if (s == m_plot.size() && scale == 1.0) {
        // At the plot's own size the picture is what the screen shows, drawn through the plot's
        // buffers: there a long line goes out as one polyline, several times faster than the
        // segment by segment of an export at another size.
        m_plot.replot(QCustomPlot::rpImmediateRefresh);
        QImage shown = m_plot.grab().toImage();
        if (shown.size() == s)
            return shown;
    }
    return m_plot.toPixmap(s.width(), s.height(), scale).toImage();
}

QByteArray GraphDrawing::png(QSize size) const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Picture(size).save(&buffer, "PNG");
    return bytes;
}

QByteArray GraphDrawing::pdf(QSize size) const {
    const QSize s = sizeOr(size);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        // One page the size of the graph, one unit to the point, drawn as vectors.
        QPdfWriter writer(&buffer);
        writer.setCreator(QStringLiteral("Corvin"));
        writer.setTitle(m_title->text());
        writer.setResolution(72);
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setPageSize(QPageSize(QSizeF(s), QPageSize::Point, QString(), QPageSize::ExactMatch));
        QCPPainter painter(&writer);
        painter.setMode(QCPPainter::pmVectorized);
        painter.setMode(QCPPainter::pmNoCaching);
        m_plot.toPainter(&painter, s.width(), s.height());
    }
    return bytes;
}

} // namespace corvin::playback
