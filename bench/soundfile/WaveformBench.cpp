// waveform_bench [benchmark flags]: the time to draw the waveform of the longest sound of the
// demo set: reading its stored bytes, decoding them through the extraction chain into peaks,
// and painting the Waveform page; and the whole of the Sound File dialog's SetSound with the
// paint that follows. The demo set is written into a temporary directory first; the ACM
// drivers are registered as audio's start registers them. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "app/SoundFileDlg.h"
#include "app/TabCtrl.h"
#include "app/WaveformView.h"
#include "catalogue/SoundCatalogue.h"
#include "codec/AcmDriverRegistration.h"
#include "export/SoundFileInfo.h"
#include "export/SoundPeaks.h"
#include "metafile/SoundInfo.h"
#include "tools/AudioSets.h"

namespace {

// The waveform's size in the benchmarks: the dialog enlarged to a typical window.
constexpr int kWidth = 900, kHeight = 300;

struct DemoSound {
  std::filesystem::path dir;
  CSoundCatalogue catalogue;
  const SoundListItem* item = nullptr;
  std::string label;
};

DemoSound& Demo() {
  static DemoSound* demo = [] {
    auto* d = new DemoSound;
    d->dir = std::filesystem::temp_directory_path() / ("waveform-bench-" + std::to_string(getpid()));
    MetafileSetWriter writer;
    MakeDemoSet(writer);
    if (!writer.Write(d->dir.string()) || !d->catalogue.Load((d->dir.string() + "/").c_str(), nullptr)) std::abort();
    CSoundListModel& model = d->catalogue.m_listModel;
    model.Rebuild();
    double longest = -1;
    for (uint32_t r = 0; r < model.nCount; ++r) {
      const SoundFileInfo info = DescribeStoredSound(ReadStoredSound(&model, model.ItemAt(r)));
      if (info.problem.empty() && info.dDuration > longest) longest = info.dDuration, d->item = model.ItemAt(r);
    }
    if (!d->item) std::abort();
    char text[256];
    snprintf(text, sizeof text, "%s.%s, %.3f s", std::string(d->item->pFile->m_name.GetText()).c_str(), d->item->pFile->GetExtension(),
             longest);
    d->label = text;
    return d;
  }();
  return *demo;
}

void BM_ReadDecodePeaks(benchmark::State& state) {
  DemoSound& d = Demo();
  for (auto _ : state) {
    SoundPeaks peaks = ComputePeaks(ReadStoredSound(&d.catalogue.m_listModel, d.item));
    benchmark::DoNotOptimize(peaks.mins.data());
  }
  state.SetLabel(d.label);
}
BENCHMARK(BM_ReadDecodePeaks)->Unit(benchmark::kMillisecond);

void BM_PaintWaveform(benchmark::State& state) {
  DemoSound& d = Demo();
  CWaveformView view;
  view.resize(kWidth, kHeight);
  view.SetPeaks(ComputePeaks(ReadStoredSound(&d.catalogue.m_listModel, d.item)));
  QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) view.render(&image);
  state.SetLabel(d.label);
}
BENCHMARK(BM_PaintWaveform)->Unit(benchmark::kMillisecond);

// What the user waits for: SetSound (read, describe, decode, peaks, table) and the waveform's paint.
void BM_SetSoundAndPaint(benchmark::State& state) {
  DemoSound& d = Demo();
  CSoundFileDlg dlg(nullptr);
  dlg.m_tab->SetCurSel(1);
  dlg.m_waveform->resize(kWidth, kHeight);
  QImage image(dlg.m_waveform->size(), QImage::Format_ARGB32_Premultiplied);
  for (auto _ : state) {
    dlg.SetSound(&d.catalogue.m_listModel, d.item);
    dlg.m_waveform->render(&image);
  }
  state.SetLabel(d.label);
}
BENCHMARK(BM_SetSoundAndPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RegisterAcmDrivers();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  RemoveAcmDrivers();
  std::filesystem::remove_all(Demo().dir);
  return 0;
}
