// The "Sounds" page: every sound file of the catalogue in one list.
#pragma once

#include "app/DialogPage.h"

class CSoundListCtrl;
class CSoundCatalogue;

class CSoundListPage : public CDialogPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 131;
  enum { IDC_LIST = 1002 };

  explicit CSoundListPage(QWidget* parent = nullptr);
  void Create(CSoundCatalogue* catalogue);

  CSoundListCtrl* m_list = nullptr;

 protected:
  bool OnInitDialog(CSoundCatalogue* catalogue);
};
