// The cost the recovery journal adds to a logging tick: one 36-byte frame appended and synced to
// the disc (fdatasync), to be set against the shortest logging interval, 5 s. The journal lives
// in a temporary folder, on the disc that holds /tmp.
#include "datafiles/RecoveryJournal.h"
#include "support/TempHome.h"

#include <benchmark/benchmark.h>

using namespace corvin;

namespace {

void BM_JournalAppendWithSync(benchmark::State& state) {
    testing::TempHome home;
    datafiles::RecoveryJournal journal;
    datafiles::JournalHeader header;
    header.startTime = QDateTime::currentDateTimeUtc();
    header.intervalSeconds = 5;
    header.plannedRows = 4500;
    if (!journal.begin(home.file(QStringLiteral("Recovery")), header)) {
        state.SkipWithError("the journal could not be started");
        return;
    }
    datafiles::JournalRow row{1.5f, -2.25f, 8.0f, 0.125f, 450.0f, -280.0f, 760.0f};
    int r = 0;
    for (auto _ : state) {
        if (!journal.append(r++, row)) {
            state.SkipWithError("an append failed");
            break;
        }
    }
    journal.remove();
}
BENCHMARK(BM_JournalAppendWithSync)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace
