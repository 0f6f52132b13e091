#include "app/UnknownDataPage.h"

#include <QMouseEvent>
#include <QPainter>
#include <cstdlib>

#include "app/DialogUnits.h"
#include "views/HexDataView.h"

namespace {

// A line colour and style: solid, or dotted (three pixels on, three off, from the start).
struct HexPen {
  QColor colour;
  bool dotted = false;
};

// Drawing with the conventions of the coordinates below: a rectangle (l, t)-(r, b) covers the
// pixels l..r-1 and t..b-1, and a line covers its start point but not its end point.
class HexPainter {
 public:
  explicit HexPainter(QPainter& p) : m_p(p) {}

  void SelectPen(const HexPen& pen) {
    m_pen = pen;
    m_p.setPen(QPen(pen.colour, 0));
  }
  void Rectangle(int l, int t, int r, int b) { m_p.drawRect(l, t, r - l - 1, b - t - 1); }
  // Bresenham's line, pixel by pixel, so that the end point and the dot phase come out alike
  // whichever way the line runs.
  void Line(int x0, int y0, int x1, int y1) {
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    for (int i = 0; x0 != x1 || y0 != y1; ++i) {
      if (!m_pen.dotted || i % 6 < 3) m_p.fillRect(x0, y0, 1, 1, m_pen.colour);
      const int e2 = 2 * err;
      if (e2 >= dy) err += dy, x0 += sx;
      if (e2 <= dx) err += dx, y0 += sy;
    }
  }
  // Through every point; the last one is left out.
  void Polyline(std::initializer_list<QPoint> points) {
    const QPoint* prev = nullptr;
    for (const QPoint& pt : points) {
      if (prev) Line(prev->x(), prev->y(), pt.x(), pt.y());
      prev = &pt;
    }
  }
  // The reference point is the text's top left corner.
  void TextTopLeft(int x, int y, const QString& text) { m_p.drawText(x, y + m_p.fontMetrics().ascent(), text); }
  // The reference point is the middle of the text's bottom edge.
  void TextBottomCentre(int x, int y, const QString& text) {
    const QFontMetrics fm = m_p.fontMetrics();
    m_p.drawText(x - fm.horizontalAdvance(text) / 2, y - fm.descent(), text);
  }

 private:
  QPainter& m_p;
  HexPen m_pen;
};

}  // namespace

CUnknownDataPage::CUnknownDataPage(QWidget* parent) : CDialogPage(parent) {}

void CUnknownDataPage::Create() {
  const CDialogUnits du(font());
  resize(du.Size(298, 198));
  hide();
}

void CUnknownDataPage::SetData(const uint8_t* pData) {
  m_pData = pData;
  update();
}

QFont CUnknownDataPage::HexFont() {
  // Where Courier New is missing (Wine without Microsoft's fonts), another fixed-pitch face keeps
  // the boxes over their bytes.
  QFont font;
  font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono")});
  font.setStyleHint(QFont::TypeWriter);
  font.setPointSize(10);
  return font;
}

void CUnknownDataPage::paintEvent(QPaintEvent*) {
  if (!m_pData) return;
  QPainter p(this);
  HexPainter gdi(p);
  const HexPen black{Qt::black};
  const HexPen red{QColor(255, 0, 0)};
  const HexPen green{QColor(0, 255, 0)};
  const HexPen blue{QColor(0, 0, 255)};
  const HexPen grey{QColor(160, 160, 160), true};
  p.setFont(HexFont());
  gdi.SelectPen(black);
  p.setBrush(Qt::white);
  p.setBackgroundMode(Qt::TransparentMode);

  const QFontMetrics fm = p.fontMetrics();
  const int cw = fm.horizontalAdvance(QLatin1Char('0'));
  const int ch = fm.height();
  const int h = ch - 4;

  gdi.Rectangle(8, 18, 55 * cw + 14, 3 * h + 28);
  p.setBrush(Qt::NoBrush);

  // The two marked fields: bytes 1 to 4 in green, bytes 5 to 8 in red, each with a tick above
  // its middle carrying its value.
  auto field = [&](const HexPen& pen, int at, int shift) {
    const int left = 10 * cw + 13 + shift, right = 21 * cw + 15 + shift;
    gdi.SelectPen(pen);
    gdi.Rectangle(left, 22, right, h + 24);
    const int x = (left + right) / 2;
    gdi.SelectPen(grey);
    gdi.Line(x, 22, x, 14);
    gdi.SelectPen(pen);
    gdi.Line(x - 16, 14, x + 16, 14);
    gdi.SelectPen(black);
    gdi.TextBottomCentre(x, 16, QString::number(HexDataView::ReadInt32(m_pData, at)));
  };
  field(green, 1, 0);
  field(red, 5, 12 * cw);

  if (m_bHitTestPending) {
    m_nSelectedByte = HexDataView::HitTest(cw, h, m_hitPoint.x(), m_hitPoint.y());
    m_bHitTestPending = 0;
  }

  const int s = m_nSelectedByte;
  if (s >= 0 && s < HexDataView::kSelectableBytes) {
    const int row = s / 16, col = s % 16;
    const int top = 22 + row * h, bottom = top + h + 2;
    const int left = (3 * col + 7) * cw + 13, right = left + 11 * cw + 2;
    QPoint anchor;
    gdi.SelectPen(blue);
    if (col <= 12) {
      gdi.Rectangle(left, top, right, bottom);
      anchor = QPoint((left + right) / 2, bottom);
    } else {
      // The four bytes run on into the next line: a box open to the right around the end of
      // this line, and one open to the left around the start of the next.
      const int b = bottom - 1, e = left + (47 - 3 * col) * cw - 1;
      gdi.Polyline({{e, top}, {left, top}, {left, b}, {e, b}});
      const int l2 = 7 * cw + 13, r2 = l2 + (3 * col - 37) * cw + 1, t2 = top + h, b2 = b + h;
      gdi.Polyline({{l2, t2}, {r2, t2}, {r2, b2}, {l2, b2}});
      anchor = QPoint(l2, b2);
    }
    gdi.SelectPen(grey);
    gdi.Line(anchor.x(), anchor.y(), 10 * cw + 14, 4 * h + 25);
    gdi.SelectPen(blue);
    gdi.Line(10 * cw - 2, 4 * h + 25, 10 * cw + 30, 4 * h + 25);

    gdi.SelectPen(black);
    int y = 4 * h + 25;
    for (const std::string& line : HexDataView::FormatSelection(m_pData, s)) {
      gdi.TextTopLeft(6 * cw + 14, y, QString::fromStdString(line));
      y += h;
    }
  }

  gdi.SelectPen(black);
  int y = 21;
  for (const std::string& line : HexDataView::FormatLines(m_pData)) {
    gdi.TextTopLeft(14, y, QString::fromStdString(line));
    y += h;
  }
}

void CUnknownDataPage::RequestHitTest(const QPoint& pos) {
  m_hitPoint = pos;
  m_bHitTestPending = 1;
  update();
}

void CUnknownDataPage::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) RequestHitTest(event->position().toPoint());
  CDialogPage::mousePressEvent(event);
}

void CUnknownDataPage::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) RequestHitTest(event->position().toPoint());
  CDialogPage::mouseMoveEvent(event);
}
