#include "livetest/TrendStrip.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>

namespace corvin::livetest {
namespace {

constexpr int kLeft = 56; // room for the scale's labels
constexpr int kRight = 8;
constexpr int kTop = 6;
constexpr int kBottom = 18; // room for the time labels

QString Clock(double seconds) {
    const auto s = static_cast<long long>(std::max(0.0, std::floor(seconds)));
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg((s / 60) % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

TrendStrip::TrendStrip(const SharedState& state, const BarChart& chart, QSize size)
    : m_state(state), m_chart(chart) {
    resize(size);
}

void TrendStrip::resize(QSize size) {
    m_image = QImage(size.expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    m_image.fill(Qt::white);
}

void TrendStrip::setBand(int k, std::optional<TrendBand> band) {
    if (k >= 1 && k <= kChannelCount)
        m_bands[static_cast<std::size_t>(k - 1)] = band;
    m_bandsChanged = true;
}

double TrendStrip::fullScaleOf(int16_t screenScale) {
    const double fs = FullScaleOf(screenScale);
    return fs > 0 ? fs : 1.0;
}

double TrendStrip::spanSeconds(double elapsedSeconds) {
    return std::max(60.0, std::ceil(elapsedSeconds / 60.0) * 60.0);
}

void TrendStrip::draw(double elapsedSeconds) {
    // The probe's limits, as the bar chart marks them, are the channels' bands.
    if (!(m_chart.limits() == m_drawnLimits)) {
        m_drawnLimits = m_chart.limits();
        const double fs = fullScaleOf(m_state.instrument.ScreenScale) * 1.2;
        for (int k = 1; k <= kChannelCount; ++k) {
            const probes::ChannelLimits& l = m_drawnLimits[std::size_t(k - 1)];
            setBand(k, l.judged() ? std::optional<TrendBand>(TrendBand{l.min.value_or(-fs), l.max.value_or(fs)})
                                  : std::nullopt);
        }
    }
    const QRect plot(kLeft, kTop, m_image.width() - kLeft - kRight, m_image.height() - kTop - kBottom);
    if (plot.width() < 10 || plot.height() < 10) {
        m_image.fill(Qt::white);
        return;
    }

    const PeriodicDataSet& data = m_state.periodic;
    const DisplayState& display = m_state.display;
    const double fs = fullScaleOf(m_state.instrument.ScreenScale);
    const int rows = std::clamp<int>(data.SampleCount, 0, static_cast<int>(data.PeriodicData[0].size()));
    const double interval = std::max<int>(data.ReadingIntervalSeconds, 1);
    const double span = spanSeconds(std::max(elapsedSeconds, rows * interval));

    // Below zero only once a channel that is on reads below zero.
    bool negative = false;
    for (int k = 0; k < kChannelCount && !negative; ++k)
        negative = display.ChannelEnabled[std::size_t(k)] && m_chart.lastBarValue(k + 1) < 0.0;
    const double low = negative ? -fs : 0.0;
    auto yOf = [&](double v) {
        const double f = (std::clamp(v, low, fs) - low) / (fs - low);
        return plot.bottom() - f * plot.height();
    };
    auto xOf = [&](double seconds) { return plot.left() + seconds / span * plot.width(); };

    // The logged rows change only once a logging interval (and the scale once a minute): they
    // are drawn into a cache then, and every live tick only copies it and adds the live point.
    CacheKey key{rows, span, fs, negative, m_image.size(), m_state.BarColours, display.ChannelEnabled};
    CacheKey grown = key;
    grown.rows = m_cacheKey ? m_cacheKey->rows : -1;
    if (m_cacheKey && rows > m_cacheKey->rows && *m_cacheKey == grown && !m_bandsChanged) {
        // Only new rows since the cache was drawn (the usual case): they are added to it.
        drawNewRows(m_cache, plot, m_cacheKey->rows, rows, interval, span, low, fs);
        m_cacheKey = key;
    } else if (!m_cacheKey || !(*m_cacheKey == key) || m_bandsChanged) {
        m_cacheKey = key;
        m_bandsChanged = false;
        m_cache = QImage(m_image.size(), QImage::Format_RGB32);
        m_cache.fill(Qt::white);
        drawLogged(m_cache, plot, rows, interval, span, low, fs);
    }
    QPainter p(&m_image);
    p.drawImage(0, 0, m_cache);
    p.setClipRect(plot);
    p.setRenderHint(QPainter::Antialiasing, false);
    for (int k = 0; k < kChannelCount; ++k) {
        const auto i = std::size_t(k);
        if (!display.ChannelEnabled[i])
            continue;
        const QColor colour = ToQColor(m_state.BarColours.Ch(k + 1));
        const QPointF live(xOf(elapsedSeconds), yOf(m_chart.lastBarValue(int(i) + 1)));
        if (m_lastLogged[i]) {
            p.setPen(QPen(colour, 0));
            p.drawLine(*m_lastLogged[i], live);
            p.drawLine(*m_lastLogged[i] + QPointF(0, 1), live + QPointF(0, 1));
        }
        // The live reading as a dot, darker edged so a light bar colour still shows on white.
        p.setBrush(colour);
        p.setPen(QPen(colour.darker(160), 1));
        p.drawEllipse(live, 3, 3);
    }
}

void TrendStrip::drawNewRows(QImage& image, const QRect& plot, int from, int to, double interval, double span,
                             double low, double fs) {
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setClipRect(plot);
    for (int k = 0; k < kChannelCount; ++k) {
        const auto i = std::size_t(k);
        if (!m_state.display.ChannelEnabled[i])
            continue;
        QPolygonF line;
        if (m_lastLogged[i])
            line << *m_lastLogged[i];
        for (int r = from; r < to; ++r) {
            const float v = m_state.periodic.PeriodicData[i][std::size_t(r)];
            if (!std::isfinite(v))
                continue;
            const double f = (std::clamp(double(v), low, fs) - low) / (fs - low);
            line << QPointF(plot.left() + std::floor((r + 1) * interval / span * plot.width()),
                            plot.bottom() - f * plot.height());
        }
        if (line.isEmpty())
            continue;
        m_lastLogged[i] = line.back();
        p.setPen(QPen(ToQColor(m_state.BarColours.Ch(k + 1)), 0));
        p.drawPolyline(line);
        line.translate(0, 1);
        p.drawPolyline(line);
    }
}

void TrendStrip::drawLogged(QImage& image, const QRect& plot, int rows, double interval, double span,
                            double low, double fs) {
    const PeriodicDataSet& data = m_state.periodic;
    const DisplayState& display = m_state.display;
    const bool negative = low < 0.0;
    auto yOf = [&](double v) {
        const double f = (std::clamp(v, low, fs) - low) / (fs - low);
        return plot.bottom() - f * plot.height();
    };
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    QFont font = p.font();
    font.setPixelSize(std::clamp(m_image.height() / 9, 9, 13));
    p.setFont(font);

    for (int k = 0; k < kChannelCount; ++k) {
        const auto& band = m_bands[std::size_t(k)];
        if (band && display.ChannelEnabled[std::size_t(k)]) {
            QColor tint = ToQColor(m_state.BarColours.Ch(k + 1));
            tint.setAlpha(40);
            p.fillRect(QRectF(QPointF(plot.left(), yOf(band->high)), QPointF(plot.right(), yOf(band->low))),
                       tint);
        }
    }

    // Grid and scale: zero, half and full scale.
    const QColor grid(0xDD, 0xDD, 0xDD);
    const QColor ink(0x40, 0x40, 0x40);
    const std::vector<double> marks =
        negative ? std::vector<double>{-fs, -fs / 2, 0.0, fs / 2, fs} : std::vector<double>{0.0, fs / 2, fs};
    for (double v : marks) {
        p.setPen(grid);
        p.drawLine(QPointF(plot.left(), yOf(v)), QPointF(plot.right(), yOf(v)));
        p.setPen(ink);
        p.drawText(QRectF(0, yOf(v) - 8, kLeft - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromUtf8("%1 µA").arg(v));
    }
    p.setPen(ink);
    p.drawRect(plot.adjusted(0, 0, -1, -1));
    p.drawText(QRectF(plot.left(), plot.bottom() + 2, 100, kBottom - 2), Qt::AlignLeft | Qt::AlignTop,
               Clock(0));
    p.drawText(QRectF(plot.right() - 100, plot.bottom() + 2, 100, kBottom - 2), Qt::AlignRight | Qt::AlignTop,
               Clock(span));

    // One line per channel that is on: per pixel column the lowest and highest logged reading,
    // then the live reading.
    const int columns = plot.width();
    std::vector<float> lo(static_cast<std::size_t>(columns));
    std::vector<float> hi(static_cast<std::size_t>(columns));
    std::vector<char> used(static_cast<std::size_t>(columns));
    QPolygonF line;
    line.reserve(2 * columns + 1);
    p.setClipRect(plot);
    for (int k = 0; k < kChannelCount; ++k) {
        if (!display.ChannelEnabled[std::size_t(k)])
            continue;
        std::fill(used.begin(), used.end(), 0);
        const std::vector<float>& readings = data.PeriodicData[std::size_t(k)];
        for (int r = 0; r < rows; ++r) {
            const float v = readings[std::size_t(r)];
            if (!std::isfinite(v))
                continue;
            const int c = std::clamp(static_cast<int>((r + 1) * interval / span * columns), 0, columns - 1);
            const auto i = std::size_t(c);
            if (!used[i]) {
                used[i] = 1;
                lo[i] = hi[i] = v;
            } else {
                lo[i] = std::min(lo[i], v);
                hi[i] = std::max(hi[i], v);
            }
        }
        line.clear();
        for (int c = 0; c < columns; ++c) {
            const auto i = std::size_t(c);
            if (!used[i])
                continue;
            line << QPointF(plot.left() + c, yOf(lo[i]));
            if (hi[i] != lo[i])
                line << QPointF(plot.left() + c, yOf(hi[i]));
        }
        m_lastLogged[std::size_t(k)] = line.isEmpty() ? std::nullopt : std::optional<QPointF>(line.back());
        const QColor colour = ToQColor(m_state.BarColours.Ch(k + 1));
        // Two one-pixel lines a pixel apart: as thick as a 2 px pen, but on the raster engine's
        // fast path for thin lines (a wide pen goes through the stroker, ten times slower).
        p.setPen(QPen(colour, 0));
        if (line.size() > 1) {
            p.drawPolyline(line);
            line.translate(0, 1);
            p.drawPolyline(line);
            line.translate(0, -1);
        }
    }
}

} // namespace corvin::livetest
