// The "Tags" page: the catalogue's tags and their sub-tags as a tree.
#pragma once

#include "app/DialogPage.h"

class QTreeWidget;
class CSoundCatalogue;

class CTagTreePage : public CDialogPage {
  Q_OBJECT
 public:
  static constexpr int IDD = 129;
  enum { IDC_TREE = 1001 };

  explicit CTagTreePage(QWidget* parent = nullptr);
  void Create(CSoundCatalogue* catalogue);

  QTreeWidget* m_tree = nullptr;

 protected:
  bool OnInitDialog(CSoundCatalogue* catalogue);
};
