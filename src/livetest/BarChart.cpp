#include "livetest/BarChart.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace corvin::livetest {

namespace {

constexpr double kScaleLeft = -1.0;
constexpr double kScaleWidth = 12.0;
constexpr double kNormalBarWidth = 0.8;
// The probe's limits across a bar, and its marginal bounds: colours no bar colour is by default.
const QColor kLimitColour(0xC0, 0x00, 0x00);
const QColor kMarginalColour(0xE6, 0x9F, 0x00);
constexpr double kSplitBarWidth = 0.4;
constexpr double kFrozenOffset = 0.5;
constexpr double kLegendX = 9.5;
constexpr double kZeroLineLeft = -0.3;
constexpr double kZeroLineRight = 9.0;
// The largest canvas we agree to allocate (per side); far beyond any screen.
constexpr int kMaxSide = 8192;

// The frame of one screen scale: everything but the bars depends on it.
struct ScaleFrame {
    double fs;           // full scale, µA
    double axisTop;      // the vertical axis runs from -axisTop to +axisTop
    double tickStep;     // ticks from -fs to +fs
    double tickLength;   // the tick mark runs left from the axis
    double labelLeft;    // tick labels start this far left of the axis
    double unitX;        // left edge of the unit label
    double legendFactor; // m: the legend and value-text row step is 2 m
};

constexpr std::array<ScaleFrame, 4> kFrames{{
    {1.0, 1.1, 0.5, 0.1, 0.65, -0.55, 0.1},
    {10.0, 11.0, 5.0, 0.08, 0.6, -0.4, 1.0},
    {100.0, 110.0, 50.0, 0.1, 0.75, -0.45, 10.0},
    {1000.0, 1100.0, 500.0, 0.1, 0.65, -0.55, 100.0},
}};

const QColor kWhite(255, 255, 255);
const QColor kForeground(0, 0, 0);

double BarLeft(int k) {
    return 0.4 + 1.2 * (k - 1);
}

QFont ChartFont(int pixelSize) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, pixelSize));
    return font;
}

} // namespace

BarChart::BarChart(SharedState& state, QSize pixels) : m_state(state) {
    takeScale();
    resize(pixels);
}

void BarChart::resize(QSize pixels) {
    const QSize bounded(std::clamp(pixels.width(), 1, kMaxSide), std::clamp(pixels.height(), 1, kMaxSide));
    m_image = QImage(bounded, QImage::Format_RGB32);
    m_image.fill(kWhite);
    m_valueTextWidth.fill(0);
    updateFonts();
    emit changed();
}

QSize BarChart::size() const {
    return m_image.size();
}

const QImage& BarChart::image() const {
    return m_image;
}

void BarChart::takeScale() {
    const int scale = m_state.instrument.ScreenScale;
    m_scaleIndex = (scale >= 1 && scale <= 4) ? scale - 1 : 0;
    m_fullScale = kFrames[static_cast<std::size_t>(m_scaleIndex)].fs;
}

void BarChart::updateFonts() {
    const int height = m_image.height();
    // Lines thicken a little on a large picture so the frame does not look faint full screen.
    m_lineWidth = std::max(1, static_cast<int>(std::lround(height / 450.0)));
    // A text line must fit in the 0.1 FS between a legend name and its value text.
    m_textFont = ChartFont(std::max(7, static_cast<int>(std::lround(height * 0.031))));
}

// --- Geometry ---------------------------------------------------------------------------------

double BarChart::pixelX(double x) const {
    return (x - kScaleLeft) / kScaleWidth * m_image.width();
}

double BarChart::pixelY(double y) const {
    return (1.2 * m_fullScale - y) / (2.4 * m_fullScale) * m_image.height();
}

QPointF BarChart::toPixel(double x, double y) const {
    return {pixelX(x), pixelY(y)};
}

QRect BarChart::pixelRect(double x0, double x1, double ya, double yb) const {
    // Readings far outside the chart would give pixel coordinates QPainter cannot handle; a
    // margin just outside the picture gives the same visible result.
    const double margin = 4.0 * m_lineWidth;
    auto clampTo = [](double v, double lo, double hi) {
        if (std::isnan(v))
            return lo;
        return std::clamp(v, lo, hi);
    };
    const double w = m_image.width();
    const double h = m_image.height();
    const int left = static_cast<int>(std::lround(clampTo(pixelX(std::min(x0, x1)), -margin, w + margin)));
    const int right = static_cast<int>(std::lround(clampTo(pixelX(std::max(x0, x1)), -margin, w + margin)));
    const int top = static_cast<int>(std::lround(clampTo(pixelY(std::max(ya, yb)), -margin, h + margin)));
    const int bottom = static_cast<int>(std::lround(clampTo(pixelY(std::min(ya, yb)), -margin, h + margin)));
    return {QPoint(left, top), QPoint(right - 1, bottom - 1)};
}

// --- Primitive drawing ------------------------------------------------------------------------

void BarChart::fillSolid(QPainter& p, double x, double w, double a, double b, const QColor& colour) {
    const QRect r = pixelRect(x, x + w, a, b);
    if (!r.isEmpty())
        p.fillRect(r, colour);
}

void BarChart::drawHatchedBox(QPainter& p, double x, double w, double a, double b, const QColor& colour) {
    const QRect r = pixelRect(x, x + w, a, b);
    if (r.isEmpty())
        return;
    // The hatch leaves the pixels between its lines as they were, like a hatch fill style.
    p.setBackgroundMode(Qt::TransparentMode);
    p.fillRect(r, QBrush(colour, Qt::DiagCrossPattern));
    const int t = std::min({m_lineWidth, r.width(), r.height()});
    p.fillRect(QRect(r.left(), r.top(), r.width(), t), colour);
    p.fillRect(QRect(r.left(), r.bottom() - t + 1, r.width(), t), colour);
    p.fillRect(QRect(r.left(), r.top(), t, r.height()), colour);
    p.fillRect(QRect(r.right() - t + 1, r.top(), t, r.height()), colour);
}

int BarChart::lineStart(double pixel) const {
    // A line m_lineWidth pixels wide, centred on the chart coordinate.
    return static_cast<int>(std::lround(pixel - m_lineWidth / 2.0));
}

void BarChart::drawZeroSegment(QPainter& p, double x0, double x1) {
    const QRect r = pixelRect(x0, x1, 0.0, 0.0);
    p.fillRect(QRect(r.left(), lineStart(pixelY(0.0)), r.width(), m_lineWidth), kForeground);
}

void BarChart::paintStrip(QPainter& p, double x, double w, double old, double value, const QColor& colour,
                          bool hatched) {
    auto paint = [&](double a, double b) {
        if (hatched)
            drawHatchedBox(p, x, w, a, b, colour);
        else
            fillSolid(p, x, w, a, b, colour);
    };
    if (value > old) {
        if (value >= 0 && old < 0) { // crossing zero upward
            fillSolid(p, x, w, old, 0.0, kWhite);
            paint(0.0, value);
        } else if (value < 0) { // a negative bar shrinks
            fillSolid(p, x, w, old, value, kWhite);
        } else { // a positive bar grows
            paint(old, value);
        }
    } else if (value < old) {
        if (value <= 0 && old > 0) { // crossing zero downward
            fillSolid(p, x, w, old, 0.0, kWhite);
            paint(0.0, value);
        } else if (value > 0) { // a positive bar shrinks
            fillSolid(p, x, w, old, value, kWhite);
        } else { // a negative bar grows
            paint(old, value);
        }
    }
    drawZeroSegment(p, x, x + w);
}

void BarChart::drawText(QPainter& p, const QFont& font, double x, double y, const QString& text) {
    // Text is placed by the top left corner of its line, in pixels: no transform, never mirrored.
    const QFontMetricsF metrics(font);
    p.setFont(font);
    p.setPen(kForeground);
    p.drawText(QPointF(std::round(pixelX(x)), std::round(pixelY(y)) + metrics.ascent()), text);
}

// --- Bars -------------------------------------------------------------------------------------

double BarChart::lastBarValue(int k) const {
    return (k >= 1 && k <= kChannelCount) ? m_lastBarValue[static_cast<std::size_t>(k - 1)] : 0.0;
}

double BarChart::frozenValue(int k) const {
    return (k >= 1 && k <= kChannelCount) ? m_frozenValues[static_cast<std::size_t>(k - 1)] : 0.0;
}

void BarChart::DrawBar(int i, double value, BarWidth width) {
    if (!validChannel(i))
        return;
    if (std::isnan(value)) // no reading is drawn as none; a NaN would stick to the last value
        value = 0.0;
    const int k = ChannelOfIndex(i);
    const QColor CurrentBarColour = ToQColor(m_state.BarColours.Ch(k));
    const double barWidth = width == BarWidth::Half ? kSplitBarWidth : kNormalBarWidth;
    double& last = m_lastBarValue[static_cast<std::size_t>(k - 1)];
    {
        QPainter p(&m_image);
        paintStrip(p, BarLeft(k), barWidth, last, value, CurrentBarColour, false);
        drawLimitMarks(p, k);
    }
    last = value;
    emit changed();
}

void BarChart::DrawFrozenBar(int i, double value) {
    if (!validChannel(i))
        return;
    if (std::isnan(value))
        value = 0.0;
    const int k = ChannelOfIndex(i);
    const auto slot = static_cast<std::size_t>(k - 1);
    const QColor CurrentBarColour = ToQColor(m_state.BarColours.Ch(k));
    m_fillColour = CurrentBarColour;
    const double old = m_lastBarValue[slot];
    m_lastBarValue[slot] = value;
    m_frozenValues[slot] = m_state.display.ChannelEnabled[slot] ? value : 0.0;
    {
        QPainter p(&m_image);
        paintStrip(p, BarLeft(k) + kFrozenOffset, kSplitBarWidth, old, value, m_fillColour, true);
        drawLimitMarks(p, k);
    }
    emit changed();
}

void BarChart::EraseFrozenBar(int i, double value) {
    if (!validChannel(i))
        return;
    if (std::isnan(value))
        value = 0.0;
    const int k = ChannelOfIndex(i);
    const auto slot = static_cast<std::size_t>(k - 1);
    const double old = m_frozenValues[slot];
    {
        QPainter p(&m_image);
        paintStrip(p, BarLeft(k) + kFrozenOffset, kSplitBarWidth, old, value, m_fillColour, true);
        drawLimitMarks(p, k);
    }
    m_lastBarValue[slot] = value;
    m_frozenValues[slot] = value;
    emit changed();
}

// --- Frame and legend -------------------------------------------------------------------------

void BarChart::drawUnitLabel(QPainter& p) {
    // Above the top of the axis: the label's line ends where the axis begins, so it never runs
    // into the label of the top tick.
    const ScaleFrame& f = kFrames[static_cast<std::size_t>(m_scaleIndex)];
    const QFontMetricsF metrics(m_textFont);
    const double topPixel = std::max(0.0, std::round(pixelY(f.axisTop)) - metrics.height());
    p.setFont(m_textFont);
    p.setPen(kForeground);
    p.drawText(QPointF(std::round(pixelX(f.unitX)), topPixel + metrics.ascent()), QStringLiteral("µA"));
}

void BarChart::DrawChartFrame() {
    takeScale();
    m_image.fill(kWhite);
    m_valueTextWidth.fill(0);
    const ScaleFrame& f = kFrames[static_cast<std::size_t>(m_scaleIndex)];
    QPainter p(&m_image);

    // Vertical axis.
    const QRect axis = pixelRect(0.0, 0.0, f.axisTop, -f.axisTop);
    const int axisColumn = lineStart(pixelX(0.0));
    p.fillRect(QRect(axisColumn, axis.top(), m_lineWidth, axis.height()), kForeground);
    // Zero line.
    drawZeroSegment(p, kZeroLineLeft, kZeroLineRight);

    // Ticks with their values, left of the axis and centred on the tick.
    const QFontMetricsF metrics(m_textFont);
    p.setFont(m_textFont);
    p.setPen(kForeground);
    const double gap = std::max(2.0, m_image.width() / 300.0);
    for (int n = -2; n <= 2; ++n) {
        const double y = n * f.tickStep;
        const QRect tick = pixelRect(-f.tickLength, 0.0, y, y);
        p.fillRect(QRect(QPoint(tick.left(), lineStart(pixelY(y))),
                         QPoint(axisColumn + m_lineWidth - 1, lineStart(pixelY(y)) + m_lineWidth - 1)),
                   kForeground);
        const QString label = QString::number(y);
        const double width = metrics.horizontalAdvance(label);
        // Labels start at a fixed distance left of the axis; a long one moves left so it never
        // touches its tick mark.
        double left = std::round(pixelX(-f.labelLeft));
        left = std::min(left, tick.left() - gap - width);
        left = std::max(left, 1.0);
        const double top = std::round(pixelY(y) + m_lineWidth / 2.0 - metrics.height() / 2.0);
        p.drawText(QPointF(left, top + metrics.ascent()), label);
    }
    drawUnitLabel(p);
    for (int k = 1; k <= kChannelCount; ++k)
        drawLimitMarks(p, k);
    p.end();
    emit changed();
}

void BarChart::drawLimitMarks(QPainter& p, int k) {
    const probes::ChannelLimits& l = m_limits[std::size_t(k - 1)];
    if (!l.judged() || !m_state.display.ChannelEnabled[std::size_t(k - 1)])
        return;
    const double x0 = pixelX(BarLeft(k) - 0.05);
    const double x1 = pixelX(BarLeft(k) + kNormalBarWidth + 0.05);
    const auto mark = [&](const std::optional<double>& v, const QPen& pen) {
        if (!v || std::fabs(*v) > 1.2 * m_fullScale)
            return; // beyond the chart: nothing to draw
        p.setPen(pen);
        const double y = std::round(pixelY(*v)) + 0.5;
        p.drawLine(QPointF(x0, y), QPointF(x1, y));
    };
    const QPen limit(kLimitColour, std::max(2, m_lineWidth + 1), Qt::SolidLine, Qt::FlatCap);
    QPen marginal(kMarginalColour, std::max(1, m_lineWidth), Qt::DashLine, Qt::FlatCap);
    mark(l.min, limit);
    mark(l.max, limit);
    mark(l.marginalMin, marginal);
    mark(l.marginalMax, marginal);
}

void BarChart::DrawChartLegend() {
    QPainter p(&m_image);
    drawUnitLabel(p);

    const double fs = m_fullScale;
    for (int k = 1; k <= kChannelCount; ++k) {
        const QString& caption = m_legend[static_cast<std::size_t>(k - 1)];
        if (!caption.isEmpty())
            drawText(p, legendFont(k), kLegendX, fs * (1.0 - 0.2 * (k - 1)), caption);
    }
    p.end();
    emit changed();
}

void BarChart::RebuildChart() {
    clear(kWhite);
    DrawChartFrame();
    DrawChartLegend();
}

void BarChart::setLegendCaption(int k, const QString& caption) {
    if (k >= 1 && k <= kChannelCount)
        m_legend[static_cast<std::size_t>(k - 1)] = caption;
}

double BarChart::legendWidth() const {
    return m_image.width() - std::round(pixelX(kLegendX)) - std::max(2.0, m_image.width() / 200.0);
}

QFont BarChart::legendFont(int k) const {
    // Each name on its own: a long name never makes the others smaller.
    QString shown = legendCaption(k);
    while (!shown.isEmpty() && shown.back().isSpace())
        shown.chop(1);
    const double available = legendWidth();
    QFont font = m_textFont;
    if (QFontMetricsF(font).horizontalAdvance(shown) <= available || available <= 0)
        return font;
    font.setStretch(QFont::Condensed);
    // Smaller a pixel at a time until the whole name fits (the metrics do not scale exactly).
    for (int size = font.pixelSize(); size > 1; --size) {
        font.setPixelSize(size);
        if (QFontMetricsF(font).horizontalAdvance(shown) <= available)
            break;
    }
    return font;
}

const QString& BarChart::legendCaption(int k) const {
    static const QString none;
    if (k < 1 || k > kChannelCount)
        return none;
    return m_legend[static_cast<std::size_t>(k - 1)];
}

// --- Value texts ------------------------------------------------------------------------------

QRect BarChart::valueTextRect(int k) const {
    // Rows are walked as the channel index minus a row counter stepping by 3: channel k lands at
    // FS × (0.9 - 0.2 (k - 1)), one line below its legend name.
    const ScaleFrame& f = kFrames[static_cast<std::size_t>(m_scaleIndex)];
    const int i = ChannelIndexOf(k);
    const int ValueTextRow = 3 * (k - 1);
    const double y = (i - ValueTextRow) * f.legendFactor;
    const QFontMetricsF metrics(m_textFont);
    // Eight characters' room, or the whole text last printed there when it was longer.
    const int width = std::max(static_cast<int>(std::ceil(8 * metrics.horizontalAdvance(QLatin1Char('0')))),
                               m_valueTextWidth[static_cast<std::size_t>(k - 1)]);
    return {static_cast<int>(std::round(pixelX(kLegendX))), static_cast<int>(std::round(pixelY(y))), width,
            static_cast<int>(std::ceil(metrics.height()))};
}

void BarChart::EraseValueTexts() {
    QPainter p(&m_image);
    for (int k = 1; k <= kChannelCount; ++k) {
        if (m_state.display.ChannelEnabled[static_cast<std::size_t>(k - 1)])
            p.fillRect(valueTextRect(k), kWhite);
    }
    p.end();
    emit changed();
}

void BarChart::PrintValueTexts(const std::array<QString, kChannelCount>& texts) {
    QPainter p(&m_image);
    const QFontMetricsF metrics(m_textFont);
    p.setFont(m_textFont);
    p.setPen(kForeground);
    for (int k = 1; k <= kChannelCount; ++k) {
        const auto slot = static_cast<std::size_t>(k - 1);
        if (!m_state.display.ChannelEnabled[slot])
            continue;
        const QRect r = valueTextRect(k);
        p.drawText(QPointF(r.left(), r.top() + metrics.ascent()), texts[slot]);
        m_valueTextWidth[slot] = std::max(
            m_valueTextWidth[slot], static_cast<int>(std::ceil(metrics.horizontalAdvance(texts[slot]))) + 1);
    }
    p.end();
    emit changed();
}

void BarChart::clear(const QColor& background) {
    m_image.fill(background);
    m_valueTextWidth.fill(0);
    emit changed();
}

} // namespace corvin::livetest
