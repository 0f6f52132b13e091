// Finding rows by text over a set that MakeBenchSet writes (n = VANTOR_BENCH_N, default 65535:
// 262,904 rows) into a temporary directory: a full pass of the row matcher over every row, the
// gathering of the find index, and the index's full pass for a text found nowhere, one found
// only near the end of the list, and common ones.
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
#include "views/SoundListColumns.h"
#include "views/SoundListFind.h"

namespace {

// The set, with the main list built.
CSoundCatalogue* LoadRebuiltSet() {
  static CSoundCatalogue* catalogue = [] {
    CSoundCatalogue* c = LoadBenchSet("find_bench");
    c->m_listModel.Rebuild();
    return c;
  }();
  return catalogue;
}

// The location cell of the last row: a text that only rows near the end hold.
std::string FarText(const CSoundListModel& model) {
  const ColumnKind kind = COL_LOCATION;
  char cell[kCellTextSize];
  GetCellText(&model, model.nCount - 1, &kind, 1, 0, cell, sizeof cell);
  return cell;
}

void MatcherFullPass(benchmark::State& state) {
  const CSoundListModel& model = LoadRebuiltSet()->m_listModel;
  const CFindQuery query("no such sound");
  for (auto _ : state) {
    uint32_t found = 0;
    for (uint32_t r = 0; r < model.nCount; ++r) found += RowMatches(model, r, query);
    benchmark::DoNotOptimize(found);
  }
  state.counters["rows"] = model.nCount;
}
BENCHMARK(MatcherFullPass)->Unit(benchmark::kMillisecond)->MinTime(2);

void IndexGather(benchmark::State& state) {
  const CSoundListModel& model = LoadRebuiltSet()->m_listModel;
  CSoundListFindIndex index;
  for (auto _ : state) {
    index.Clear();
    index.Gather(model);
  }
  state.counters["heldMiB"] = index.GetHeldBytes() / 1048576.0;
}
BENCHMARK(IndexGather)->Unit(benchmark::kMillisecond)->MinTime(2);

void IndexFullPass(benchmark::State& state, std::string text) {
  const CSoundListModel& model = LoadRebuiltSet()->m_listModel;
  if (text.empty()) text = FarText(model);
  CSoundListFindIndex index;
  index.Gather(model);
  const CFindQuery query(text);
  std::vector<uint32_t> rows;
  for (auto _ : state) {
    index.FindRows(model, query, rows);
    benchmark::DoNotOptimize(rows.data());
  }
  state.counters["matches"] = static_cast<double>(rows.size());
  state.counters["firstMatch"] = rows.empty() ? -1.0 : rows.front();
}
BENCHMARK_CAPTURE(IndexFullPass, none, std::string("no such sound"))->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(IndexFullPass, far, std::string())->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(IndexFullPass, one_letter, std::string("e"))->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(IndexFullPass, word, std::string("gott"))->Unit(benchmark::kMillisecond)->MinTime(1);
BENCHMARK_CAPTURE(IndexFullPass, digits, std::string("12"))->Unit(benchmark::kMillisecond)->MinTime(1);

}  // namespace

BENCHMARK_MAIN();
