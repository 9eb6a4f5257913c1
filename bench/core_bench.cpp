#include "report.h"

#include <benchmark/benchmark.h>

// One full report per tier: the host counts pick /24 down to /30 (1 to 64 range lines).
static void BM_BuildDetailReport(benchmark::State &state)
{
    const std::string hosts = std::to_string(state.range(0));
    for (auto _ : state) {
        auto result = vellacor::buildDetailReport(hosts, "192", "168", "0");
        benchmark::DoNotOptimize(result);
    }
    state.SetLabel(hosts + " hosts");
}
BENCHMARK(BM_BuildDetailReport)->Arg(254)->Arg(126)->Arg(62)->Arg(30)->Arg(14)->Arg(6)->Arg(2);

BENCHMARK_MAIN();
