// find_bar_bench SET [REPS]: the find bar of the main list on a large set, timed from a key stroke
// to the next paint of what it changed (medians of REPS, default 15): the first stroke (which
// gathers the rows' texts), a stroke whose match lies at the end of the list while the current
// row is the first, a stroke that matches nothing, and F3 to a far match. Then the memory the
// bar's texts hold and the peak memory. Runs on the platform Qt is given (offscreen by default).
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/FindBar.h"
#include "app/SoundListPage.h"
#include "catalogue/SoundCatalogue.h"
#include "views/SoundListColumns.h"
#include "views/SoundListCtrl.h"

#include "bench/support/ProcStatus.h"

namespace {

// Notes the first paint of the watched widgets after it is armed.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted = true;
    return false;
  }
};

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.empty() ? 0 : v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: find_bar_bench SET [REPS]\n");
    return 2;
  }
  const int reps = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
  std::string dir = argv[1];
  if (dir.back() != '/') dir += '/';
  auto catalogue = std::make_unique<CSoundCatalogue>();
  if (!catalogue->Load(dir.c_str(), nullptr, stderr)) return 1;

  CSoundListPage page;
  page.Create(catalogue.get());
  page.resize(1200, 800);
  page.show();
  CSoundListCtrl& list = *page.m_list;
  const CSoundListModel& model = *list.GetModel();
  if (!QTest::qWaitForWindowExposed(&page)) return 1;
  QApplication::processEvents();

  PaintWatch watch;
  // Runs `stroke` and waits for the next paint of the list or the bar; returns milliseconds.
  auto timed = [&](const std::function<void()>& stroke) {
    QApplication::processEvents();
    watch.painted = false;
    QElapsedTimer clock;
    clock.start();
    stroke();
    while (!watch.painted && clock.elapsed() < 5000) QApplication::processEvents(QEventLoop::AllEvents, 1);
    return clock.nsecsElapsed() / 1e6;
  };
  auto toFirstRow = [&] { list.setCurrentIndex(list.model()->index(0, 1)); };

  QTest::keyClick(&list, Qt::Key_F, Qt::ControlModifier);
  CFindBar* bar = page.GetFindBar();
  for (QWidget* w : {static_cast<QWidget*>(list.viewport()), static_cast<QWidget*>(bar)}) w->installEventFilter(&watch);
  for (QObject* child : bar->children())
    if (child->isWidgetType()) child->installEventFilter(&watch);

  // A text only the last rows hold: the name of the last mission sound.
  const ColumnKind id = COL_ID;
  char far[kCellTextSize];
  GetCellText(&model, model.nCount - 1, &id, 1, 0, far, sizeof far);
  const QString farText = QString::fromLatin1(far);
  const QString farPrefix = farText.left(farText.size() - 1);
  const QChar farLast = farText.back();

  toFirstRow();
  const long rssBefore = StatusKb("VmRSS:");
  const double first = timed([&] { QTest::keyClick(bar->m_edit, 'g'); });
  const long rssAfter = StatusKb("VmRSS:");
  std::printf("rows: %u\n", model.nCount);
  std::printf("first key stroke (gathers the texts, then finds): %.1f ms; memory it added: %ld KiB\n", first,
              rssAfter - rssBefore);

  std::vector<double> farMs, noneMs, nextMs;
  int64_t farRow = -1;
  for (int i = 0; i < reps; ++i) {
    bar->m_edit->setText(farPrefix);
    toFirstRow();
    farMs.push_back(timed([&] { QTest::keyClick(bar->m_edit, farLast.toLatin1()); }));
    farRow = list.currentIndex().row();

    bar->m_edit->setText(QStringLiteral("no such soun"));
    noneMs.push_back(timed([&] { QTest::keyClick(bar->m_edit, 'd'); }));

    bar->m_edit->setText(farText);
    toFirstRow();
    nextMs.push_back(timed([&] { QTest::keyClick(bar->m_edit, Qt::Key_F3); }));
  }
  std::printf("key stroke to a far match (row 1 to row %lld, \"%s\"): median %.1f ms, max %.1f ms\n",
              static_cast<long long>(farRow + 1), far, Median(farMs), *std::max_element(farMs.begin(), farMs.end()));
  std::printf("key stroke matching nothing (\"no such sound\"): median %.1f ms, max %.1f ms\n", Median(noneMs),
              *std::max_element(noneMs.begin(), noneMs.end()));
  std::printf("F3 to a far match (the matches known): median %.1f ms\n", Median(nextMs));
  std::printf("peak RSS: %ld KiB\n", StatusKb("VmHWM:"));
  return 0;
}
