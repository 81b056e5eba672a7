// The test record's costs: the verdict of a long test, and the one-page report of a full one
// from the data file on disc (the goals: verdict of 7 x 32,000 rows under 5 ms, report of
// 7 x 4500 rows under 300 ms wall).

#include "datafiles/TestDataFile.h"
#include "datafiles/Verdict.h"
#include "playback/TestReport.h"
#include "support/TempHome.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <stdexcept>

namespace {

using namespace corvin;

PeriodicDataSet Readings(int16_t rows) {
    PeriodicDataSet data;
    data.resize(rows);
    data.SampleCount = rows;
    for (int r = 0; r < rows; ++r)
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[k][r] = float(2.0 + k * 0.6 + 0.4 * std::sin(r / 300.0 + k));
    return data;
}

probes::ProbeLimits SomeLimits() {
    probes::ProbeLimits limits{};
    for (auto& l : limits)
        l = {0.0, 10.0, 0.5, 9.5, 60.0};
    return limits;
}

void BM_VerdictOfALongTest(benchmark::State& state) {
    const PeriodicDataSet data = Readings(int16_t(state.range(0)));
    std::array<bool, kChannelCount> on;
    on.fill(true);
    const probes::ProbeLimits limits = SomeLimits();
    for (auto _ : state)
        benchmark::DoNotOptimize(datafiles::JudgeTest(data, 5, on, limits));
}
BENCHMARK(BM_VerdictOfALongTest)->Arg(32000)->Unit(benchmark::kMillisecond);

// What `corvin-data report` does after its start: read the data file, judge, draw, write.
void BM_ReportOfAFullTest(benchmark::State& state) {
    testing::TempHome home;
    const QString dat = home.file(QStringLiteral("T.DAT"));
    PeriodicDataSet data = Readings(int16_t(state.range(0)));
    data.SampleCapacity = data.SampleCount;
    if (!datafiles::WriteTestDataFile(dat, data, 10, {}))
        throw std::runtime_error("cannot write the benchmark's test data file");
    for (auto _ : state) {
        playback::ReportInput input;
        QStringList notes;
        if (!playback::PrepareReport(dat, {}, input, notes))
            throw std::runtime_error("cannot read the benchmark's test data file");
        input.limits = SomeLimits();
        if (!playback::WriteTestReport(home.file(QStringLiteral("T.pdf")), input))
            throw std::runtime_error("cannot write the report");
    }
}
BENCHMARK(BM_ReportOfAFullTest)->Arg(4500)->Unit(benchmark::kMillisecond);

} // namespace
