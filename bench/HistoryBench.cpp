// The test history's costs (the goals: a rescan of 10,000 unchanged files under 1 s, the History
// window open with 10,000 tests under 200 ms): the rescan that finds nothing new, the window
// from its constructor to its first paint, and what noting one save adds to the save.

#include "datafiles/TestDataFile.h"
#include "datafiles/TestRecord.h"
#include "history/Rescan.h"
#include "history/TestHistory.h"
#include "history/frmTestHistory.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QDir>
#include <benchmark/benchmark.h>
#include <stdexcept>

namespace {

using namespace corvin;

constexpr int kTests = 10000;

// A home with `count` small tests (30 rows) in Data, in folders of 500, each with a record.
void FillHome(const QString& home, int count) {
    PeriodicDataSet data;
    data.resize(30);
    for (int k = 0; k < kChannelCount; ++k)
        for (int r = 0; r < 30; ++r)
            data.PeriodicData[k][r] = float(k + r * 0.01);
    const QByteArray bytes = datafiles::EncodeTestData(data, 30, 5, {"A", "B", "C", "D", "E", "F", "G"});
    datafiles::TestRecord record;
    record.probeName = QStringLiteral("PX-7");
    record.datSha256 = datafiles::Sha256Hex(bytes);
    const QByteArray recordBytes = datafiles::EncodeTestRecord(record);
    for (int i = 0; i < count; ++i) {
        const QString folder = QStringLiteral("%1/Data/batch-%2").arg(home).arg(i / 500);
        if (i % 500 == 0)
            QDir().mkpath(folder);
        const QString path = QStringLiteral("%1/test-%2.DAT").arg(folder).arg(i);
        if (!testing::TempHome::write(path, bytes) || !testing::TempHome::write(path + ".json", recordBytes))
            throw std::runtime_error("cannot write the test files");
    }
}

// One home of 10,000 catalogued tests for all the benchmarks below.
struct CataloguedHome {
    CataloguedHome() {
        FillHome(home.path(), kTests);
        history::RescanCounts counts;
        if (!testHistory.rescanNow(counts) || counts.added != kTests)
            throw std::runtime_error("the first rescan did not add every test");
    }
    testing::TempHome home;
    testing::ScriptedDesktop desk;
    history::TestHistory testHistory{home.path(), desk.clock};
};

CataloguedHome& Home() {
    static CataloguedHome home;
    return home;
}

void BM_RescanOfUnchangedTests(benchmark::State& state) {
    CataloguedHome& h = Home();
    for (auto _ : state) {
        history::RescanCounts counts;
        if (!h.testHistory.rescanNow(counts) || counts.unchanged != kTests)
            state.SkipWithError("the rescan found changes");
    }
    state.counters["tests"] = kTests;
}
BENCHMARK(BM_RescanOfUnchangedTests)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_HistoryWindowOpens(benchmark::State& state) {
    CataloguedHome& h = Home();
    for (auto _ : state) {
        history::frmTestHistory window(h.testHistory, h.desk.desktop, h.home.file("Probes"),
                                       [](const QString&) {});
        window.resize(1280, 800);
        window.show();
        QApplication::processEvents();
        window.grab(); // the first paint, table rows included
        benchmark::DoNotOptimize(window.model().rowCount());
    }
}
BENCHMARK(BM_HistoryWindowOpens)->Unit(benchmark::kMillisecond)->UseRealTime();

// What a save adds: reading the file just written, its hash and numbers, and one row committed.
void BM_NoteASavedTest(benchmark::State& state) {
    CataloguedHome& h = Home();
    testing::TempHome other;
    PeriodicDataSet data;
    data.resize(int16_t(state.range(0)));
    datafiles::TestRecord record;
    record.probeName = QStringLiteral("PX-7");
    const QString path = other.file(QStringLiteral("saved.DAT"));
    if (!datafiles::WriteTestDataWithRecord(path, data, 5, {"A", "B", "C", "D", "E", "F", "G"}, record))
        throw std::runtime_error("cannot write the test");
    for (auto _ : state) {
        if (!h.testHistory.noteSaved(path))
            state.SkipWithError("the history refused the row");
    }
}
BENCHMARK(BM_NoteASavedTest)->Arg(720)->Arg(32000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
