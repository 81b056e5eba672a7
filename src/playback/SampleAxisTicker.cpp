#include "playback/SampleAxisTicker.h"

namespace corvin::playback {

SampleAxisTicker::SampleAxisTicker() {
    setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
    // About one label per hundred pixels of a full-width graph before the spacing is widened.
    setTickCount(10);
}

void SampleAxisTicker::setSpacing(int samples) {
    if (samples <= 0)
        return;
    m_spacing = samples;
    setTickStep(samples);
}

double SampleAxisTicker::getTickStep(const QCPRange& range) {
    if (m_spacing <= 0 || range.size() < 3.0 * m_spacing)
        return QCPAxisTicker::getTickStep(range);
    return QCPAxisTickerFixed::getTickStep(range);
}

} // namespace corvin::playback
