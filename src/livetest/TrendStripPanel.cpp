#include "livetest/TrendStripPanel.h"

#include <QPainter>
#include <QToolButton>
#include <algorithm>

namespace corvin::livetest {
namespace {

constexpr int kButtonWidth = 64;
constexpr int kGap = 4;
// Full screen: the strip's share of the window's height.
constexpr double kFullScreenShare = 0.25;

} // namespace

TrendStripPanel::TrendStripPanel(const SharedState& state, const BarChart& chart, Clock& clock, bool on,
                                 QWidget* parent)
    : QWidget(parent), m_state(state), m_clock(clock), m_strip(state, chart, QSize(1, 1)), m_on(on) {
    setObjectName(QStringLiteral("fraTrendStrip"));
    m_button = new QToolButton(this);
    m_button->setObjectName(QStringLiteral("chkTrendStrip"));
    m_button->setText(QStringLiteral("Trend"));
    m_button->setCheckable(true);
    m_button->setChecked(on);
    m_button->setFocusPolicy(Qt::NoFocus); // F1..F7 and the buttons keep the keyboard
    m_button->setToolTip(QStringLiteral("Show the readings of the channels that are on against time"));
    connect(m_button, &QToolButton::clicked, this, [this](bool checked) { setOn(checked); });
}

void TrendStripPanel::setOn(bool on) {
    m_button->setChecked(on);
    if (on == m_on)
        return;
    m_on = on;
    emit toggled(on); // the window lays itself out again, which sizes the strip
    if (on)
        tick();
    update();
}

void TrendStripPanel::tick() {
    const bool running = m_state.session.TestRunning();
    if (running && !m_running)
        m_startMs = m_clock.monotonicMs();
    m_running = running;
    if (running)
        m_elapsed = double(m_clock.monotonicMs() - m_startMs) / 1000.0;
    if (!m_on || m_strip.size().width() < 2)
        return;
    m_strip.draw(m_elapsed);
    update(stripRect());
}

QRect TrendStripPanel::stripRect() const {
    return QRect(kButtonWidth + kGap, 0, width() - kButtonWidth - kGap, height());
}

int TrendStripPanel::stripHeight(QSize window) {
    return std::clamp(static_cast<int>(window.height() * 0.22), 110, 260);
}

QSize TrendStripPanel::normalDesignArea(QSize window) const {
    return m_on ? QSize(window.width(), std::max(1, window.height() - stripHeight(window))) : window;
}

void TrendStripPanel::placeNormal(QSize window) {
    if (m_on) {
        const int strip = stripHeight(window);
        setGeometry(kGap, window.height() - strip, window.width() - 2 * kGap, strip - kGap);
    } else {
        // Only the button, in the window's bottom right-hand corner, which the design leaves
        // empty at every window shape.
        setGeometry(window.width() - kButtonWidth - kGap, window.height() - 28 - kGap, kButtonWidth, 28);
    }
    show();
    raise();
}

QRect TrendStripPanel::placeFullScreen(QSize window) {
    if (!m_on) {
        hide();
        return QRect(QPoint(0, 0), window);
    }
    const int strip = std::max(100, static_cast<int>(window.height() * kFullScreenShare));
    setGeometry(0, window.height() - strip, window.width(), strip);
    show();
    raise();
    return QRect(0, 0, window.width(), window.height() - strip);
}

void TrendStripPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_button->setGeometry(0, 0, kButtonWidth, std::min(height(), 28));
    m_strip.resize(stripRect().size());
    if (m_on)
        m_strip.draw(m_elapsed);
}

void TrendStripPanel::paintEvent(QPaintEvent*) {
    if (!m_on)
        return;
    QPainter p(this);
    p.drawImage(stripRect().topLeft(), m_strip.image());
}

} // namespace corvin::livetest
