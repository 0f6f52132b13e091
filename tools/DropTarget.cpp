// vantor-droptarget: a window that takes file drops and lists what it got (each file's path
// and size, and the first bytes), for trying drags out of the desktop program by hand.
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <QVBoxLayout>
#include <cstdio>

namespace {

class DropTarget : public QWidget {
 public:
  DropTarget() {
    setWindowTitle(QStringLiteral("Drop target"));
    setAcceptDrops(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Drop files here")));
    m_log = new QPlainTextEdit;
    m_log->setReadOnly(true);
    m_log->setAcceptDrops(false);
    layout->addWidget(m_log);
    resize(520, 360);
  }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
  }
  void dragMoveEvent(QDragMoveEvent* event) override { event->acceptProposedAction(); }
  void dropEvent(QDropEvent* event) override {
    const QList<QUrl> urls = event->mimeData()->urls();
    m_log->appendPlainText(QStringLiteral("Dropped %1 file(s):").arg(urls.size()));
    for (const QUrl& url : urls) {
      QFile file(url.toLocalFile());
      const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(4) : QByteArray();
      const QString line = QStringLiteral("%1  %2 bytes  starts \"%3\"")
                               .arg(url.toLocalFile())
                               .arg(QFileInfo(file).size())
                               .arg(QString::fromLatin1(head));
      m_log->appendPlainText(line);
      std::printf("%s\n", line.toLocal8Bit().constData());
    }
    std::fflush(stdout);
    event->acceptProposedAction();
  }

 private:
  QPlainTextEdit* m_log;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  DropTarget window;
  window.show();
  return app.exec();
}
