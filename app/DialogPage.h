// A child dialog on a tab or in the Meta Sound dialog: it hosts one control that fills it,
// and Enter and Escape inside it do nothing.
#pragma once

#include <QWidget>

class CDialogPage : public QWidget {
  Q_OBJECT
 public:
  explicit CDialogPage(QWidget* parent = nullptr);

 protected:
  // The control the page fits to its whole client area.
  void SetHostedControl(QWidget* control) { m_hosted = control; }
  void resizeEvent(QResizeEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QWidget* m_hosted = nullptr;
};
