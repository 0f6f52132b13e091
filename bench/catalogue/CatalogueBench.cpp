// Rebuild and sort of the main list model, once per sort kind and direction, over a set that
// MakeBenchSet writes (n = VANTOR_BENCH_N, default 65535) into a temporary directory.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/SoundCatalogue.h"
#include "tools/SetGenerator.h"

namespace {

CSoundCatalogue* LoadBenchSet() {
  static std::unique_ptr<CSoundCatalogue> catalogue = [] {
    const char* env = getenv("VANTOR_BENCH_N");
    int n = env ? atoi(env) : 65535;
    const char* tmp = getenv("TMPDIR");
    std::string dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantor-bench-XXXXXX";
    if (!mkdtemp(dir.data())) {
      perror("mkdtemp");
      exit(1);
    }
    dir += '/';
    MetafileSetWriter writer;
    MakeBenchSet(writer, n);
    std::string error;
    bool written = writer.Write(dir, &error);
    auto c = std::make_unique<CSoundCatalogue>();
    bool loaded = written && c->Load(dir.c_str(), nullptr, stderr);
    std::filesystem::remove_all(dir);
    if (!loaded) {
      fprintf(stderr, "catalogue_bench: could not write or load the set: %s\n", error.c_str());
      exit(1);
    }
    return c;
  }();
  return catalogue.get();
}

void RebuildAndSort(benchmark::State& state, ColumnKind kind, bool descending) {
  CSoundListModel& model = LoadBenchSet()->m_listModel;
  for (auto _ : state) {
    model.Rebuild();
    model.SetSort(kind, descending);
    model.Sort();
    benchmark::DoNotOptimize(model.ItemAt(0));
  }
  state.counters["rows"] = model.nCount;
}

const int kRegistered = [] {
  for (bool descending : {false, true}) {
    for (int kind = COL_NUMBER; kind < COL_KIND_COUNT; ++kind) {
      std::string name = std::string("RebuildSort/") + std::to_string(kind) + (descending ? "/desc" : "/asc");
      benchmark::RegisterBenchmark(name.c_str(), RebuildAndSort, static_cast<ColumnKind>(kind), descending)
          ->Unit(benchmark::kMillisecond)
          ->MinTime(0.5);
    }
  }
  return 0;
}();

}  // namespace

BENCHMARK_MAIN();
