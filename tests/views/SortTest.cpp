#include "tests/views/SampleCatalogue.h"
#include "views/SoundListSort.h"

namespace {

using SortTest = SampleCatalogueTest;

TEST_F(SortTest, EveryKindOrdersByItsChain) {
  model().Rebuild();
  for (int kind = COL_ID; kind < COL_KIND_COUNT; ++kind) {
    for (bool descending : {false, true}) {
      model().SetSort(static_cast<ColumnKind>(kind), descending);
      model().Sort();
      SoundItemComparator compare = SelectComparator(static_cast<ColumnKind>(kind), descending);
      ASSERT_NE(compare, nullptr);
      for (uint32_t r = 1; r < model().nCount; ++r)
        EXPECT_LE(compare(model().ItemAt(r - 1), model().ItemAt(r)), 0) << "kind " << kind << " row " << r;
    }
  }
  EXPECT_EQ(SelectComparator(COL_NUMBER, false), nullptr);
}

// A generated set: long shared subtitle prefixes, shared records, missing files.
TEST(SortLargeTest, EveryKindOrdersByItsChain) {
  TempDir dir;
  MetafileSetWriter w;
  MakeBenchSet(w, 400, 3);
  ASSERT_TRUE(w.Write(dir.path()));
  CSoundCatalogue c;
  ASSERT_TRUE(c.Load(dir.dir().c_str(), nullptr, nullptr));
  CSoundListModel& m = c.m_listModel;
  m.Rebuild();
  ASSERT_GT(m.nCount, 1000u);
  for (int kind = COL_ID; kind < COL_KIND_COUNT; ++kind) {
    for (bool descending : {false, true}) {
      m.SetSort(static_cast<ColumnKind>(kind), descending);
      m.Sort();
      SoundItemComparator compare = SelectComparator(static_cast<ColumnKind>(kind), descending);
      uint32_t bad = 0;
      for (uint32_t r = 1; r < m.nCount; ++r) bad += compare(m.ItemAt(r - 1), m.ItemAt(r)) > 0;
      EXPECT_EQ(bad, 0u) << "kind " << kind << (descending ? " descending" : "");
    }
  }
}

TEST_F(SortTest, IdPutsTaggedFirstThenMissionsByName) {
  model().Rebuild();
  model().SetSort(COL_ID, false);
  model().Sort();
  std::vector<std::string> ids = Column(model(), COL_ID), files = Column(model(), COL_FILENAME);
  for (int r = 0; r < 8; ++r) EXPECT_EQ(model().ItemAt(r)->kind, ITEM_TAGGED);
  // Tagged rows by file name (the "none" file counts as empty).
  EXPECT_EQ(files[0], "");
  EXPECT_EQ(files[7], "wind_storm.ogg");
  std::vector<std::string> missions(ids.begin() + 8, ids.end());
  EXPECT_EQ(missions, (std::vector<std::string>{"M02_guard_male", "M02_guard_male", "amb_forest", "amb_forest",
                                                "m01_guard_halt_male", "m01_guard_halt_male", "m03_merchant_FEMALE",
                                                "m06_gate_female", "m07_crowd", "m07_crowd"}));
  EXPECT_EQ(files[8], "guard_halt.wav");  // then by file name
  EXPECT_EQ(files[9], "guard_lost");

  model().SetSort(COL_ID, true);  // descending reverses the tie-breaks too
  model().Sort();
  EXPECT_EQ(Cell(model(), 0, COL_ID), "m07_crowd");
  EXPECT_EQ(Cell(model(), 0, COL_FILENAME), "wind_storm.ogg");
  EXPECT_EQ(model().ItemAt(17)->kind, ITEM_TAGGED);
}

TEST_F(SortTest, LocationAndSizeKeys) {
  model().Rebuild();
  model().SetSort(COL_LOCATION, false);
  model().Sort();
  std::vector<std::string> loc = Column(model(), COL_LOCATION);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(loc[r], "") << r;  // missing files first
  EXPECT_EQ(Cell(model(), 0, COL_FILENAME), "");           // the "none" files before guard_lost
  EXPECT_EQ(loc[5], "D1: 0x0000000D");
  EXPECT_EQ(loc.back(), "D3: 0x0000000D");
  model().SetSort(COL_SIZE, true);
  model().Sort();
  EXPECT_EQ(Cell(model(), 0, COL_SIZE), "600");
  EXPECT_EQ(Cell(model(), 17, COL_SIZE), "0");
  EXPECT_EQ(Cell(model(), 0, COL_NUMBER), "18     ");
}

TEST_F(SortTest, HeaderClickCycle) {
  model().Rebuild();
  ColumnKind kinds[] = {COL_NUMBER, COL_ID, COL_FILENAME, COL_LOCATION, COL_SIZE, COL_SUBTITLE};
  SoundListSortState state;
  auto click = [&](int column) {
    HeaderClickResult r = OnColumnClick(state, kinds, 6, column);
    ApplySort(state, &model(), kinds, 6);
    return r;
  };
  std::vector<std::string> natural = Column(model(), COL_FILENAME);

  HeaderClickResult r = click(4);  // Size: ascending, up arrow
  EXPECT_EQ(r.newColumn, 4);
  EXPECT_EQ(r.arrowImage, 1);
  EXPECT_EQ(Cell(model(), 0, COL_SIZE), "0");
  r = click(4);  // descending, down arrow
  EXPECT_EQ(r.oldColumn, 4);
  EXPECT_EQ(r.arrowImage, 0);
  EXPECT_EQ(Cell(model(), 0, COL_SIZE), "600");
  r = click(4);  // natural order, no arrow
  EXPECT_EQ(r.newColumn, -1);
  EXPECT_EQ(Column(model(), COL_FILENAME), natural);
  EXPECT_EQ(Cell(model(), 0, COL_NUMBER), "1      ");

  r = click(0);  // "#" on an unsorted list reverses it
  EXPECT_EQ(r.newColumn, -1);
  EXPECT_EQ(model().bSortDescending, 1);
  EXPECT_EQ(Cell(model(), 0, COL_NUMBER), "18     ");
  EXPECT_EQ(Cell(model(), 0, COL_FILENAME), natural.back());
  click(0);  // and back
  EXPECT_EQ(Column(model(), COL_FILENAME), natural);

  click(2);
  r = click(0);  // "#" while another column is the key: forward natural order
  EXPECT_EQ(r.oldColumn, 2);
  EXPECT_EQ(r.newColumn, -1);
  EXPECT_EQ(Column(model(), COL_FILENAME), natural);
  EXPECT_FALSE(OnColumnClick(state, nullptr, 0, 0).handled);
}

}  // namespace
