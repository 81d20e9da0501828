// How fast numbers become text, amounts are computed and batch files are read.
#include "Batch.h"
#include "BatchFile.h"
#include "KmScale.h"
#include "NumberText.h"

#include <QByteArray>
#include <QLocale>

#include <benchmark/benchmark.h>

namespace {

void frenchFormat()
{
    InitNumberFormats(QLocale(QLocale::French, QLocale::France));
}

void BM_NumberToText(benchmark::State &state)
{
    frenchFormat();
    long double x = 1234.5678L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NumberToText(x, 2));
        x += 1.25L;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_NumberToText);

void BM_RoundDecimals(benchmark::State &state)
{
    frenchFormat();
    long double x = 0.6348L;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RoundDecimals(x, 3));
        x += 0.0001L;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RoundDecimals);

void BM_ComputeKmCost(benchmark::State &state)
{
    frenchFormat();
    const int year = NewestYear(tcKmCost);
    TKmScale scale{};
    BuildKmScale(scale, year);
    TKmCalcState last;
    long double distance = 1000;
    int kind = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(ComputeKmCost(scale, TVehicleKind(kind), year, 1, distance, last));
        kind = (kind + 1) % 6; // electric kinds include the markup's rounding
        distance = distance > 30000 ? 1000 : distance + 137;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ComputeKmCost);

void BM_BatchMillionRows(benchmark::State &state)
{
    frenchFormat();
    const int rows = 1'000'000;
    const QByteArray file = MakeBatchFile(rows);
    size_t written = 0;
    for (auto _ : state) {
        written = 0;
        const int status = RunBatch(
            MemorySource(std::string_view(file.constData(), size_t(file.size()))),
            [&written](std::string_view s) {
                written += s.size();
                return true;
            },
            [](std::string_view) { return true; });
        benchmark::DoNotOptimize(status);
    }
    state.SetItemsProcessed(state.iterations() * rows);
    state.counters["output_MB"] = double(written) / 1e6;
}
BENCHMARK(BM_BatchMillionRows)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
