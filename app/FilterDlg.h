// The Filter dialog of a sound list's model.
#pragma once

#include <QDialog>

class CSoundListModel;

class CFilterDlg : public QDialog {
  Q_OBJECT
 public:
  static constexpr int IDD = 133;
  explicit CFilterDlg(QWidget* parent = nullptr);

  CSoundListModel* m_pModel = nullptr;  // set by the caller before exec
};
