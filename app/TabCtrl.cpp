#include "app/TabCtrl.h"

#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>
#include <QTabBar>

CTabCtrl::CTabCtrl(QWidget* parent) : QWidget(parent), m_bar(new QTabBar(this)) {
  m_bar->setDrawBase(false);
  m_bar->setExpanding(false);
  m_bar->setObjectName(QStringLiteral("tabs"));
  connect(m_bar, &QTabBar::currentChanged, this, [this](int index) {
    // Leave the old page before the new one shows.
    if (m_nCurrent >= 0) emit SelChanging(m_nCurrent);
    m_nCurrent = index;
    emit SelChange(index);
  });
}

int CTabCtrl::InsertItem(int index, const QString& text) {
  const QSignalBlocker block(m_bar);  // inserting is no selection change
  const int at = m_bar->insertTab(index, text);
  m_nCurrent = m_bar->currentIndex();
  Layout();
  return at;
}

int CTabCtrl::GetCurSel() const { return m_bar->currentIndex(); }
void CTabCtrl::SetCurSel(int index) { m_bar->setCurrentIndex(index); }
int CTabCtrl::GetItemCount() const { return m_bar->count(); }

QRect CTabCtrl::GetItemRect(int index) const {
  QRect r = m_bar->tabRect(index);
  return r.isValid() ? r.translated(m_bar->pos()) : r;
}

QRect CTabCtrl::GetPageRect() const {
  const QRect r = rect();
  const int itemHeight = GetItemRect(0).height();
  return QRect(QPoint(r.left() + 4, r.top() + itemHeight + 8), QPoint(r.right() - 4, r.bottom() - 4));
}

void CTabCtrl::FitToClient(const QRect& client, std::initializer_list<QWidget*> pages) {
  setGeometry(QRect(QPoint(client.left(), geometry().top()), client.bottomRight()));
  const QRect page = GetPageRect();
  for (QWidget* p : pages)
    if (p) p->setGeometry(page);
}

void CTabCtrl::SetCornerWidget(QWidget* widget) {
  m_corner = widget;
  if (widget) widget->setParent(this);
  Layout();
}

void CTabCtrl::Layout() {
  const QSize hint = m_bar->sizeHint();
  int cornerWidth = 0;
  if (m_corner) {
    const QSize c = m_corner->sizeHint();
    cornerWidth = c.width() + 2;
    m_corner->setGeometry(width() - c.width() - 2, 2 + (hint.height() - c.height()) / 2, c.width(), c.height());
    m_corner->show();
  }
  m_bar->setGeometry(2, 2, qMin(hint.width(), qMax(0, width() - 4 - cornerWidth)), hint.height());
}

void CTabCtrl::resizeEvent(QResizeEvent*) { Layout(); }

void CTabCtrl::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.shape = QTabBar::RoundedNorth;
  frame.tabBarSize = m_bar->size();
  frame.tabBarRect = m_bar->geometry();
  frame.rect = rect().adjusted(0, m_bar->geometry().bottom() + 1, 0, 0);
  frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, this);
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);
}
