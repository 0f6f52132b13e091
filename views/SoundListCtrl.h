// The list control of every sound list: a virtual report view over a CSoundListModel.
#pragma once

#include <QPixmap>
#include <QTableView>
#include <vector>

#include "views/ListCommands.h"
#include "views/SoundListColumns.h"
#include "views/SoundListModel.h"
#include "views/SoundListSort.h"

class CSoundListTableModel;
class QMenu;
class QMimeData;

class CSoundListCtrl : public QTableView {
  Q_OBJECT
 public:
  explicit CSoundListCtrl(QWidget* parent = nullptr);
  ~CSoundListCtrl() override;

  void SetModel(CSoundListModel* model) { m_pModel = model; }
  void SetColumns(const ColumnKind* kinds, int32_t count);
  // Rebuilds the model's rows and sorts them by the current sort state.
  void Refresh();
  // Sorts by the current sort state.
  void ApplySort();
  // The text of one cell: CELL_NO_MODEL, CELL_NO_ROW or CELL_OK.
  int OnGetDispInfo(int64_t row, int32_t column, char* buffer, size_t capacity) const;
  // A click on the heading of a column.
  void OnColumnClick(int column);
  // A left click on a row (-1: empty space): plays it when autoplay is on.
  void OnClick(int row);
  // A right click on a row (-1: empty space): remembers the row and opens the context menu at
  // `globalPos`; the chosen command goes to the page through Command.
  void OnRightClick(int row, const QPoint& globalPos);
  // Plays the row of the last right click.
  void PlayContextItem();
  // Runs the Filter dialog on the model and refreshes the list after OK.
  void FilterCommand();
  // The selected rows in list order.
  std::vector<int64_t> GetSelectedRows() const;
  // Space: plays the current row, or stops it while it plays.
  void PlayOrStopCurrent();
  // The data of a drag of the selected rows: one file per sound; null with no row.
  QMimeData* CreateDragData() const;

  CSoundListModel* GetModel() const { return m_pModel; }
  const std::vector<ColumnKind>& GetColumnKinds() const { return m_columnKinds; }
  const SoundListSortState& GetSortState() const { return m_sort; }
  // The two header arrows of bitmap 137 (image 0 down, 1 up); null pixmaps without it.
  const QPixmap& GetArrow(int image) const { return m_arrows[image & 1]; }

  // Menu 134: "&Play", "&Stop", "&Autoplay", "&Extract", "E&xtract Raw", "&Filter", each
  // action carrying its command id as data; checked and greyed as the list's state says.
  QMenu* CreateContextMenu(QWidget* parent) const;

 signals:
  // A command of the context menu, for the hosting page.
  void Command(int id);
  // A double-click on a row (-1: below the last row or on empty space).
  void DoubleClicked(int row);
  // Ctrl+F: the page opens its find bar.
  void FindRequested();
  // F3 (direction 1) or Shift+F3 (-1): the page goes to the next or previous match.
  void FindNextRequested(int direction);

 public:
  CSoundListModel* m_pModel = nullptr;
  bool m_bVirtual = true;
  SoundListSortState m_sort;
  std::vector<ColumnKind> m_columnKinds;
  SoundListItem* m_pContextItem = nullptr;
  uint32_t m_nDisabled = 0;

 protected:
  // Turns painting off while rows change, as the list's set-redraw message does.
  void SetRedraw(bool redraw);
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void startDrag(Qt::DropActions supportedActions) override;

 private:
  void LoadArrows();

  CSoundListTableModel* m_table;
  QPixmap m_arrows[2];
};
