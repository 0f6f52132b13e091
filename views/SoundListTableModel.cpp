#include "views/SoundListTableModel.h"

#include "views/QtText.h"
#include "views/SoundListCtrl.h"

CSoundListTableModel::CSoundListTableModel(CSoundListCtrl* ctrl) : QAbstractTableModel(ctrl), m_ctrl(ctrl) {}

int CSoundListTableModel::rowCount(const QModelIndex& parent) const {
  const CSoundListModel* model = m_ctrl->GetModel();
  if (parent.isValid() || !model) return 0;
  return static_cast<int>(std::min<uint32_t>(model->nCount, INT32_MAX));
}

int CSoundListTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(m_ctrl->GetColumnKinds().size());
}

QVariant CSoundListTableModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole && role != Qt::AccessibleTextRole) return {};
  char text[kCellTextSize];
  if (m_ctrl->OnGetDispInfo(index.row(), index.column(), text, sizeof text) != CELL_OK) return {};
  if (role == Qt::ToolTipRole && text[0] == 0) return {};
  return FromCp1252(text);
}

QVariant CSoundListTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  const auto& kinds = m_ctrl->GetColumnKinds();
  if (section < 0 || section >= static_cast<int>(kinds.size())) return {};
  switch (role) {
    case Qt::DisplayRole:
      if (const SoundListColumn* column = GetColumn(kinds[section])) return QString::fromUtf8(column->heading);
      return {};
    case Qt::DecorationRole:
      if (section < m_headerImages.size() && m_headerImages[section] >= 0) {
        const QPixmap& arrow = m_ctrl->GetArrow(m_headerImages[section]);
        if (!arrow.isNull()) return arrow;
      }
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

void CSoundListTableModel::OrderChanged() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CSoundListTableModel::SetHeaderImage(int column, int image) {
  if (column < 0) return;
  if (m_headerImages.size() <= column) m_headerImages.resize(column + 1, -1);
  m_headerImages[column] = image;
  emit headerDataChanged(Qt::Horizontal, column, column);
}
