#include "app/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>

int WINAPI QtMessageBoxPresenter(HWND, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  switch (uType & 0xF0) {
    case MB_ICONERROR: icon = QMessageBox::Critical; break;
    case MB_ICONQUESTION: icon = QMessageBox::Question; break;
    case MB_ICONWARNING: icon = QMessageBox::Warning; break;
    case MB_ICONINFORMATION: icon = QMessageBox::Information; break;
  }
  QMessageBox::StandardButtons buttons = QMessageBox::Ok;
  if ((uType & 0x0F) == MB_OKCANCEL) buttons = QMessageBox::Ok | QMessageBox::Cancel;
  if ((uType & 0x0F) == MB_YESNO) buttons = QMessageBox::Yes | QMessageBox::No;
  QMessageBox box(icon, QString::fromUtf8(lpCaption ? lpCaption : ""), QString::fromUtf8(lpText ? lpText : ""), buttons,
                  QApplication::activeWindow());
  box.setWindowIcon(QApplication::windowIcon());
  if (LPCSTR details = GetMessageBoxDetails()) box.setDetailedText(QString::fromUtf8(details));
  switch (box.exec()) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
  }
}
