// Rebuild and sort of the main list model, once per sort kind and direction, over a set that
// MakeBenchSet writes (n = VANTOR_BENCH_N, default 65535) into a temporary directory: as a later
// click of the kind does (the catalogue keeps the ranks of the kind's keys), and as the first
// click does (every rank dropped before each round, outside the timing); each against a
// natural-order rebuild measured with it.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench/support/BenchSet.h"
#include "catalogue/SoundCatalogue.h"
#include "tools/SetGenerator.h"

namespace {

double Milliseconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

// A sort of a kind from 1 to 9 is paired with a natural-order rebuild just before it, outside the
// timing: the median of their ratios ("ratio") holds on a machine whose speed drifts while the
// benchmarks run. CPU time is the whole process's: the sorts share work with a second thread.
void RebuildAndSort(benchmark::State& state, ColumnKind kind, bool descending, bool first) {
  CSoundCatalogue* catalogue = LoadBenchSet("catalogue_bench");
  CSoundListModel& model = catalogue->m_listModel;
  std::vector<double> ratios;
  for (auto _ : state) {
    double natural = 0;
    if (first || kind != COL_NUMBER) {
      state.PauseTiming();
      if (first) catalogue->m_sortRanks.Clear();
      if (kind != COL_NUMBER) {
        // The second of two, as in a run of natural-order rebuilds.
        for (int i = 0; i < 2; ++i) {
          auto start = std::chrono::steady_clock::now();
          model.Rebuild();
          model.SetSort(COL_NUMBER, false);
          model.Sort();
          natural = Milliseconds(start);
        }
      }
      state.ResumeTiming();
    }
    auto start = std::chrono::steady_clock::now();
    model.Rebuild();
    model.SetSort(kind, descending);
    model.Sort();
    benchmark::DoNotOptimize(model.ItemAt(0));
    if (natural > 0) ratios.push_back(Milliseconds(start) / natural);
  }
  if (!ratios.empty()) {
    std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
    state.counters["ratio"] = ratios[ratios.size() / 2];
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
            ->MeasureProcessCPUTime()
            ->MinTime(0.5);
      }
    }
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
