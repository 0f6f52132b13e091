#include "app/DialogPage.h"

#include <QKeyEvent>
#include <algorithm>

#include "app/DialogUnits.h"

CDialogPage::CDialogPage(QWidget* parent) : QWidget(parent) { setFont(DialogFont()); }

void CDialogPage::SetBottomBar(QWidget* bar) {
  if (m_bar) m_bar->removeEventFilter(this);
  m_bar = bar;
  if (m_bar) m_bar->installEventFilter(this);
  LayoutHosted();
}

void CDialogPage::LayoutHosted() {
  QRect area = rect();
  if (m_bar && !m_bar->isHidden()) {
    const int height = std::min(m_bar->sizeHint().height(), area.height());
    m_bar->setGeometry(0, area.height() - height, area.width(), height);
    area.setHeight(area.height() - height);
  }
  if (m_hosted) m_hosted->setGeometry(area);
}

void CDialogPage::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  LayoutHosted();
}

bool CDialogPage::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_bar && (event->type() == QEvent::ShowToParent || event->type() == QEvent::HideToParent))
    LayoutHosted();
  return QWidget::eventFilter(watched, event);
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
