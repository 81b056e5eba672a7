// One tick of the test window's live timer on a chart the size of a full screen: seven channels
// sampled on the simulated card (pauses left out), seven reading texts and seven DrawBar, then in
// full-screen mode the value texts beside the legend as well.
#include "common/Clock.h"
#include "common/SharedState.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "livetest/BarChart.h"
#include "livetest/TestSession.h"
#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"

#include <benchmark/benchmark.h>

using namespace corvin;

namespace {

void LiveTick(benchmark::State& bench, bool fullScreenMode) {
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

    for (auto _ : bench) {
        desk.clock.advanceMs(250);
        session.Timer1_Timer();
    }
    benchmark::DoNotOptimize(chart.image().constBits());
}

void BM_LiveTickFullScreenCanvas(benchmark::State& bench) {
    LiveTick(bench, false);
}
void BM_LiveTickFullScreenWithValueTexts(benchmark::State& bench) {
    LiveTick(bench, true);
}

} // namespace

BENCHMARK(BM_LiveTickFullScreenCanvas)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LiveTickFullScreenWithValueTexts)->Unit(benchmark::kMicrosecond);
