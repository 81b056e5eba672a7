// Benchmarks of the instrument layer. This file holds the benchmark program's main().
#include "common/Clock.h"
#include "common/SharedState.h"
#include "instrument/NoPause.h"
#include "instrument/RangeRelays.h"
#include "instrument/Sampling.h"
#include "instrument/SimulatedCard.h"

#include <benchmark/benchmark.h>

using namespace corvin;
using namespace corvin::instrument;

// One tick of the live timer without the card's pauses: seven channels selected, converted,
// scaled and formatted on the simulated card. What is left is the program's own share of a tick.
static void BM_LiveSweepSimulatedCard(benchmark::State& bench) {
    ManualClock clock;
    SimulatedCard card(clock);
    NoPause pause;
    InstrumentState state;
    state.BoardHandle = 0;
    state.BoardModel = SimulatedCard::kModel;
    state.HighRangeSelected = true;
    state.ScreenScale = 2;
    AnalogueSetupByModel(card, state);
    DisplayState display;
    display.ChannelEnabled.fill(true);
    ApplyRangeRelays(card, state, display);

    QString shown[kChannelCount];
    for (auto _ : bench) {
        LiveSweep(card, pause, state,
                  [&](int16_t c, const QString& text, double) { shown[ChannelOfIndex(c) - 1] = text; });
        benchmark::DoNotOptimize(shown);
        clock.advanceMs(250);
    }
}
BENCHMARK(BM_LiveSweepSimulatedCard)->Unit(benchmark::kMicrosecond);
