// Speed of stored-test playback: opening a test data file and the first paint of its graph
// (7 sets of 4500 samples, the longest logged test, and of 32,000 samples), and the repaint of a
// zoomed graph of 7 x 32,000 samples while it is panned; and corvin-data plot to a PNG.
#include "datafiles/TestDataFile.h"
#include "playback/StoredTestOpener.h"
#include "playback/frmPeriodicDataGraph.h"
#include "settings/cMRUFileList.h"
#include "tools/CorvinData.h"

#include "support/FakeMainFrame.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <benchmark/benchmark.h>
#include <stdexcept>
#include <cmath>
#include <qcustomplot.h>

using namespace corvin;

namespace {

const QSize kClientArea(1280, 700); // the main window's client area on a 1280 x 800 screen

// A test file of `rows` rows: slow swings with a little noise, seven different levels.
QString WriteTest(const testing::TempHome& home, int16_t rows) {
    PeriodicDataSet data;
    data.resize(rows);
    for (int k = 0; k < kChannelCount; ++k)
        for (int r = 0; r < rows; ++r)
            data.PeriodicData[k][r] =
                float(10.0 * k + 3.0 * std::sin(r / 90.0 + k) + 0.2 * std::sin(r * 2.3));
    const QString path = home.file(QStringLiteral("bench.DAT"));
    if (!datafiles::WriteTestDataFile(path, data, 10, {"1", "2", "3", "4", "5", "6", "7"}))
        throw std::runtime_error("cannot write the benchmark's test data file");
    return path;
}

void ChooseAllSeven(PlaybackSelection& selection) {
    selection = PlaybackSelection();
    for (int k = 1; k <= kChannelCount; ++k) {
        selection.PlotChannelOrder[k - 1] = static_cast<int16_t>(k);
        selection.PlotChannelSelected[k - 1] = true;
    }
    selection.PlotChannelClicks = selection.PlotSetCount = kChannelCount;
}

// Open by name, the graph window made and shown, Plot Graph: until the graph is on screen.
void BM_OpenAndFirstPaint(benchmark::State& s) {
    testing::TempHome home;
    const QString path = WriteTest(home, static_cast<int16_t>(s.range(0)));
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    for (auto _ : s) {
        SharedState state;
        settings::cMRUFileList recent;
        playback::StoredTestOpener opener(state, desk.dialogs, recent);
        if (opener.openByName(path) != playback::OpenOutcome::Opened)
            s.SkipWithError("the test file could not be opened");
        ChooseAllSeven(state.playback);
        auto window = std::make_unique<playback::frmPeriodicDataGraph>(state, desk.desktop, frame);
        window->resize(kClientArea);
        window->show();
        window->cmdPlotGraph_Click();
        benchmark::DoNotOptimize(window->graph()->graphCount());
        s.PauseTiming();
        window.reset();
        s.ResumeTiming();
    }
    s.SetItemsProcessed(s.iterations() * kChannelCount * s.range(0));
}
BENCHMARK(BM_OpenAndFirstPaint)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

// The graph window of a test of 7 x 32,000 samples, plotted, at the client area's size.
struct PlottedLongTest {
    explicit PlottedLongTest(QSize size = kClientArea) {
        playback::StoredTestOpener(state, desk.dialogs, recent).openByName(WriteTest(home, 32000));
        ChooseAllSeven(state.playback);
        window.resize(size);
        window.show();
        window.cmdPlotGraph_Click();
    }
    void repaint() { window.graph()->replot(QCustomPlot::rpImmediateRefresh); }
    QCPAxis* sampleAxis() { return window.graph()->xAxis; }

    testing::TempHome home;
    testing::ScriptedDesktop desk;
    testing::FakeMainFrame frame;
    SharedState state;
    settings::cMRUFileList recent;
    playback::frmPeriodicDataGraph window{state, desk.desktop, frame};
};

// The window's size from the benchmark's arguments: 1280 x 700 (the client area on a 1280 x 800
// screen) or 1920 x 1080.
QSize SizeOf(const benchmark::State& s) {
    return QSize(int(s.range(0)), int(s.range(1)));
}

// The graph zoomed to a quarter of the test, moved by a tenth of the view and repainted, as one
// step of a drag; and one wheel step of zoom.
void BM_PanRepaint(benchmark::State& s) {
    PlottedLongTest test(SizeOf(s));
    QCPAxis* axis = test.sampleAxis();
    axis->setRange(8000, 16000);
    double step = 800;
    // Third argument 1: during the drag, as QCustomPlot draws it (without antialiasing).
    if (s.range(2) == 1)
        test.window.graph()->setNotAntialiasedElements(QCP::aeAll);
    for (auto _ : s) {
        if (axis->range().upper + step > 32000 || axis->range().lower + step < 1)
            step = -step;
        axis->moveRange(step);
        test.repaint();
    }
}
BENCHMARK(BM_PanRepaint)
    ->Args({1280, 700, 0})
    ->Args({1280, 700, 1})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMillisecond);

void BM_ZoomRepaint(benchmark::State& s) {
    PlottedLongTest test(SizeOf(s));
    // Third argument 1: the repaints during a wheel burst (the smooth one after it is the case
    // without).
    if (s.range(2) == 1)
        test.window.beginViewChange();
    QCPAxis* axis = test.sampleAxis();
    bool in = true;
    for (auto _ : s) {
        // One wheel step (the factor QCustomPlot uses for 120 units of wheel) in, then out.
        axis->scaleRange(in ? 0.85 : 1.0 / 0.85, 16000);
        in = !in;
        test.repaint();
    }
}
BENCHMARK(BM_ZoomRepaint)
    ->Args({1280, 700, 0})
    ->Args({1280, 700, 1})
    ->Args({1920, 1080, 0})
    ->Args({1920, 1080, 1})
    ->Unit(benchmark::kMillisecond);

// corvin-data plot of 7 x 4500 samples to a PNG of the default 1600 x 900, in-process: reading,
// drawing, encoding and the atomic write (the process start, about 40 ms, comes on top).
void BM_PlotToPng(benchmark::State& s) {
    testing::TempHome home;
    const QString path = WriteTest(home, 4500);
    const QStringList args{QStringLiteral("plot"), path, home.file(QStringLiteral("plot.png"))};
    QString text;
    QTextStream out(&text), err(&text);
    for (auto _ : s)
        if (tools::RunCorvinData(args, out, err) != tools::kExitOk)
            s.SkipWithError("the plot was not written");
}
BENCHMARK(BM_PlotToPng)->Unit(benchmark::kMillisecond);

} // namespace
