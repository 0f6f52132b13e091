// The list control's view of a CSoundListModel: rows and cells on demand, no items of its own.
#pragma once

#include <QAbstractTableModel>
#include <QPixmap>

class CSoundListCtrl;

class CSoundListTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit CSoundListTableModel(CSoundListCtrl* ctrl);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  // Rows can be dragged out (as files); nothing is dropped in.
  Qt::ItemFlags flags(const QModelIndex& index) const override {
    return QAbstractTableModel::flags(index) | (index.isValid() ? Qt::ItemIsDragEnabled : Qt::NoItemFlags);
  }

  // The row count and columns follow the control; call around changes to them.
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }
  // The rows were reordered: every cell shows new text, the selection stays at its rows.
  void OrderChanged();
  // Shows image `image` of the arrows (-1: none) before the heading of `column`.
  void SetHeaderImage(int column, int image);

 private:
  CSoundListCtrl* m_ctrl;
  QList<int> m_headerImages;
};
