// The list control of every sound list: a virtual report view over a CSoundListModel.
#pragma once

#include <QPixmap>
#include <QTableView>
#include <vector>

#include "views/SoundListColumns.h"
#include "views/SoundListModel.h"
#include "views/SoundListSort.h"

class CSoundListTableModel;

// Commands a list does not offer (nDisabled).
enum : uint32_t { LIST_NO_EXTRACT = 1, LIST_NO_PLAY = 2, LIST_NO_FILTER = 4 };

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

  CSoundListModel* GetModel() const { return m_pModel; }
  const std::vector<ColumnKind>& GetColumnKinds() const { return m_columnKinds; }
  const SoundListSortState& GetSortState() const { return m_sort; }
  // The two header arrows of bitmap 137 (image 0 down, 1 up); null pixmaps without it.
  const QPixmap& GetArrow(int image) const { return m_arrows[image & 1]; }

  CSoundListModel* m_pModel = nullptr;
  bool m_bVirtual = true;
  SoundListSortState m_sort;
  std::vector<ColumnKind> m_columnKinds;
  SoundListItem* m_pContextItem = nullptr;
  uint32_t m_nDisabled = 0;

 protected:
  // Turns painting off while rows change, as the list's set-redraw message does.
  void SetRedraw(bool redraw);

 private:
  void LoadArrows();

  CSoundListTableModel* m_table;
  QPixmap m_arrows[2];
};
