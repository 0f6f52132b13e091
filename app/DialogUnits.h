// Dialog units to pixels, as Windows derives them from a dialog's font: horizontal units are a
// quarter of the font's average character width, vertical units an eighth of its height.
#pragma once

#include <QFont>
#include <QRect>

// The dialog font: the desktop's default sans-serif font at 8 pt.
QFont DialogFont();

class CDialogUnits {
 public:
  explicit CDialogUnits(const QFont& font = DialogFont());
  int X(int units) const;
  int Y(int units) const;
  QRect Rect(int x, int y, int cx, int cy) const;
  QSize Size(int cx, int cy) const { return {X(cx), Y(cy)}; }

  int m_nBaseX;  // average character width in pixels
  int m_nBaseY;  // character height in pixels
};
