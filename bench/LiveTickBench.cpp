// One tick of the test window's live timer on a chart the size of a full screen: seven channels
// sampled on the simulated card (pauses left out), seven reading texts and seven DrawBar, then in
// full-screen mode the value texts beside the legend as well.
#include "common/Clock.h"
#include "common/SharedState.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "livetest/BarChart.h"
#include "livetest/TestSession.h"
#include "livetest/TrendStrip.h"
#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"

#include <benchmark/benchmark.h>
#include <cmath>

using namespace corvin;

namespace {

// With `trendRows` > 0 the trend strip is on: that many rows logged (every 10 s) and the strip
// drawn on each tick at the bottom quarter of a full-HD screen, as the test window does.
// `newRowEachTick`: the worst case, a logged row arriving on every tick (the strip's logged
// lines are redrawn only when one does; at a 10 s interval that is one tick in forty).
void LiveTick(benchmark::State& bench, bool fullScreenMode, int trendRows = 0, bool newRowEachTick = false) {
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    instrument::SimulatedCard card(desk.clock);
    instrument::NoPause pause;
    SharedState state;
    state.instrument.BoardHandle = 0;
    state.instrument.BoardModel = instrument::SimulatedCard::kModel;
    for (int k = 1; k <= kChannelCount; ++k) {
        state.CurrentProbe.setCh(k, QStringLiteral("Channel %1").arg(k));
        state.BarColours.setCh(k, 0x00C0C0C0);
    }
    livetest::BarChart chart(state, QSize(1920, 1080));
    livetest::TestSession session(state, card, pause, desk.desktop, frame, chart);
    session.Form_Load();
    for (int k = 1; k <= kChannelCount; ++k)
        session.ToggleChannel(k);
    session.rangeChosen(true);
    session.scaleChosen(2);
    session.cmdStart_Click();
    state.display.FullScreenMode = fullScreenMode;

    livetest::TrendStrip strip(state, chart, QSize(1920 - 68, 270));
    if (trendRows > 0) {
        PeriodicDataSet& data = state.periodic;
        data.resize(static_cast<int16_t>(trendRows));
        data.ReadingIntervalSeconds = 10;
        for (int k = 0; k < kChannelCount; ++k)
            for (int r = 0; r < trendRows; ++r)
                data.PeriodicData[std::size_t(k)][std::size_t(r)] = float(1.0 + k + std::sin(r / 50.0 + k));
        data.SampleCount = static_cast<int16_t>(trendRows);
    }
    double elapsed = trendRows * 10.0;
    for (auto _ : bench) {
        desk.clock.advanceMs(250);
        session.Timer1_Timer();
        if (trendRows > 0) {
            // The rows grow by one each tick from half the test, back to half when full.
            if (newRowEachTick)
                state.periodic.SampleCount = static_cast<int16_t>(
                    state.periodic.SampleCount >= trendRows ? trendRows / 2 : state.periodic.SampleCount + 1);
            elapsed += 0.25;
            strip.draw(elapsed);
        }
    }
    benchmark::DoNotOptimize(strip.image().constBits());
    benchmark::DoNotOptimize(chart.image().constBits());
}

void BM_LiveTickFullScreenCanvas(benchmark::State& bench) {
    LiveTick(bench, false);
}
void BM_LiveTickFullScreenWithValueTexts(benchmark::State& bench) {
    LiveTick(bench, true);
}

void BM_LiveTickWithTrendStrip(benchmark::State& bench) {
    LiveTick(bench, true, int(bench.range(0)), bench.range(1) == 1);
}

} // namespace

BENCHMARK(BM_LiveTickWithTrendStrip)->Args({4500, 0})->Args({4500, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveTickFullScreenCanvas)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveTickFullScreenWithValueTexts)->Unit(benchmark::kMicrosecond);
