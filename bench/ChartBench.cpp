// The live chart's drawing costs on a full-screen picture: one reading of one channel, one
// sampling pass of all seven channels, and a full rebuild of the chart.
#include "livetest/BarChart.h"

#include <benchmark/benchmark.h>
#include <memory>

namespace {

using corvin::SharedState;
using corvin::livetest::BarChart;
using corvin::livetest::BarWidth;

struct FullScreenChart {
    FullScreenChart() : chart(state, QSize(1920, 1000)) {
        state.instrument.ScreenScale = 2;
        for (int k = 1; k <= corvin::kChannelCount; ++k) {
            state.BarColours.setCh(k, 0x00C0C0C0);
            state.display.ChannelEnabled[static_cast<std::size_t>(k - 1)] = true;
            chart.setLegendCaption(k, QStringLiteral("Channel %1 name").arg(k));
        }
        chart.RebuildChart();
    }
    SharedState state;
    BarChart chart;
};

// A reading that moves across zero and back, so every case of the bar's strip analysis occurs.
double Reading(long n) {
    return 12.0 * ((n % 17) - 8) / 8.0;
}

void BM_DrawBarFullScreen(benchmark::State& s) {
    FullScreenChart c;
    long n = 0;
    for (auto _ : s)
        c.chart.DrawBar(9, Reading(n++), BarWidth::Whole);
    s.SetItemsProcessed(s.iterations());
}
BENCHMARK(BM_DrawBarFullScreen);

void BM_SamplingPassFullScreen(benchmark::State& s) {
    FullScreenChart c;
    long n = 0;
    for (auto _ : s) {
        for (int i = 9; i <= 15; ++i)
            c.chart.DrawBar(i, Reading(n + i), BarWidth::Whole);
        ++n;
    }
    s.SetItemsProcessed(s.iterations() * 7);
}
BENCHMARK(BM_SamplingPassFullScreen);

void BM_RebuildChartFullScreen(benchmark::State& s) {
    FullScreenChart c;
    for (auto _ : s)
        c.chart.RebuildChart();
}
BENCHMARK(BM_RebuildChartFullScreen);

void BM_RebuildChartNormal(benchmark::State& s) {
    FullScreenChart c;
    c.chart.resize(QSize(617, 355));
    for (auto _ : s)
        c.chart.RebuildChart();
}
BENCHMARK(BM_RebuildChartNormal);

} // namespace
