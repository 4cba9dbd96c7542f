// Loading the rule store: 2,000 rule files of the usual size, read from a warm folder.
#include "BenchHome.h"
#include "RuleStore.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LoadRules2000(benchmark::State& state)
{
    static const vortalux::bench::BenchHome folder(2000, 0);
    vortalux::RuleStore store;
    for (auto _ : state) {
        store.LoadRules(folder.Path());
        benchmark::DoNotOptimize(store.Rules().data());
    }
    state.counters["rules"] = static_cast<double>(store.Rules().size());
}
BENCHMARK(BM_LoadRules2000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
