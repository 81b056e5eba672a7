#pragma once
// Ticks along the clear style's bottom axis: the axis still counts samples (zoom, pan and the
// cursor work in samples), but ticks fall on round elapsed times and are labelled with them.

#include <qcustomplot.h>

namespace corvin::playback {

class ElapsedTimeTicker : public QCPAxisTicker {
public:
    ElapsedTimeTicker();
    // Seconds between two samples and the length of the whole test, which picks the label form.
    void setTest(double intervalSeconds, double testSeconds);

protected:
    double getTickStep(const QCPRange& range) override;
    int getSubTickCount(double tickStep) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    double m_interval = 1.0;
    double m_testSeconds = 0.0;
};

} // namespace corvin::playback
