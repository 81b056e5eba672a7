// Start-up of the main window up to a shown window: the load sequence (probe folder, printer
// check, card registration and set-up, bar colours) and the first paint, on the offscreen
// platform with a fresh home each time.
#include "app/MainWindow.h"
#include "instrument/NoPause.h"
#include "instrument/SimulatedCard.h"
#include "settings/RegistryStore.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

namespace {

using namespace corvin;

void BM_StartupToShownMainWindow(benchmark::State& bench) {
    for (auto _ : bench) {
        testing::TempHome home;
        testing::ScriptedDesktop desk;
        SharedState state;
        state.folders.Home = home.path();
        instrument::SimulatedCard card(desk.clock);
        instrument::NoPause pauser;
        settings::RegistryStore registry(home.file(QStringLiteral("registry.sqlite")), desk.clock);
        app::MainWindow window({state, card, pauser, desk.desktop, registry});
        window.Form_Load();
        window.show();
        QCoreApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
    }
}
BENCHMARK(BM_StartupToShownMainWindow)->Unit(benchmark::kMillisecond);

} // namespace
