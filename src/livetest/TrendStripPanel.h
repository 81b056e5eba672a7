#pragma once
// The test window's trend strip with its on/off button. Off, only the button shows, in a corner
// the design leaves empty, and the bars and controls keep their places; on, the strip takes the
// bottom of the window (normal and full screen) and the rest of the window is laid out above it. It draws on
// every live tick (the session's controlsChanged) while it is on.

#include "common/Clock.h"
#include "livetest/TrendStrip.h"

#include <QWidget>

class QToolButton;

namespace corvin::livetest {

class TrendStripPanel : public QWidget {
    Q_OBJECT
public:
    TrendStripPanel(const SharedState& state, const BarChart& chart, Clock& clock, bool on, QWidget* parent);

    bool isOn() const { return m_on; }
    // The button's click, callable directly.
    void setOn(bool on);
    // One live tick: the time since START follows the session's phase; the strip is drawn.
    void tick();
    TrendStrip& strip() { return m_strip; }

    // Normal layout, on: the strip across the bottom of the window, the design fitted into the
    // rest (normalDesignArea); off: only its button, in the bottom right-hand corner, and the
    // design fills the window as it always has.
    QSize normalDesignArea(QSize window) const;
    void placeNormal(QSize window);
    // Full screen: the chart's part of the window (all of it when the strip is off).
    QRect placeFullScreen(QSize window);

signals:
    void toggled(bool on);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect stripRect() const;
    static int stripHeight(QSize window);

    const SharedState& m_state;
    Clock& m_clock;
    TrendStrip m_strip;
    QToolButton* m_button = nullptr;
    bool m_on = false;
    bool m_running = false;
    int64_t m_startMs = 0;
    double m_elapsed = 0.0;
};

} // namespace corvin::livetest
