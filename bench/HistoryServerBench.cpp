// The lab history's share of a save. The save itself waits only for its row in the home's
// catalogue, with the change queued for the server (argument 1; 0 is the same row without the
// queue, the catalogue's cost alone). Sending one queued change to a PostgreSQL server on this
// machine is what the sender's thread does afterwards, off the save's path; it starts a
// throwaway server of its own, or is skipped saying why.

#include "history/LocalCatalogue.h"
#include "history/ServerCatalogue.h"
#include "history/ServerSync.h"
#include "support/PostgresCluster.h"
#include "support/TempHome.h"

#include <benchmark/benchmark.h>

namespace {

using namespace corvin;
using namespace corvin::history;

const QString kStation = QStringLiteral("bench-1");

// A row as a saved test with a record gives it: every channel named, judged and summed up.
TestEntry SavedTest(int i) {
    TestEntry e;
    e.station = kStation;
    e.path = QStringLiteral("/home/lab/Corvin/Data/T%1.DAT").arg(i % 100);
    e.size = 31'500;
    e.modifiedMs = 1'765'000'000'000 + i;
    e.sha256 = QStringLiteral("9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08");
    e.rows = 4500;
    e.intervalSeconds = 10;
    e.recordState = QStringLiteral("matches");
    e.probe = QStringLiteral("P-17");
    e.startMs = e.modifiedMs - 45'000'000;
    e.start = QStringLiteral("2026-12-09T09:00:00+00:00");
    e.end = QStringLiteral("2026-12-09T21:30:00+00:00");
    e.operatorName = QStringLiteral("ann");
    e.recordStation = kStation;
    e.range = QStringLiteral("HIGH");
    e.fullScale = 5.0;
    for (int k = 0; k < kChannelCount; ++k) {
        e.channelNames[k] = QStringLiteral("Channel %1").arg(k + 1);
        e.numbers[k] = ChannelNumbers{2.5 + k, 2.0 + k, 3.0 + k, 2.75 + k};
        e.channelVerdicts[k] = QStringLiteral("PASS");
    }
    e.verdict = QStringLiteral("PASS");
    e.note = QStringLiteral("after recalibration");
    return e;
}

void BM_SaveRowIntoTheHomeCatalogue(benchmark::State& state) {
    testing::TempHome home;
    ManualClock clock;
    LocalCatalogue local(CatalogueFileIn(home.path()), clock);
    local.setQueueing(state.range(0) != 0);
    int i = 0;
    for (auto _ : state) {
        if (!local.put({SavedTest(i++)})) {
            state.SkipWithError("the home's catalogue could not be written");
            break;
        }
    }
}
BENCHMARK(BM_SaveRowIntoTheHomeCatalogue)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_SendOneQueuedRowToTheServer(benchmark::State& state) {
    testing::PostgresCluster cluster;
    ServerAddress address;
    if (Status s = cluster.create(); !s) {
        state.SkipWithError(s.message().toStdString().c_str());
        return;
    }
    if (Status s = ParseServerAddress(cluster.tcpAddress(), address); !s) {
        state.SkipWithError(s.message().toStdString().c_str());
        return;
    }
    testing::TempHome home;
    ManualClock clock;
    LocalCatalogue local(CatalogueFileIn(home.path()), clock);
    local.setQueueing(true);
    ServerCatalogue server(address);
    if (Status s = server.open(); !s) {
        state.SkipWithError(s.message().toStdString().c_str());
        return;
    }
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const bool saved = local.put({SavedTest(i++)}).ok();
        state.ResumeTiming();
        int sent = 0;
        if (!saved || !SendQueued(local, server, kStation, sent) || sent != 1) {
            state.SkipWithError("the queued row was not sent");
            break;
        }
    }
}
BENCHMARK(BM_SendOneQueuedRowToTheServer)->Unit(benchmark::kMicrosecond);

} // namespace
