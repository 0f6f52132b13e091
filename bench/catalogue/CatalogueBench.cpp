// Rebuild and sort of the main list model, once per sort kind and direction, over a set that
// MakeBenchSet writes (n = VANTOR_BENCH_N, default 65535) into a temporary directory: as a later
// click of the kind does (the catalogue keeps the ranks of the kind's keys), and as the first
// click does (every rank dropped before each round, outside the timing).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "bench/support/BenchSet.h"
#include "catalogue/SoundCatalogue.h"
#include "tools/SetGenerator.h"

namespace {


void RebuildAndSort(benchmark::State& state, ColumnKind kind, bool descending, bool first) {
  CSoundCatalogue* catalogue = LoadBenchSet("catalogue_bench");
  CSoundListModel& model = catalogue->m_listModel;
  for (auto _ : state) {
    if (first) {
      state.PauseTiming();
      catalogue->m_sortRanks.Clear();
      state.ResumeTiming();
    }
    model.Rebuild();
    model.SetSort(kind, descending);
    model.Sort();
    benchmark::DoNotOptimize(model.ItemAt(0));
  }
  state.counters["rows"] = model.nCount;
  state.counters["rankKiB"] = catalogue->m_sortRanks.GetHeldBytes() / 1024.0;
}

const int kRegistered = [] {
  for (bool first : {false, true}) {
    for (bool descending : {false, true}) {
      for (int kind = first ? COL_ID : COL_NUMBER; kind < COL_KIND_COUNT; ++kind) {
        std::string name = std::string(first ? "RebuildSortFirst/" : "RebuildSort/") + std::to_string(kind) +
                           (descending ? "/desc" : "/asc");
        benchmark::RegisterBenchmark(name.c_str(), RebuildAndSort, static_cast<ColumnKind>(kind), descending, first)
            ->Unit(benchmark::kMillisecond)
            ->MinTime(0.5);
      }
    }
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
