// The About box.
#pragma once

#include <QDialog>

class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 100;
  explicit CAboutDlg(QWidget* parent = nullptr);
};
