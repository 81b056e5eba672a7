#include "playback/ElapsedTimeTicker.h"

#include "playback/GraphStyle.h"

namespace corvin::playback {

ElapsedTimeTicker::ElapsedTimeTicker() {
    setTickCount(8);
}

void ElapsedTimeTicker::setTest(double intervalSeconds, double testSeconds) {
    m_interval = intervalSeconds > 0.0 ? intervalSeconds : 1.0;
    m_testSeconds = testSeconds;
}

double ElapsedTimeTicker::getTickStep(const QCPRange& range) {
    return GraphStyle::elapsedStep(range.size() * m_interval, tickCount()) / m_interval;
}

int ElapsedTimeTicker::getSubTickCount(double) {
    return 0;
}

QString ElapsedTimeTicker::getTickLabel(double tick, const QLocale&, QChar, int) {
    return GraphStyle::elapsedText(tick * m_interval, m_testSeconds);
}

} // namespace corvin::playback
