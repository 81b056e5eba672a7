#pragma once
// The live bar chart (the test window's Picture1): a persistent picture drawn in immediate mode.
// x runs from -1 over 12 units; y runs upward from -1.2 FS to +1.2 FS, FS being the full scale
// in µA of the current ScreenScale. Bars are painted incrementally: only the strip between the
// value last drawn and the new one, so LastBarValue always matches what is on the picture.

#include "common/SharedState.h"

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <array>
#include <functional>

namespace corvin::livetest {

class BarChart {
public:
    explicit BarChart(SharedState& state, QSize pixels = QSize(617, 355));

    // A new canvas size (the window grew or shrank). The picture is cleared to white; callers
    // redraw it through their usual rebuild paths so LastBarValue keeps matching the screen.
    void resize(QSize pixels);
    QSize size() const;
    const QImage& image() const;

    // Chart units -> pixel position on the picture, for the current ScreenScale.
    QPointF toPixel(double x, double y) const;

    // Captions of the legend labels Label1..Label7 (channel name, or empty when off).
    void setLegendCaption(int k, const QString& caption);
    const QString& legendCaption(int k) const;

    // Drawing operations; channel index i is 9..15.
    void DrawBar(int i, double value);
    void DrawFrozenBar(int i, double value);
    void EraseFrozenBar(int i, double value);
    void DrawChartFrame();
    void DrawChartLegend();
    void RebuildChart();
    // The readings written beside the legend (full screen, printout, clipboard copy). `texts`
    // holds the reading boxes Text1(9..15), channel k at [k - 1]; only channels that are on print.
    void EraseValueTexts();
    void PrintValueTexts(const std::array<QString, kChannelCount>& texts);
    // The picture cleared to one colour with nothing drawn on it (the grey message area).
    void Clear(const QColor& background);

    // Called after every change of the picture, so the widget showing it can repaint.
    std::function<void()> onChanged;

private:
    // (further implementation details are the implementer's)
    SharedState& m_state;
    QImage m_image;
    std::array<QString, kChannelCount> m_legend;
};

} // namespace corvin::livetest
