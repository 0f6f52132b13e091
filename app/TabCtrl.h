// The main window's tab control: a row of tabs over a frame that holds the pages.
#pragma once

#include <QWidget>

class QTabBar;

class CTabCtrl : public QWidget {
  Q_OBJECT
 public:
  explicit CTabCtrl(QWidget* parent = nullptr);

  int InsertItem(int index, const QString& text);
  int GetCurSel() const;
  void SetCurSel(int index);
  int GetItemCount() const;
  // The rectangle of a tab item in the control's client coordinates.
  QRect GetItemRect(int index) const;
  // Where the pages go: the client rectangle less 4 at the sides and bottom and less (item
  // height + 8) at the top.
  QRect GetPageRect() const;
  // Refit after the owner's resize: the control to the owner's client left, right and bottom,
  // keeping its top; every page (shown or hidden) to the page rectangle.
  void FitToClient(const QRect& client, std::initializer_list<QWidget*> pages);
  // A widget shown at the right end of the row of tabs.
  void SetCornerWidget(QWidget* widget);
  QTabBar* TabBar() const { return m_bar; }

 signals:
  // The selection is about to leave `index` (sent before SelChange).
  void SelChanging(int index);
  // `index` is the newly selected tab.
  void SelChange(int index);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void Layout();

  QTabBar* m_bar;
  QWidget* m_corner = nullptr;
  int m_nCurrent = -1;
};
