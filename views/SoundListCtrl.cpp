#include "views/SoundListCtrl.h"

#include <QApplication>
#include <QBitmap>
#include <QHeaderView>

#include "platform/MessageBox.h"
#include "views/SoundListTableModel.h"

namespace {
// Restores the cursor on every way out of a long job.
struct WaitCursor {
  WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};
}  // namespace

CSoundListCtrl::CSoundListCtrl(QWidget* parent) : QTableView(parent), m_table(new CSoundListTableModel(this)) {
  LoadArrows();
  setModel(m_table);

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
