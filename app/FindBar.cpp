#include "app/FindBar.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "views/SoundListCtrl.h"

namespace {

QToolButton* MakeButton(QWidget* parent, const char* name, const QString& tip) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromUtf8(name));
  button->setToolTip(tip);
  button->setAccessibleName(tip);
  button->setAutoRaise(true);
  button->setFocusPolicy(Qt::TabFocus);
  return button;
}

}  // namespace

CFindBar::CFindBar(CSoundListCtrl* list, QWidget* parent) : QWidget(parent), m_list(list) {
  setObjectName(QStringLiteral("findBar"));
  m_edit = new QLineEdit(this);
  m_edit->setObjectName(QStringLiteral("findText"));
  m_edit->setAccessibleName(QStringLiteral("Find"));
  m_edit->setPlaceholderText(QStringLiteral("Find in every column"));
  m_edit->setClearButtonEnabled(true);
  m_edit->installEventFilter(this);

  m_previous = MakeButton(this, "findPrevious", QStringLiteral("Previous match (Shift+F3)"));
  m_previous->setArrowType(Qt::UpArrow);
  m_next = MakeButton(this, "findNext", QStringLiteral("Next match (F3)"));
  m_next->setArrowType(Qt::DownArrow);
  m_count = new QLabel(this);
  m_count->setObjectName(QStringLiteral("findCount"));
  // Room for the longest count, so that the bar does not shift as the count changes.
  m_count->setMinimumWidth(m_count->fontMetrics().horizontalAdvance(QStringLiteral("888888 of 888888")));
  m_note = new QLabel(this);
  m_note->setObjectName(QStringLiteral("findNote"));
  m_close = MakeButton(this, "findClose", QStringLiteral("Close (Escape)"));
  m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));

  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(2, 2, 2, 2);
  row->setSpacing(4);
  row->addWidget(m_edit, 3);
  row->addWidget(m_previous);
  row->addWidget(m_next);
  row->addWidget(m_count);
  row->addWidget(m_note, 2);
  row->addWidget(m_close);

  connect(m_edit, &QLineEdit::textChanged, this, &CFindBar::OnTextChanged);
  connect(m_previous, &QToolButton::clicked, this, [this] { FindNext(-1); });
  connect(m_next, &QToolButton::clicked, this, [this] { FindNext(1); });
  connect(m_close, &QToolButton::clicked, this, &CFindBar::Close);
  QAbstractItemModel* rows = m_list->model();
  connect(rows, &QAbstractItemModel::modelReset, this, [this] { OnRowsChanged(true); });
  connect(rows, &QAbstractItemModel::layoutChanged, this, [this] { OnRowsChanged(false); });
  hide();
}

void CFindBar::Open() {
  show();
  m_edit->setFocus(Qt::ShortcutFocusReason);
  m_edit->selectAll();
  if (m_stale) {
    UpdateMatches();
    ShowCount();
  }
}

void CFindBar::Close() {
  hide();
  m_list->setFocus(Qt::OtherFocusReason);
}

int64_t CFindBar::CurrentRow() const {
  const QModelIndex current = m_list->currentIndex();
  return current.isValid() ? current.row() : -1;
}

void CFindBar::OnTextChanged() {
  m_query = CFindQuery(m_edit->text().toStdString());
  m_stale = true;
  m_note->clear();
  UpdateMatches();
  // As the text grows, the current row stays while it still matches.
  const int64_t current = CurrentRow();
  if (!m_query.IsEmpty()) GoTo(current >= 0 ? current : 0, 1);
  ShowCount();
}

void CFindBar::FindNext(int direction) {
  UpdateMatches();
  const int64_t current = CurrentRow();
  const int64_t from = current >= 0 ? current + direction : (direction > 0 ? 0 : INT64_MAX);
  GoTo(from, direction);
  ShowCount();
}

void CFindBar::OnRowsChanged(bool rebuilt) {
  if (rebuilt) m_index.Clear();
  m_stale = true;
  if (isHidden() || m_query.IsEmpty()) return;
  UpdateMatches();
  ShowCount();
}

void CFindBar::UpdateMatches() {
  if (!m_stale) return;
  m_rows.clear();
  if (const CSoundListModel* model = m_list->GetModel()) m_index.FindRows(*model, m_query, m_rows);
  m_stale = false;
}

void CFindBar::GoTo(int64_t from, int direction) {
  bool wrapped = false;
  const int64_t row = FindFrom(m_rows, from, direction, wrapped);
  m_note->setText(!wrapped ? QString() : direction > 0 ? QStringLiteral("Continued from the top")
                                                       : QStringLiteral("Continued from the bottom"));
  if (row < 0) return;
  // The current column stays, so the list does not scroll sideways.
  const QModelIndex current = m_list->currentIndex();
  const int column = current.isValid() ? current.column() : m_list->horizontalHeader()->logicalIndex(0);
  const QModelIndex index = m_list->model()->index(static_cast<int>(row), std::max(column, 0));
  m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  m_list->scrollTo(index);
}

void CFindBar::ShowCount() {
  QString text;
  if (!m_query.IsEmpty()) {
    const int64_t current = CurrentRow();
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), static_cast<uint32_t>(std::max<int64_t>(current, 0)));
    if (m_rows.empty())
      text = QStringLiteral("No matches");
    else if (current >= 0 && at != m_rows.end() && *at == current)
      text = QStringLiteral("%1 of %2").arg(at - m_rows.begin() + 1).arg(m_rows.size());
    else
      text = m_rows.size() == 1 ? QStringLiteral("1 match") : QStringLiteral("%1 matches").arg(m_rows.size());
  }
  m_count->setText(text);
  // A text that nothing holds shows in red.
  QPalette pal = m_edit->palette();
  pal.setColor(QPalette::Text, !m_query.IsEmpty() && m_rows.empty() ? QColor(0xC0, 0, 0) : palette().color(QPalette::Text));
  m_edit->setPalette(pal);
}

bool CFindBar::HandleKey(QKeyEvent* event) {
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F3:
      FindNext(shift ? -1 : 1);
      return true;
    case Qt::Key_Escape:
      Close();
      return true;
    default:
      return false;
  }
}

bool CFindBar::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_edit && event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) return true;
  return QWidget::eventFilter(watched, event);
}

void CFindBar::keyPressEvent(QKeyEvent* event) {
  if (HandleKey(event))
    event->accept();
  else
    QWidget::keyPressEvent(event);
}
