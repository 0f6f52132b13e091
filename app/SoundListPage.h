// The "Sounds" page: every sound file of the catalogue in one list.
#pragma once

#include "app/ListPage.h"

class CSoundCatalogue;

class CSoundListPage : public CListPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 131;
  enum { IDC_LIST = 1002 };

  explicit CSoundListPage(QWidget* parent = nullptr);
  void Create(CSoundCatalogue* catalogue);

 protected:
  bool OnInitDialog(CSoundCatalogue* catalogue);
  // Opens the Meta Sound dialog on the row (none below the last row).
  void OnDoubleClick(int row) override;
};
