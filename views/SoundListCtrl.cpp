#include "views/SoundListCtrl.h"

#include <QApplication>
#include <QBitmap>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QStyledItemDelegate>

#include "app/FilterDlg.h"
#include "app/SoundDragData.h"
#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "export/SoundExport.h"
#include "platform/MessageBox.h"
#include "views/SoundListTableModel.h"

namespace {
// Restores the cursor on every way out of a long job.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
// Cells are one line of plain text: drawn with the font's own eliding, without the general
// item layout (icons, check boxes, rich text) that the standard delegate works out per cell.
class CSoundCellDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Normal
                                                                               : QPalette::Inactive;
    const bool selected = option.state & QStyle::State_Selected;
    if (selected) painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
    const int margin = option.widget ? option.widget->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, option.widget) + 1 : 3;
    const QRect r = option.rect.adjusted(margin, 0, -margin, 0);
    const QString text = index.data(Qt::DisplayRole).toString();
    painter->setPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                      option.fontMetrics.elidedText(text, Qt::ElideRight, r.width()));
    if ((option.state & QStyle::State_HasFocus) && option.widget) {
      QStyleOptionFocusRect focus;
      focus.QStyleOption::operator=(option);
      focus.backgroundColor = option.palette.color(group, selected ? QPalette::Highlight : QPalette::Window);
      option.widget->style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, option.widget);
    }
  }
};

}  // namespace

CSoundListCtrl::CSoundListCtrl(QWidget* parent) : QTableView(parent), m_table(new CSoundListTableModel(this)) {
  LoadArrows();
  setModel(m_table);
  setItemDelegate(new CSoundCellDelegate(this));

  // Report view with grid lines, full-row select, movable columns, several rows selectable.
  setShowGrid(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  setTabKeyNavigation(false);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  // The selected rows drag out as files.
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);

  QHeaderView* rows = verticalHeader();
  rows->hide();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 4);
  rows->setMinimumSectionSize(1);

  QHeaderView* header = horizontalHeader();
  header->setSectionsMovable(true);
  header->setSectionsClickable(true);
  header->setSortIndicatorShown(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  connect(header, &QHeaderView::sectionClicked, this, &CSoundListCtrl::OnColumnClick);
  // A mouse click, never a selection change by keyboard.
  connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) { OnClick(index.row()); });

  // The selection stays visible when the list has no focus.
  QPalette pal = palette();
  for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
    pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
  setPalette(pal);
}

CSoundListCtrl::~CSoundListCtrl() = default;

void CSoundListCtrl::LoadArrows() {
  // Bitmap 137: two 9 x 8 images, white transparent.
  QPixmap bitmap(QStringLiteral(":/vantor/sortarrows.bmp"));
  if (bitmap.isNull() || bitmap.width() < 18) {
    MessageBoxA(nullptr, "CImageList::Create failed!", "Quarn Vantor", MB_OK);
    return;
  }
  bitmap.setMask(bitmap.createMaskFromColor(Qt::white));
  for (int i = 0; i < 2; ++i) m_arrows[i] = bitmap.copy(i * 9, 0, 9, bitmap.height());
}

void CSoundListCtrl::SetColumns(const ColumnKind* kinds, int32_t count) {
  if (!kinds || count <= 0) return;
  m_table->BeginReset();
  m_columnKinds.assign(kinds, kinds + count);
  m_table->EndReset();
  for (int32_t i = 0; i < count; ++i)
    if (const SoundListColumn* column = GetColumn(kinds[i])) horizontalHeader()->resizeSection(i, column->width);
}

void CSoundListCtrl::SetRedraw(bool redraw) {
  setUpdatesEnabled(redraw);
  if (redraw) viewport()->update();
}

void CSoundListCtrl::Refresh() {
  WaitCursor wait;
  SetRedraw(false);
  m_table->BeginReset();
  if (m_pModel) {
    m_pModel->Rebuild();
    ::ApplySort(m_sort, m_pModel, m_columnKinds.data(), static_cast<int32_t>(m_columnKinds.size()));
  }
  m_table->EndReset();
  SetRedraw(true);
}

void CSoundListCtrl::ApplySort() {
  WaitCursor wait;
  if (!m_pModel || m_columnKinds.empty()) return;
  ::ApplySort(m_sort, m_pModel, m_columnKinds.data(), static_cast<int32_t>(m_columnKinds.size()));
  m_table->OrderChanged();
}

int CSoundListCtrl::OnGetDispInfo(int64_t row, int32_t column, char* buffer, size_t capacity) const {
  return GetCellText(m_pModel, row, m_columnKinds.data(), static_cast<int32_t>(m_columnKinds.size()), column, buffer,
                     capacity);
}

void CSoundListCtrl::OnColumnClick(int column) {
  const HeaderClickResult click =
      ::OnColumnClick(m_sort, m_columnKinds.data(), static_cast<int32_t>(m_columnKinds.size()), column);
  if (!click.handled) return;
  if (click.oldColumn >= 0) m_table->SetHeaderImage(click.oldColumn, -1);
  if (click.newColumn >= 0) m_table->SetHeaderImage(click.newColumn, click.arrowImage);
  SetRedraw(false);
  ApplySort();
  SetRedraw(true);
}

void CSoundListCtrl::OnClick(int row) {
  if (m_nDisabled & LIST_NO_PLAY) return;
  if (!g_bAutoplay || !m_pModel) return;
  if (const SoundListItem* item = m_pModel->ItemAt(row)) PlayItem(m_pModel, item);
}

QMenu* CSoundListCtrl::CreateContextMenu(QWidget* parent) const {
  auto* menu = new QMenu(parent);
  auto add = [&](const char* text, int id, bool enabled) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setData(id);
    action->setEnabled(enabled);
    return action;
  };
  add("&Play", ID_PLAY, !(m_nDisabled & LIST_NO_PLAY));
  add("&Stop", ID_STOP, true);
  QAction* autoplay = add("&Autoplay", ID_AUTOPLAY, true);
  autoplay->setCheckable(true);
  autoplay->setChecked(g_bAutoplay != 0);
  menu->addSeparator();
  add("&Extract", ID_EXTRACT, !(m_nDisabled & LIST_NO_EXTRACT));
  add("E&xtract Raw", ID_EXTRACT_RAW, !(m_nDisabled & LIST_NO_EXTRACT));
  menu->addSeparator();
  add("&Filter", ID_FILTER, !(m_nDisabled & LIST_NO_FILTER));
  return menu;
}

void CSoundListCtrl::OnRightClick(int row, const QPoint& globalPos) {
  m_pContextItem = m_pModel ? m_pModel->ItemAt(row) : nullptr;
  QMenu* menu = CreateContextMenu(this);
  QAction* chosen = menu->exec(globalPos);
  const int id = chosen ? chosen->data().toInt() : 0;
  delete menu;
  if (id) emit Command(id);
}

void CSoundListCtrl::contextMenuEvent(QContextMenuEvent* event) {
  int row;
  QPoint pos;
  if (event->reason() == QContextMenuEvent::Mouse) {
    row = rowAt(event->pos().y());
    pos = event->globalPos();
  } else {
    // The Menu key or Shift+F10: the current row, at its place in the list.
    const QModelIndex current = currentIndex();
    row = current.isValid() ? current.row() : -1;
    QRect r = current.isValid() ? visualRect(current) : QRect();
    if (!r.isValid() || !viewport()->rect().intersects(r)) r = QRect(viewport()->rect().topLeft(), QSize(1, 1));
    pos = viewport()->mapToGlobal(QPoint(r.left() + 8, r.bottom()));
  }
  event->accept();
  OnRightClick(row, pos);
}

void CSoundListCtrl::keyPressEvent(QKeyEvent* event) {
  // Shift+F10 opens the menu as the Menu key does (the window system turns that one into a
  // context menu event itself).
  if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, QPoint(), QPoint(), event->modifiers());
    contextMenuEvent(&menu);
    return;
  }
  if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
    PlayOrStopCurrent();
    return;
  }
  if (event->matches(QKeySequence::Find)) {
    emit FindRequested();
    return;
  }
  if (event->key() == Qt::Key_F3 && (event->modifiers() & ~Qt::ShiftModifier) == 0) {
    emit FindNextRequested(event->modifiers() & Qt::ShiftModifier ? -1 : 1);
    return;
  }
  QTableView::keyPressEvent(event);
}

void CSoundListCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (event->button() == Qt::LeftButton) emit DoubleClicked(rowAt(event->position().toPoint().y()));
}

void CSoundListCtrl::startDrag(Qt::DropActions) {
  QMimeData* data = CreateDragData();
  if (!data) return;
  auto* drag = new QDrag(this);
  drag->setMimeData(data);
  drag->exec(Qt::CopyAction, Qt::CopyAction);
}

QMimeData* CSoundListCtrl::CreateDragData() const {
  if ((m_nDisabled & LIST_NO_EXTRACT) || !m_pModel) return nullptr;
  std::vector<int64_t> rows = GetSelectedRows();
  return rows.empty() ? nullptr : new CSoundDragData(m_pModel, std::move(rows));
}

void CSoundListCtrl::PlayOrStopCurrent() {
  if ((m_nDisabled & LIST_NO_PLAY) || !m_pModel) return;
  const SoundListItem* item = m_pModel->ItemAt(currentIndex().isValid() ? currentIndex().row() : -1);
  if (!item) return;
  if (IsItemPlaying(item)) g_pAudio->Stop();
  else PlayItem(m_pModel, item);
}

void CSoundListCtrl::PlayContextItem() {
  if ((m_nDisabled & LIST_NO_PLAY) || !m_pContextItem || !m_pModel) return;
  PlayItem(m_pModel, m_pContextItem);
}

void CSoundListCtrl::FilterCommand() {
  if ((m_nDisabled & LIST_NO_FILTER) || !m_pModel) return;
  CFilterDlg dlg(this);
  dlg.m_pModel = m_pModel;
  if (dlg.exec() == QDialog::Accepted) Refresh();
}

std::vector<int64_t> CSoundListCtrl::GetSelectedRows() const {
  std::vector<int64_t> rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r) rows.push_back(r);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}
