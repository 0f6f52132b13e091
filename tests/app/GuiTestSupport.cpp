#include "tests/app/GuiTestSupport.h"

#include <QApplication>
#include <QTimer>

#include "platform/MessageBox.h"
#include "tools/SetGenerator.h"

namespace {
std::vector<MessageBoxRecorder::Box> g_boxes;

int WINAPI RecordBox(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  g_boxes.push_back({text ? text : "", caption ? caption : "", type, GetMessageBoxDetails() ? GetMessageBoxDetails() : ""});
  return (type & 0x0F) == MB_YESNO ? IDYES : IDOK;
}
}  // namespace

MessageBoxRecorder::MessageBoxRecorder() {
  g_boxes.clear();
  SetMessageBoxPresenter(RecordBox);
}
MessageBoxRecorder::~MessageBoxRecorder() { SetMessageBoxPresenter(nullptr); }
const std::vector<MessageBoxRecorder::Box>& MessageBoxRecorder::boxes() const { return g_boxes; }

LoadedApp::LoadedApp(const std::function<void(MetafileSetWriter&)>& make) {
  MetafileSetWriter writer;
  if (make)
    make(writer);
  else
    MakeSampleSet(writer);
  writer.Write(dir.path());
  m_pCatalogue = new CSoundCatalogue;
  m_pCatalogue->Load(dir.dir().c_str(), nullptr);
}

void AnswerNextModal(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, answer] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      timer->stop();
      timer->deleteLater();
      answer(modal);
    }
  });
  timer->start();
}

void DoubleClickRow(CSoundListCtrl* list, int row) {
  const QPoint at = row >= 0 ? list->visualRect(list->model()->index(row, 1)).center()
                             : QPoint(5, list->viewport()->height() - 2);
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}
