#include "app/DialogPage.h"

#include <QKeyEvent>

#include "app/DialogUnits.h"

CDialogPage::CDialogPage(QWidget* parent) : QWidget(parent) { setFont(DialogFont()); }

void CDialogPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (m_hosted) m_hosted->setGeometry(rect());
}

void CDialogPage::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();  // the page's empty OK and Cancel
      return;
    default:
      QWidget::keyPressEvent(event);
  }
}
