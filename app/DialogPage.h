// A child dialog on a tab or in the Meta Sound dialog: it hosts one control that fills it (less
// the height of a bar under it while that shows), and Enter and Escape inside it do nothing.
#pragma once

#include <QWidget>

class CDialogPage : public QWidget {
  Q_OBJECT
 public:
  explicit CDialogPage(QWidget* parent = nullptr);

 protected:
  // The control the page fits to its whole client area.
  void SetHostedControl(QWidget* control) { m_hosted = control; }
  // A bar under the hosted control; the control gives up the bar's height while it shows.
  void SetBottomBar(QWidget* bar);
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void LayoutHosted();

  QWidget* m_hosted = nullptr;
  QWidget* m_bar = nullptr;
};
