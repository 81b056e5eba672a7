#pragma once
// Ticks along the playback graph's sample axis. The plot routine sets a spacing of 100 or 1000
// samples (or leaves the one it had); ticks and labels then fall on multiples of it, widened to
// a whole multiple when they would crowd the axis. When the axis shows too few samples for three
// ticks at that spacing (a short test, or a zoomed-in view) it ticks at round steps of its own.

#include <qcustomplot.h>

namespace corvin::playback {

class SampleAxisTicker : public QCPAxisTickerFixed {
public:
    SampleAxisTicker();

    // 0: no spacing set yet, ticks at round steps.
    int spacing() const { return m_spacing; }
    void setSpacing(int samples);

protected:
    double getTickStep(const QCPRange& range) override;

private:
    int m_spacing = 0;
};

} // namespace corvin::playback
