#include "playback/GraphDrawing.h"

#include <QBuffer>
#include <QFontDatabase>
#include <QPdfWriter>
#include <qcustomplot.h>

#include <cmath>
#include <limits>

namespace corvin::playback {
namespace {

constexpr double kSymbolSize = 6.0;
constexpr int kPngQuality = 85;

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

GraphDrawing::GraphDrawing(QCustomPlot& plot)
    : m_plot(plot), m_ticker(new SampleAxisTicker), m_timeTicker(new ElapsedTimeTicker) {
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
    m_legendColumn = legendColumn;
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

void GraphDrawing::setStyle(GraphStyleKind kind) {
    m_style = GraphStyle::ofKind(kind);
    if (m_drawn)
        return;
    m_plot.setBackground(m_style.background);
    for (QCPAxis* axis : {m_plot.xAxis, m_plot.yAxis})
        Colour(axis, m_style.foreground);
    m_title->setTextColor(m_style.foreground);
}

void GraphDrawing::draw(const GraphSpec& spec) {
    m_plot.clearGraphs();
    m_setNumbers.clear();
    m_setChannels.clear();
    m_drawnSets.clear();
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
        const QColor colour = m_style.colourOfSet(set.setNumber, set.paletteIndex);
        graph->setPen(QPen(colour, m_style.lineWidth));
        graph->setLineStyle(lines ? QCPGraph::lsLine : QCPGraph::lsNone);
        graph->setScatterStyle(
            symbols ? QCPScatterStyle(SymbolShape(spec.settings.symbol), colour, colour, kSymbolSize)
                    : QCPScatterStyle(QCPScatterStyle::ssNone));
        m_setNumbers.push_back(set.setNumber);
        m_setChannels.push_back(set.channel);
        m_drawnSets.push_back({QStringLiteral("%1 %2").arg(set.setNumber).arg(set.legend.left(20).trimmed()),
                               QString(), graph});
    }

    const bool classic = m_style.kind == GraphStyleKind::Classic;
    const QColor background = classic ? PlotRoutine::paletteColour(spec.backgroundIndex) : m_style.background;
    const QColor foreground = classic ? PlotRoutine::paletteColour(spec.foregroundIndex) : m_style.foreground;
    m_plot.setBackground(background);
    for (QCPAxis* axis : {m_plot.xAxis, m_plot.yAxis}) {
        Colour(axis, foreground);
        axis->grid()->setPen(m_style.solidGrid ? QPen(m_style.grid, 0, Qt::SolidLine)
                                               : QPen(m_style.grid, 0, Qt::DotLine));
    }
    m_plot.legend->setTextColor(foreground);
    m_plot.legend->setBorderPen(QPen(foreground, 0));
    m_plot.legend->setVisible(!spec.sets.empty());
    m_title->setTextColor(foreground);
    m_title->setText(spec.title);
    m_unit = spec.leftTitle;

    // The bottom axis: sample numbers, or elapsed time at the test's interval.
    const double testSeconds = double(m_points) * spec.intervalSeconds;
    const bool elapsed = m_style.elapsedTimeAxis && spec.intervalSeconds > 0;
    if (elapsed) {
        m_timeTicker->setTest(spec.intervalSeconds, testSeconds);
        m_plot.xAxis->setTicker(m_timeTicker);
        m_plot.xAxis->setLabel(GraphStyle::elapsedTitle(testSeconds));
    } else {
        m_plot.xAxis->setTicker(m_ticker);
        m_plot.xAxis->setLabel(classic ? spec.bottomTitle : QStringLiteral("Sample"));
    }
    m_plot.yAxis->setLabel(classic ? spec.leftTitle : GraphStyle::valueTitle(spec.leftTitle));

    // The legend beside the plot (classic) or inside it (clear), with a white ground there so
    // that a grid line never runs through its text.
    QCPLayoutInset* inset = m_plot.axisRect()->insetLayout();
    const bool inside = inset->elements(false).contains(m_plot.legend);
    if (m_style.legendInside && !inside) {
        m_legendColumn->take(m_plot.legend);
        m_legendColumn->simplify();
        inset->addElement(m_plot.legend, Qt::AlignTop | Qt::AlignRight);
    } else if (!m_style.legendInside && inside) {
        inset->take(m_plot.legend);
        m_legendColumn->insertRow(0);
        m_legendColumn->addElement(0, 0, m_plot.legend);
        m_legendColumn->setRowStretchFactor(0, 0.001);
    }
    m_plot.legend->setBrush(m_style.legendInside ? QBrush(background) : QBrush(Qt::NoBrush));
    m_plot.legend->setBorderPen(QPen(m_style.legendInside ? m_style.grid : foreground, 0));
    m_drawn = true;
}

void GraphDrawing::drawReference(const ReferenceRun& reference, const QString& fileName) {
    const PeriodicDataSet& data = reference.data;
    const int rows = std::max<int>(data.SampleCapacity, 0);
    const std::vector<double> positions = AlignedPositions(rows, data.HeaderValues[0], m_interval);
    const std::size_t sets = m_setNumbers.size();
    for (std::size_t i = 0; i < sets; ++i) {
        QCPGraph* own = m_plot.graph(static_cast<int>(i));
        const auto& readings = data.PeriodicData[static_cast<std::size_t>(m_setChannels[i] - 1)];
        QVector<double> keys;
        QVector<double> values;
        for (int r = 0; r < rows && r < static_cast<int>(readings.size()); ++r) {
            if (positions[static_cast<std::size_t>(r)] > std::max(m_points, 1))
                break; // the graph's axis ends with the test played back
            keys << positions[static_cast<std::size_t>(r)];
            const float v = readings[static_cast<std::size_t>(r)];
            values << (std::isfinite(v) ? double(v) : std::numeric_limits<double>::quiet_NaN());
        }
        QCPGraph* graph = m_plot.addGraph();
        graph->setData(keys, values, true);
        QPen pen = own->pen();
        pen.setStyle(Qt::DashLine);
        graph->setPen(pen);
        graph->setLineStyle(own->lineStyle());
        graph->setScatterStyle(own->scatterStyle());
        graph->removeFromLegend();
        m_drawnSets[i].file = fileName;
        m_drawnSets.push_back({m_drawnSets[i].label, reference.fileName, graph});
    }
    // The legend's two file entries: no data, only the line that marks each file's sets.
    // In grey, so that they are not taken for a set drawn in black.
    const QColor ink(120, 120, 120);
    for (const auto& [name, style] :
         {std::pair{fileName, Qt::SolidLine}, std::pair{reference.fileName, Qt::DashLine}}) {
        QCPGraph* entry = m_plot.addGraph();
        entry->setName(name);
        entry->setPen(QPen(ink, m_style.lineWidth, style));
    }
}

int GraphDrawing::placeLegend() {
    if (!m_style.legendInside || !m_plot.legend->visible())
        return 0;
    QCPAxisRect* rect = m_plot.axisRect();
    // The plot's layout, with the titles and labels of this drawing, gives the space inside.
    m_plot.replot(QCustomPlot::rpQueuedRefresh);
    // The size it asks for: its laid-out size may still be that of the previous drawing.
    const QSize legend = m_plot.legend->minimumOuterSizeHint();
    const QRect area = rect->rect();
    if (area.width() <= 0 || area.height() <= 0)
        return 0;
    const QCPRange keys = m_plot.xAxis->range();
    const QCPRange values = m_plot.yAxis->range();
    LegendBox box;
    box.width = std::min(1.0, double(legend.width() + 12) / area.width());
    box.height = std::min(1.0, double(legend.height() + 12) / area.height());
    std::vector<std::pair<double, double>> points;
    for (int g = 0; g < m_plot.graphCount(); ++g) {
        const auto data = m_plot.graph(g)->data();
        auto begin = data->findBegin(keys.lower);
        auto end = data->findEnd(keys.upper);
        const auto count = end - begin;
        // A few thousand points a set tell where the lines run; more only cost time.
        const auto stride = std::max<decltype(count)>(1, count / 2000);
        for (auto it = begin; it < end; it += stride)
            if (std::isfinite(it->value))
                points.emplace_back((it->key - keys.lower) / keys.size(),
                                    (it->value - values.lower) / values.size());
    }
    static constexpr std::array<Qt::Alignment::Int, 4> kAlign{
        Qt::AlignTop | Qt::AlignRight, Qt::AlignTop | Qt::AlignLeft, Qt::AlignBottom | Qt::AlignRight,
        Qt::AlignBottom | Qt::AlignLeft};
    int covered = 0;
    const auto corner = static_cast<std::size_t>(QuietestCorner(points, box, &covered));
    QCPLayoutInset* inset = rect->insetLayout();
    for (int i = 0; i < inset->elementCount(); ++i)
        if (inset->elementAt(i) == m_plot.legend)
            inset->setInsetAlignment(i, Qt::Alignment(kAlign[corner]));
    m_legendHeight = box.height;
    return covered;
}

void GraphDrawing::showWholeTest() {
    if (m_points >= 2)
        m_plot.xAxis->setRange(1, m_points);
    else
        m_plot.xAxis->setRange(m_points - 1, m_points + 1);

    fitValueAxis();
}

void GraphDrawing::fitValueAxis() {
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
    // Clear: room above the highest reading for the legend, so that however the view is zoomed
    // (along the bottom axis only) a top corner stays free for it.
    if (m_style.legendInside && m_plot.legend->visible() && placeLegend() >= 0 && m_legendHeight < 0.6) {
        const QCPRange r = m_plot.yAxis->range();
        m_plot.yAxis->setRange(r.lower, r.upper + r.size() * m_legendHeight / (1.0 - m_legendHeight));
        placeLegend();
    }
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
    // Quality 85 is zlib's fastest level: the encoding takes less than half the time of Qt's
    // default for a file about a fifth larger, still lossless.
    Picture(size).save(&buffer, "PNG", kPngQuality);
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
