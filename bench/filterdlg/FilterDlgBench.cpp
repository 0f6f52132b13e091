// Opening the Filter dialog on the main list model of a large set: the set in VANTOR_BENCH_SET
// (a directory written by `vantor-mkset --bench N DIR`), else the same set for n = 65535
// written into a temporary directory. Runs on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise.
//   FilterDialogInit  construction and the first show, which fills the tag and sub-tag combos
//                     and sets every control from the model
//   FilterDialogOpen  the same up to the end of the dialog's first paint
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/BrowserApp.h"
#include "app/FilterDlg.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/SoundTags.h"
#include "tools/SetGenerator.h"

namespace {

CBrowserApp* g_app = nullptr;

void LoadSet() {
  std::string dir;
  bool temporary = false;
  if (const char* env = getenv("VANTOR_BENCH_SET"); env && *env) {
    dir = env;
    if (dir.back() != '/') dir += '/';
  } else {
    const char* tmp = getenv("TMPDIR");
    dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantor-filter-bench-XXXXXX";
    if (!mkdtemp(dir.data())) {
      perror("mkdtemp");
      exit(1);
    }
    dir += '/';
    temporary = true;
    MetafileSetWriter writer;
    MakeBenchSet(writer, 65535);
    std::string error;
    if (!writer.Write(dir, &error)) {
      fprintf(stderr, "filter_dialog_bench: %s\n", error.c_str());
      exit(1);
    }
  }
  g_app->m_pCatalogue = new CSoundCatalogue;
  const bool loaded = g_app->m_pCatalogue->Load(dir.c_str(), nullptr, stderr);
  if (temporary) std::filesystem::remove_all(dir);
  if (!loaded) {
    fprintf(stderr, "filter_dialog_bench: could not load %s\n", dir.c_str());
    exit(1);
  }
}

// Watches for the end of a widget's first paint.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

void FilterDialog(benchmark::State& state, bool paint) {
  CSoundListModel* model = &g_app->m_pCatalogue->m_listModel;
  int entries = 0;
  for (auto _ : state) {
    auto* dlg = new CFilterDlg;
    PaintWatch watch;
    dlg->installEventFilter(&watch);
    dlg->m_pModel = model;
    dlg->show();
    if (paint) {
      // The whole window paints in one pass once it is exposed.
      while (!watch.painted) QApplication::processEvents(QEventLoop::WaitForMoreEvents);
      QApplication::processEvents();
    }
    state.PauseTiming();
    entries = qobject_cast<QComboBox*>(dlg->GetDlgItem(CFilterDlg::IDC_TAG))->count();
    dlg->removeEventFilter(&watch);
    delete dlg;
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.counters["tags"] = g_app->m_pCatalogue->m_soundTags.GetCount();
  state.counters["tag_entries"] = entries;
}

}  // namespace

BENCHMARK_CAPTURE(FilterDialog, FilterDialogInit, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(FilterDialog, FilterDialogOpen, true)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication qapp(argc, argv);
  CBrowserApp app;
  g_app = &app;
  LoadSet();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
