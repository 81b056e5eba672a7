// Speed of the spreadsheet export: the largest logged test (4500 rows) and 32,000 rows, to .xls and
// to .xlsx. Each iteration fills the sheet from the data, encodes the workbook and writes it
// atomically (synced) into a temporary folder: the whole export after the user chose a name.
#include "datafiles/SpreadsheetExport.h"

#include "support/TempHome.h"

#include <benchmark/benchmark.h>
#include <stdexcept>

using namespace corvin;
using namespace corvin::datafiles;

namespace {

PeriodicDataSet DataOf(int16_t rows) {
    PeriodicDataSet data;
    data.resize(rows);
    data.HeaderValues = {5, rows};
    for (int k = 0; k < kChannelCount; ++k)
        data.ChannelNames[std::size_t(k)] = QStringLiteral("Channel %1 µA").arg(k + 1).leftJustified(20);
    for (int r = 0; r < rows; ++r) {
        for (int k = 0; k < kChannelCount; ++k)
            data.PeriodicData[std::size_t(k)][std::size_t(r)] = float(r) * 0.37f + float(k) * 1.1f - 3.3f;
    }
    return data;
}

void Export(benchmark::State& state, WorkbookFormat format, const char* name) {
    testing::TempHome home;
    const QString path = home.file(QString::fromLatin1(name));
    const PeriodicDataSet data = DataOf(int16_t(state.range(0)));
    const QDateTime start = QDateTime::currentDateTime();
    for (auto _ : state) {
        SheetCells sheet;
        if (!FillPeriodicSheet(data, start, ExportCaller::ConvertButton, sheet) ||
            !WriteWorkbook(path, format, sheet))
            state.SkipWithError("export failed");
    }
}

void BM_ExportToXls(benchmark::State& state) {
    Export(state, WorkbookFormat::Xls, "bench.xls");
}
BENCHMARK(BM_ExportToXls)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

void BM_ExportToXlsx(benchmark::State& state) {
    Export(state, WorkbookFormat::Xlsx, "bench.xlsx");
}
BENCHMARK(BM_ExportToXlsx)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

// The parts without the disc: filling the sheet, and encoding each format.
void BM_FillSheet(benchmark::State& state) {
    const PeriodicDataSet data = DataOf(int16_t(state.range(0)));
    for (auto _ : state) {
        SheetCells sheet;
        if (!FillPeriodicSheet(data, QDateTime::currentDateTime(), ExportCaller::ConvertButton, sheet))
            throw std::runtime_error("cannot fill the benchmark's sheet");
        benchmark::DoNotOptimize(sheet);
    }
}
BENCHMARK(BM_FillSheet)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

void Encode(benchmark::State& state, WorkbookFormat format) {
    const PeriodicDataSet data = DataOf(int16_t(state.range(0)));
    SheetCells sheet;
    if (!FillPeriodicSheet(data, QDateTime::currentDateTime(), ExportCaller::ConvertButton, sheet))
        throw std::runtime_error("cannot fill the benchmark's sheet");
    for (auto _ : state) {
        QByteArray bytes;
        if (!EncodeWorkbook(sheet, format, bytes))
            state.SkipWithError("encode failed");
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_EncodeXls(benchmark::State& state) {
    Encode(state, WorkbookFormat::Xls);
}
BENCHMARK(BM_EncodeXls)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

void BM_EncodeXlsx(benchmark::State& state) {
    Encode(state, WorkbookFormat::Xlsx);
}
BENCHMARK(BM_EncodeXlsx)->Arg(0)->Arg(4500)->Arg(32000)->Unit(benchmark::kMillisecond);

} // namespace
