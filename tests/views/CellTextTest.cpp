#include "tests/views/SampleCatalogue.h"

namespace {

using CellTextTest = SampleCatalogueTest;

TEST_F(CellTextTest, EveryColumnKind) {
  model().Rebuild();
  EXPECT_EQ(Cell(model(), 0, COL_NUMBER), "1      ");
  EXPECT_EQ(Cell(model(), 11, COL_NUMBER), "12     ");
  EXPECT_EQ(Cell(model(), 0, COL_ID), "+Ambient.Calm");
  EXPECT_EQ(Cell(model(), 6, COL_ID), "+Voice.Caf\xE9 <invalid tag> <invalid tag 0x07> +Voice.<subtag 02 01 00 00>");
  EXPECT_EQ(Cell(model(), 8, COL_ID), "m01_guard_halt_male");
  EXPECT_EQ(Cell(model(), 1, COL_FILENAME), "wind_storm.ogg");
  EXPECT_EQ(Cell(model(), 5, COL_FILENAME), "");            // missing, named "none"
  EXPECT_EQ(Cell(model(), 7, COL_FILENAME), "guard_lost");  // missing: no extension
  EXPECT_EQ(Cell(model(), 0, COL_LOCATION), "D1: 0x0000000D");
  EXPECT_EQ(Cell(model(), 7, COL_LOCATION), "");
  EXPECT_EQ(Cell(model(), 0, COL_SIZE), "600");
  EXPECT_EQ(Cell(model(), 5, COL_SIZE), "0");
  EXPECT_EQ(Cell(model(), 0, COL_SUBTITLE), "The wind is calm.");
  EXPECT_EQ(Cell(model(), 0, COL_SUBTITLE_FRENCH), "FR The wind is calm.");
  EXPECT_EQ(Cell(model(), 0, COL_SUBTITLE_SPANISH), "ES The wind is calm.");

  model().SetSort(COL_NUMBER, true);
  model().Sort();
  EXPECT_EQ(Cell(model(), 0, COL_NUMBER), "18     ");
  EXPECT_EQ(Cell(model(), 0, COL_FILENAME), "merchant_f.ogg");
}

TEST_F(CellTextTest, ResultCodesAndCutText) {
  char text[kCellTextSize] = "junk";
  ColumnKind kinds[] = {COL_ID, static_cast<ColumnKind>(12)};
  EXPECT_EQ(GetCellText(nullptr, 0, kinds, 2, 0, text, sizeof text), CELL_NO_MODEL);
  model().Rebuild();
  EXPECT_EQ(GetCellText(&model(), 18, kinds, 2, 0, text, sizeof text), CELL_NO_ROW);
  EXPECT_EQ(GetCellText(&model(), 0, kinds, 2, 1, text, sizeof text), CELL_OK);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(GetCellText(&model(), 0, kinds, 2, 0, text, 5), CELL_OK);
  EXPECT_STREQ(text, "");  // "+Ambient.Calm" does not fit: left out whole
  ColumnKind subtitle = COL_SUBTITLE;
  GetCellText(&model(), 0, &subtitle, 1, 0, text, 9);
  EXPECT_STREQ(text, "The wind");
}

TEST(FormatTagListTest, PiecesFitWholeOrNotAtAll) {
  TempDir dir;
  MetafileSetWriter w;
  std::string longName = "+" + std::string(120, 'L');
  w.tags = {{longName, 0, {"s"}}, {"short", 0, {}}};
  MetafileSetWriter::SoundInfo info;
  info.files.resize(1);
  int rec = w.AddRecord(2, info);
  w.taggedSounds = {{{{0, 0}, {0, 0}, {0, 0}, {1, 0xFFFFFFFF}}, MetafileSetWriter::Address::Item(rec)}};
  ASSERT_TRUE(w.Write(dir.path()));
  CSoundCatalogue c;
  ASSERT_TRUE(c.Load(dir.dir().c_str(), nullptr, nullptr));
  const CSMTaggedSound& sound = c.m_taggedSounds[0];
  std::string piece = longName + ".s ";
  size_t total = 3 * piece.size() + 5;  // no blank after the last piece
  EXPECT_EQ(FormatTagList(c.m_listModel, sound, nullptr, 0), total);
  char cell[kCellTextSize];
  EXPECT_EQ(FormatTagList(c.m_listModel, sound, cell, sizeof cell), total);
  // Two long pieces fit, the third does not, and neither does "short " after it.
  EXPECT_EQ(std::string(cell), piece + piece);
  char large[400];
  FormatTagList(c.m_listModel, sound, large, sizeof large);
  EXPECT_EQ(std::string(large), piece + piece + piece + "short");
}

}  // namespace
