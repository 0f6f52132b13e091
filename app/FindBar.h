// The find bar under a sound list (Ctrl+F): a text, previous and next, the match count and a
// close button. It moves the list's current row to matching rows and changes nothing else.
#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

#include "views/SoundListFind.h"

class CSoundListCtrl;
class QLabel;
class QLineEdit;
class QToolButton;

class CFindBar : public QWidget {
  Q_OBJECT
 public:
  CFindBar(CSoundListCtrl* list, QWidget* parent);

  // Shows the bar with its text selected and the focus in it.
  void Open();
  // Hides the bar and gives the list its focus back.
  void Close();
  // Goes to the next matching row after the current one (direction 1) or before it (-1),
  // running on from the other end of the list.
  void FindNext(int direction);

  QLineEdit* m_edit;
  QToolButton* m_previous;
  QToolButton* m_next;
  QLabel* m_count;  // "3 of 12", "12 matches", "No matches"
  QLabel* m_note;   // "Continued from the top" after running past an end
  QToolButton* m_close;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // Enter, Shift+Enter, F3, Shift+F3 and Escape; true when the key was one of them.
  bool HandleKey(QKeyEvent* event);
  void OnTextChanged();
  // The list's rows changed (rebuilt or reordered): the matches are found again when needed.
  void OnRowsChanged(bool rebuilt);
  // Finds the matching rows for the text unless they are known.
  void UpdateMatches();
  // Makes the first match from `from` on (direction 1) or back (-1) the current row.
  void GoTo(int64_t from, int direction);
  void ShowCount();
  int64_t CurrentRow() const;

  CSoundListCtrl* m_list;
  CSoundListFindIndex m_index;
  CFindQuery m_query;
  std::vector<uint32_t> m_rows;  // matching display rows, ascending
  bool m_stale = true;
};
