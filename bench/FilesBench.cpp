// Speed of the probe and test data files: a probe listing of 1,000 files, and writing and reading
// test data files of the largest logged test (4500 rows) and of 32,000 rows.
#include "datafiles/TestDataFile.h"
#include "probes/ProbeFile.h"

#include "support/TempHome.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

using namespace corvin;

namespace {

const std::array<QString, kChannelCount> kNames = {"Ch1", "Ch2", "Ch3", "Ch4", "Ch5", "Ch6", "Ch7"};

PeriodicDataSet DataOf(int16_t rows) {
    PeriodicDataSet data;
    data.resize(rows);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = float(r) * 0.37f + float(k);
    }
    return data;
}

void BM_ProbeListingOf1000Files(benchmark::State& state) {
    testing::TempHome home;
    const QString folder = home.file(QStringLiteral("Probes"));
    for (int i = 0; i < 1000; ++i) {
        cProbe p;
        p.setProbe_Name(QStringLiteral("Probe %1").arg(i));
        p.setCh(1, QStringLiteral("one"));
        p.setCh(2, QStringLiteral("two"));
        // Plain writes: the set-up need not pay for a thousand synced saves.
        testing::TempHome::write(folder + QStringLiteral("/Probe %1.prb").arg(i),
                                 probes::EncodeProbeRecord(p));
    }
    for (auto _ : state) {
        auto listing = probes::ReadProbeListing(folder);
        benchmark::DoNotOptimize(listing);
        if (listing.size() != 1000)
            state.SkipWithError("listing incomplete");
    }
}
BENCHMARK(BM_ProbeListingOf1000Files)->Unit(benchmark::kMillisecond);

void BM_WriteTestDataFile(benchmark::State& state) {
    testing::TempHome home;
    const QString path = home.file(QStringLiteral("bench.DAT"));
    PeriodicDataSet data = DataOf(int16_t(state.range(0)));
    for (auto _ : state) {
        if (!datafiles::WriteTestDataFile(path, data, 5, kNames))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteTestDataFile)->Arg(4500)->Unit(benchmark::kMillisecond);

// The writer without the disc: most of a save's wall time is the syncs that make it safe.
void BM_EncodeTestData(benchmark::State& state) {
    PeriodicDataSet data = DataOf(int16_t(state.range(0)));
    for (auto _ : state)
        benchmark::DoNotOptimize(datafiles::EncodeTestData(data, int16_t(state.range(0)), 5, kNames));
}
BENCHMARK(BM_EncodeTestData)->Arg(4500)->Unit(benchmark::kMillisecond);

void BM_ReadTestDataFile(benchmark::State& state) {
    testing::TempHome home;
    const QString path = home.file(QStringLiteral("bench.DAT"));
    PeriodicDataSet written = DataOf(int16_t(state.range(0)));
    if (!datafiles::WriteTestDataFile(path, written, 5, kNames))
        throw std::runtime_error("cannot write the benchmark's test data file");
    for (auto _ : state) {
        PeriodicDataSet data;
        if (!datafiles::ReadTestDataFile(path, data))
            state.SkipWithError("read failed");
        benchmark::DoNotOptimize(data);
    }
}
BENCHMARK(BM_ReadTestDataFile)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

} // namespace
