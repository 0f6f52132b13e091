// The hex data view: the painted picture, checked at coordinates worked out from the measured
// font, the mouse selection, and the interpretation and dump texts.
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

struct Probe {
  const QImage& img;
  QColor At(int x, int y) const { return img.pixelColor(x, y); }
  int Count(QColor c) const {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
      for (int x = 0; x < img.width(); ++x) n += img.pixelColor(x, y) == c;
    return n;
  }
  // A pure colour (each channel 0 or 255) as it shows where antialiased text was drawn over
  // it: its full channels stay bright, its empty ones dark. Other colours match exactly.
  static bool Tinted(QColor c, QColor px) {
    for (int v : {c.red(), c.green(), c.blue()})
      if (v != 0 && v != 255) return c == px;
    for (auto [want, got] : {std::pair{c.red(), px.red()}, {c.green(), px.green()}, {c.blue(), px.blue()}})
      if (want == 255 ? got < 100 : got > 60) return false;
    return true;
  }
  // The share of pixels of a colour on a horizontal or vertical segment, both ends included.
  // The dump's glyphs are drawn after the boxes and may cover a few pixels of an edge.
  double Share(QColor c, int x0, int y0, int x1, int y1) const {
    const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
    int hits = 0;
    for (int i = 0; i < n; ++i)
      hits += Tinted(c, At(x0 + (x1 > x0 ? i : x1 < x0 ? -i : 0), y0 + (y1 > y0 ? i : y1 < y0 ? -i : 0)));
    return static_cast<double>(hits) / n;
  }
  // A line in colour c: mostly that colour (at least 60 %).
  bool Edge(QColor c, int x0, int y0, int x1, int y1) const { return Share(c, x0, y0, x1, y1) >= 0.6; }
  bool None(QColor c, int x0, int y0, int x1, int y1) const { return Share(c, x0, y0, x1, y1) == 0; }
  // The outline of a rectangle covering the pixels l..r-1 and t..b-1, and nothing just outside.
  void ExpectBox(QColor c, int l, int t, int r, int b) const {
    EXPECT_TRUE(Edge(c, l, t, r - 1, t) && Edge(c, l, b - 1, r - 1, b - 1)) << "top, bottom";
    EXPECT_TRUE(Edge(c, l, t, l, b - 1) && Edge(c, r - 1, t, r - 1, b - 1)) << "left, right";
    EXPECT_TRUE(None(c, l - 1, t, l - 1, b - 1) && None(c, r, t, r, b - 1)) << "left or right of it";
    EXPECT_TRUE(None(c, l, t - 1, r - 1, t - 1) && None(c, l, b, r - 1, b)) << "above or below";
  }
};

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
  const int cw = u.cw, h = u.h;

  // No record: nothing drawn.
  EXPECT_EQ(Probe{Paint(page)}.Count(kWhite), 0);

  page.SetData(data.data());
  {
    const QImage img = Paint(page);
    const Probe probe{img};
    probe.ExpectBox(Qt::black, 8, 18, 55 * cw + 14, 3 * h + 28);
    EXPECT_EQ(probe.At(9, 19), kWhite);
    // Fields at bytes 1..4 (green) and 5..8 (red): the box, a dotted grey line up from the
    // middle of its top edge and a tick across its end.
    for (const auto& [colour, shift] : {std::pair{kGreen, 0}, std::pair{kRed, 12 * cw}}) {
      const int l = 10 * cw + 13 + shift, r = 21 * cw + 15 + shift, x = (l + r) / 2;
      probe.ExpectBox(colour, l, 22, r, h + 24);
      const QColor grey(160, 160, 160);
      EXPECT_EQ(probe.At(x, 22), grey);  // from the box edge up, dotted
      EXPECT_EQ(probe.Share(grey, x, 15, x, 22), 5.0 / 8);
      EXPECT_EQ(probe.Share(colour, x - 16, 14, x + 15, 14), 1.0);
      EXPECT_NE(probe.At(x + 16, 14), colour);
    }
    EXPECT_EQ(probe.Count(kBlue), 0);
    // The dump's last line, the one below the fields, in the white frame.
    EXPECT_TRUE(TextAt(img, u, 14, 21, ToQt(HexDataView::FormatLines(data.data())), kWhite));
  }

  const int tickY = 4 * h + 25;
  // Byte 0: one box around bytes 0..3, the tick under the dump and "@ 0x0000" beside it.
  page.m_nSelectedByte = 0;
  {
    const QImage img = Paint(page);
    const Probe probe{img};
    const int left = 7 * cw + 13;
    probe.ExpectBox(kBlue, left, 22, left + 11 * cw + 2, h + 24);
    EXPECT_TRUE(probe.Edge(kBlue, 10 * cw - 2, tickY, 10 * cw + 29, tickY));
    const QColor background = img.pixelColor(1, img.height() - 1);
    EXPECT_TRUE(TextAt(img, u, 6 * cw + 14, tickY, {QStringLiteral("@ 0x0000")}, background));
    EXPECT_TRUE(TextAt(img, u, 6 * cw + 14, tickY, ToQt(HexDataView::FormatSelection(data.data(), 0)), background));
  }

  // Byte 13: bytes 13..15 at the end of line 1 in a box open to the right, byte 16 at the
  // start of line 2 in a box open to the left.
  page.m_nSelectedByte = 13;
  {
    const QImage img = Paint(page);
    const Probe probe{img};
    const int top = 22, b = top + h + 1, left = 46 * cw + 13, e = left + 8 * cw - 1;
    EXPECT_TRUE(probe.Edge(kBlue, left, top, e, top) && probe.Edge(kBlue, left, b, e - 1, b));
    EXPECT_TRUE(probe.Edge(kBlue, left, top, left, b));
    EXPECT_TRUE(probe.None(kBlue, e, top + 1, e, b) && probe.None(kBlue, e + 1, top, e + 1, b));
    const int l2 = 7 * cw + 13, r2 = l2 + 2 * cw + 1, t2 = top + h, b2 = b + h;
    EXPECT_TRUE(probe.Edge(kBlue, l2, t2, r2, t2) && probe.Edge(kBlue, l2 + 1, b2, r2, b2));
    EXPECT_TRUE(probe.Edge(kBlue, r2, t2, r2, b2));
    EXPECT_TRUE(probe.None(kBlue, l2, t2 + 1, l2, b2) && probe.None(kBlue, r2 + 1, t2, r2 + 1, b2));
    EXPECT_TRUE(probe.None(kBlue, l2, top, l2 + 3 * cw, top));  // nothing at the start of line 1
    EXPECT_TRUE(probe.Edge(kBlue, 10 * cw - 2, tickY, 10 * cw + 29, tickY));
  }

  // Byte 41: all four bytes (41..44) on line 3, in one closed box.
  page.m_nSelectedByte = 41;
  {
    const QImage img = Paint(page);
    const Probe probe{img};
    const int left = 34 * cw + 13;
    probe.ExpectBox(kBlue, left, 22 + 2 * h, left + 11 * cw + 2, 3 * h + 24);
    EXPECT_TRUE(TextAt(img, u, 6 * cw + 14, tickY, {QStringLiteral("@ 0x0029")}, img.pixelColor(1, img.height() - 1)));
  }
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
    EXPECT_EQ(Probe{img}.Count(kBlue), 0);
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

  std::array<uint8_t, 45> zero{};
  const auto lines = HexDataView::FormatLines(zero.data());
  EXPECT_EQ(lines[0], "0000 | 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
  EXPECT_EQ(lines[2], "0020 | 00 00 00 00 00 00 00 00 00 00 00 00 00 ");
}
