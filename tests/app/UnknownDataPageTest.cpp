// The hex data view: the painted picture (each colour in its place, the texts where they
// belong), the mouse selection, and the interpretation texts.
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <array>

#include "app/UnknownDataPage.h"
#include "tests/app/GuiTestSupport.h"
#include "views/HexDataView.h"

namespace {

const QColor kBlue(0, 0, 255), kGreen(0, 255, 0), kRed(255, 0, 0), kWhite(255, 255, 255);

// The view's unit sizes: cw the width of "0", h the line height.
struct Units {
  const QFontMetrics fm{CUnknownDataPage::HexFont()};
  const int cw = fm.horizontalAdvance(QLatin1Char('0')), h = fm.height() - 4;
  // The middle of a byte's two digits.
  QPoint ByteCentre(int i) const { return {7 * cw + 14 + (i % 16) * 3 * cw + cw, 22 + (i / 16) * h + h / 2}; }
};

QImage Paint(CUnknownDataPage& page) { return page.grab().toImage(); }

// The pixels of colour c in r (the whole picture when r is empty).
int Count(const QImage& img, QColor c, QRect r = {}) {
  if (r.isNull()) r = img.rect();
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y) == c;
  return n;
}

// Colour c shows in each of the rectangles (corners l, t and r, b included) and nowhere else.
void ExpectOnlyIn(const QImage& img, QColor c, std::initializer_list<QRect> rects) {
  int inside = 0;
  for (const QRect& r : rects) {
    const int n = Count(img, c, r);
    EXPECT_GT(n, 0) << r.x() << "," << r.y() << " " << r.width() << "x" << r.height();
    inside += n;
  }
  EXPECT_EQ(Count(img, c), inside);
}
QRect Corners(int l, int t, int r, int b) { return QRect(QPoint(l, t), QPoint(r, b)); }

// True when `lines`, drawn top-left from (x, y) a line height apart in the view's font on
// `background`, match the picture in the upper part of the last line (above where a
// following line's cell begins).
bool TextAt(const QImage& img, const Units& u, int x, int y, const QStringList& lines, QColor background) {
  QImage ref(img.size(), img.format());
  ref.fill(background);
  QPainter p(&ref);
  p.setFont(CUnknownDataPage::HexFont());
  for (int i = 0; i < lines.size(); ++i) p.drawText(x, y + i * u.h + p.fontMetrics().ascent(), lines[i]);
  p.end();
  const QRect r(x, y + (lines.size() - 1) * u.h + 1, lines.back().size() * u.cw, u.h - 1);
  return img.copy(r) == ref.copy(r);
}

QStringList ToQt(const auto& lines) {
  QStringList out;
  for (const std::string& line : lines) out << QString::fromStdString(line);
  return out;
}

// A page 640 x 420 and 45 bytes of data for it.
class UnknownDataPage : public ::testing::Test {
 protected:
  UnknownDataPage() {
    for (int i = 0; i < 45; ++i) data[i] = static_cast<uint8_t>(i * 37 + 11);
    page.Create();
    page.resize(640, 420);
  }
  const Units u;
  std::array<uint8_t, 45> data{};
  CUnknownDataPage page;
};

}  // namespace

TEST_F(UnknownDataPage, PaintsFrameFieldsAndSelectionBoxes) {
  const QFontInfo info(CUnknownDataPage::HexFont());
  EXPECT_TRUE(info.family() == "Liberation Mono" || info.family() == "Courier New") << info.family().toStdString();
  const int cw = u.cw, h = u.h, tickY = 4 * h + 25;
  EXPECT_EQ(Count(Paint(page), kWhite), 0);  // no record: nothing drawn

  page.SetData(data.data());
  QImage img = Paint(page);
  EXPECT_EQ(img.pixelColor(9, 19), kWhite);  // inside the frame
  // Fields at bytes 1..4 (green) and 5..8 (red): the box on line 1 and the tick above it.
  ExpectOnlyIn(img, kGreen, {Corners(10 * cw + 13, 14, 21 * cw + 14, h + 23)});
  ExpectOnlyIn(img, kRed, {Corners(22 * cw + 13, 14, 33 * cw + 14, h + 23)});
  EXPECT_EQ(Count(img, kBlue), 0);
  EXPECT_TRUE(TextAt(img, u, 14, 21, ToQt(HexDataView::FormatLines(data.data())), kWhite));

  // The selection's box around its four bytes, and the tick under the dump by its texts.
  const QRect tick = Corners(10 * cw - 2, tickY, 10 * cw + 30, tickY);
  page.m_nSelectedByte = 0;
  img = Paint(page);
  ExpectOnlyIn(img, kBlue, {Corners(7 * cw + 13, 22, 18 * cw + 14, h + 23), tick});
  EXPECT_TRUE(TextAt(img, u, 6 * cw + 14, tickY, ToQt(HexDataView::FormatSelection(data.data(), 0)),
                     img.pixelColor(1, img.height() - 1)));
  // Byte 13: bytes 13..15 at the end of line 1, byte 16 at the start of line 2.
  page.m_nSelectedByte = 13;
  ExpectOnlyIn(Paint(page), kBlue, {Corners(46 * cw + 13, 22, 54 * cw + 12, h + 23),
                                    Corners(7 * cw + 13, h + 22, 9 * cw + 14, 2 * h + 23), tick});
  // Byte 41: all four bytes (41..44) on line 3.
  page.m_nSelectedByte = 41;
  img = Paint(page);
  ExpectOnlyIn(img, kBlue, {Corners(34 * cw + 13, 22 + 2 * h, 45 * cw + 14, 3 * h + 23), tick});
  EXPECT_TRUE(TextAt(img, u, 6 * cw + 14, tickY, {QStringLiteral("@ 0x0029")}, img.pixelColor(1, img.height() - 1)));
}

TEST_F(UnknownDataPage, LeftButtonSelectsAtTheNextPaint) {
  page.SetData(data.data());
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));

  QTest::mouseClick(&page, Qt::LeftButton, {}, u.ByteCentre(41));
  Paint(page);
  EXPECT_EQ(page.m_nSelectedByte, 41);

  // A drag selects where the button is now; the right button does nothing.
  QTest::mousePress(&page, Qt::LeftButton, {}, u.ByteCentre(0));
  QTest::mouseMove(&page, u.ByteCentre(21));
  Paint(page);
  EXPECT_EQ(page.m_nSelectedByte, 21);
  QTest::mouseRelease(&page, Qt::LeftButton, {}, u.ByteCentre(21));
  QTest::mouseClick(&page, Qt::RightButton, {}, u.ByteCentre(3));
  Paint(page);
  EXPECT_EQ(page.m_nSelectedByte, 21);

  // Byte 42 (and the rest of line 3, and outside the dump) clears the selection and its box.
  for (const QPoint& pt : {u.ByteCentre(42), u.ByteCentre(46), QPoint(5, 5)}) {
    page.m_nSelectedByte = 7;
    QTest::mouseClick(&page, Qt::LeftButton, {}, pt);
    const QImage img = Paint(page);
    EXPECT_EQ(page.m_nSelectedByte, -1);
    EXPECT_EQ(Count(img, kBlue), 0);
  }
}

TEST(HexDataView, InterpretationAndDumpTexts) {
  std::array<uint8_t, 45> data{};
  data[20] = 0x00, data[21] = 0x00, data[22] = 0x80, data[23] = 0x3F;
  const std::array<std::string, 7> one = {"@ 0x0014",  "BYTE  = 0x00",       "WORD  = 0x0000", "DWORD = 0x3F800000",
                                          "int16 = 0", "int32 = 1065353216", "float = 1.000"};
  EXPECT_EQ(HexDataView::FormatSelection(data.data(), 20), one);

  for (int i = 41; i < 45; ++i) data[i] = 0xFF;
  auto ff = HexDataView::FormatSelection(data.data(), 41);
  ff[6].clear();  // a NaN, whose spelling is the C library's
  EXPECT_EQ(ff, (std::array<std::string, 7>{"@ 0x0029", "BYTE  = 0xFF", "WORD  = 0xFFFF", "DWORD = 0xFFFFFFFF",
                                            "int16 = -1", "int32 = -1", ""}));
}
