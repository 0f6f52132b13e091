#include "app/DialogUnits.h"

#include <QFontDatabase>
#include <QFontMetrics>

QFont DialogFont() {
  QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
  font.setStyleHint(QFont::SansSerif);
  font.setPointSize(8);
  return font;
}

namespace {
// MulDiv: a * b / c rounded to the nearest integer.
int MulDiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b * 2 + c) / (2 * c)); }
}  // namespace

CDialogUnits::CDialogUnits(const QFont& font) {
  QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  m_nBaseX = (width / 26 + 1) / 2;
  m_nBaseY = metrics.height();
  if (m_nBaseX < 1) m_nBaseX = 1;
  if (m_nBaseY < 1) m_nBaseY = 1;
}

int CDialogUnits::X(int units) const { return MulDiv(units, m_nBaseX, 4); }
int CDialogUnits::Y(int units) const { return MulDiv(units, m_nBaseY, 8); }

QRect CDialogUnits::Rect(int x, int y, int cx, int cy) const { return QRect(X(x), Y(y), X(cx), Y(cy)); }
