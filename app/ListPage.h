// A page that hosts one sound list and routes the commands of its context menu.
#pragma once

#include "app/DialogPage.h"

class CFindBar;
class CSoundListCtrl;

class CListPage : public CDialogPage {
  Q_OBJECT
 public:
  // The commands a page hands on; the others it ignores.
  enum : uint32_t { ROUTE_EXTRACT = 1, ROUTE_PLAY = 2, ROUTE_STOP = 4, ROUTE_AUTOPLAY = 8, ROUTE_FILTER = 16, ROUTE_ALL = 31 };

  CListPage(QWidget* parent, uint32_t routes);

  // The page command dispatch of the context menu's ids 32757 to 32762.
  void OnCommand(int id);
  // Shows the find bar under the list (made at the first call) with the focus in it.
  void OpenFindBar();
  // The find bar; null until it was first opened.
  CFindBar* GetFindBar() const { return m_findBar; }

  CSoundListCtrl* m_list = nullptr;

 protected:
  // Creates the list (template size cx x cy, list at 0, 0, lx x ly) filling the page.
  void CreateList(int cx, int cy, int lx, int ly, const char* name);
  // A double-click on the list; row -1 below the last row.
  virtual void OnDoubleClick(int row) {}

 private:
  uint32_t m_routes;
  CFindBar* m_findBar = nullptr;
};
