// gui_bench SET [PAGES]: the desktop program's start-up as it runs (audio, progress window, load,
// main window) up to the main window's first paint, timed from the process's start; then every
// column's header click (re-sort and repaint) in the three states of its cycle; then scrolling
// the whole list page by page (at most PAGES; -1 stops at the first paint); then the peak
// memory. Runs on the platform Qt is given (offscreen by default).
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <cstring>
#include <limits>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppIcon.h"
#include "app/BrowserApp.h"
#include "app/BrowserDlg.h"
#include "app/SoundListPage.h"
#include "views/SoundListCtrl.h"

#include "bench/support/ProcStatus.h"
#include "bench/support/ProcessClock.h"

namespace {

class FirstPaint : public QObject {
 public:
  double ms = -1;
  double wall = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && ms < 0) {
      ms = SinceProcessStart();
      wall = WallClockMs();
    }
    return false;
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

class BenchApp : public CBrowserApp {
 public:
  long m_nMaxPages = std::numeric_limits<long>::max();

 protected:
  void RunMainWindow() override {
    CBrowserDlg dlg;
    m_pMainWnd = &dlg;
    FirstPaint paint;
    dlg.m_soundsPage->m_list->viewport()->installEventFilter(&paint);
    dlg.resize(1200, 800);
    dlg.show();
    while (paint.ms < 0) QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    std::printf("start to first paint of the main window: %.1f ms\n", paint.ms);
    std::printf("first paint at %.1f ms of the wall clock\n", paint.wall);
    PrintMemoryAtFirstPaint();
    if (m_nMaxPages < 0) {  // the start alone
      m_pMainWnd = nullptr;
      return;
    }

    CSoundListCtrl* list = dlg.m_soundsPage->m_list;
    std::printf("rows: %d\n", list->model()->rowCount());
    const char* states[] = {"ascending", "descending", "natural"};
    double worst = 0;
    for (int column = 1; column < list->model()->columnCount(); ++column) {
      for (int state = 0; state < 3; ++state) {
        QElapsedTimer t;
        t.start();
        list->OnColumnClick(column);
        list->viewport()->repaint();
        list->horizontalHeader()->viewport()->repaint();
        const double ms = t.nsecsElapsed() / 1e6;
        worst = std::max(worst, ms);
        std::printf("header click %-9s %-10s: %7.1f ms\n",
                    list->model()->headerData(column, Qt::Horizontal).toString().toUtf8().constData(), states[state], ms);
      }
    }
    // "#" reverses the natural order and back.
    for (int state = 0; state < 2; ++state) {
      QElapsedTimer t;
      t.start();
      list->OnColumnClick(0);
      list->viewport()->repaint();
      const double ms = t.nsecsElapsed() / 1e6;
      worst = std::max(worst, ms);
      std::printf("header click #         %-10s: %7.1f ms\n", state ? "forward" : "reversed", ms);
    }
    std::printf("slowest header click: %.1f ms (goal <= 150 ms)\n", worst);

    // Page by page through the whole list, each frame painted at once.
    QScrollBar* bar = list->verticalScrollBar();
    std::vector<double> frames;
    bar->setValue(0);
    while (bar->value() < bar->maximum() && static_cast<long>(frames.size()) < m_nMaxPages) {
      QElapsedTimer t;
      t.start();
      bar->setValue(bar->value() + bar->pageStep());
      list->viewport()->repaint();
      frames.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(frames.begin(), frames.end());
    std::printf("scrolling: %zu pages, per frame median %.2f ms, 99th percentile %.2f ms, slowest %.2f ms (goal <= 16 ms)\n",
                frames.size(), Median(frames), frames.empty() ? 0 : frames[frames.size() * 99 / 100],
                frames.empty() ? 0 : frames.back());

    // The Meta Sound dialog on a row (all four pages filled; "File References" scans every
    // sound), then replaced by a second double-click.
    for (const char* what : {"open", "replace"}) {
      QElapsedTimer t;
      t.start();
      dlg.ShowMetaSound(list->GetModel()->ItemAt(what[0] == 'o' ? 1000 : 200000));
      QApplication::processEvents();
      std::printf("Meta Sound dialog %-7s: %7.1f ms\n", what, t.nsecsElapsed() / 1e6);
    }
    m_pMainWnd = nullptr;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gui_bench SET\n");
    return 2;
  }
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  QApplication qapp(argc, argv);
  QApplication::setWindowIcon(LoadAppIcon());
  BenchApp app;
  if (argc > 2) app.m_nMaxPages = std::atol(argv[2]);
  app.SetCommandLineSet(argv[1]);
  app.InitInstance();
  app.ExitInstance();
  PrintPeakMemory();
  std::fflush(stdout);
  std::_Exit(0);  // the catalogue is left to the system, as vantor does
}
