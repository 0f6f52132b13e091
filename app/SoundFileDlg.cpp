#include "app/SoundFileDlg.h"

#include <QCloseEvent>

#include "app/Command.h"
#include "views/ListCommands.h"

CSoundFileDlg::CSoundFileDlg(QWidget* owner) : QDialog(owner) {
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("Sound File"));
}

void CSoundFileDlg::SetSound(const CSoundListModel*, const SoundListItem*) {}

void CSoundFileDlg::closeEvent(QCloseEvent* event) {
  event->ignore();
  SendCommand(parentWidget(), ID_CLOSE_CHILD);
}
