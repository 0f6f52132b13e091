#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/support/CatalogueProbes.h"
#include "tools/SetGenerator.h"
#include "views/SoundListRanks.h"
#include "views/SoundListSort.h"

namespace {

// The sample set of the set writer, loaded into a catalogue.
class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MetafileSetWriter w;
    MakeSampleSet(w);
    ASSERT_TRUE(WriteAndLoad(w, dir, catalogue));
    model().Rebuild();
  }

  CSoundListModel& model() { return catalogue.m_listModel; }

  // One column of every row, in display order.
  std::vector<std::string> Column(const CSoundListModel& m, ColumnKind kind) {
    std::vector<std::string> out;
    for (uint32_t r = 0; r < m.nCount; ++r) out.push_back(CellText(m, r, kind));
    return out;
  }

  TempDir dir;
  CSoundCatalogue catalogue;
};

TEST_F(ModelTest, GathersTaggedThenMissionRows) {
  ASSERT_EQ(model().nCount, 18u);
  EXPECT_EQ(model().ItemAt(0)->kind, ITEM_TAGGED);
  EXPECT_EQ(model().ItemAt(7)->kind, ITEM_TAGGED);
  EXPECT_EQ(model().ItemAt(8)->kind, ITEM_MISSION);
  EXPECT_EQ(model().ItemAt(18), nullptr);
  EXPECT_EQ(model().ItemAt(-1), nullptr);
  EXPECT_EQ(model().ItemAt(0)->pRecord, &catalogue.m_taggedSounds[0]);
  EXPECT_EQ(model().ItemAt(0)->pFile, model().ItemAt(0)->pInfo->GetFile(0));
}

TEST_F(ModelTest, ShowSwitches) {
  struct {
    uint16_t cleared;
    uint32_t rows;
  } cases[] = {{SHOW_TAGGED, 10}, {SHOW_MISSION, 8}, {SHOW_MISSING, 13}, {SHOW_OGG, 13}, {SHOW_WAV, 10},
               {SHOW_TAGGED | SHOW_MISSION, 0}};
  for (const auto& c : cases) {
    model().ResetFilter();
    model().SetShowFlags(1, c.cleared);
    model().Rebuild();
    EXPECT_EQ(model().nCount, c.rows) << std::hex << c.cleared;
    for (uint32_t r = 0; r < model().nCount; ++r) {
      const SoundListItem* item = model().ItemAt(r);
      EXPECT_FALSE((c.cleared & SHOW_TAGGED) && item->kind == ITEM_TAGGED);
      EXPECT_FALSE((c.cleared & SHOW_MISSING) && item->pFile->IsMissing());
    }
  }
  model().SetShowFlags(0, 0xFFFF);
  model().SetShowFlags(7, 0xFFFF);  // other modes do nothing
  EXPECT_EQ(model().wShowFlags, 0xFFFF);
}

TEST_F(ModelTest, TagAndMissionFilters) {
  struct {
    SoundTagPair pair;
    uint8_t tag;
    int32_t subtag;
    uint32_t rows;
  } cases[] = {
      // The tag filter leaves the 10 mission rows alone.
      {{0, -1}, 0, -1, 14}, {{0, 1}, 0, 1, 12},   {{2, 2}, 2, 2, 12},        {{9, 3}, 0xFF, -1, 18},
      {{1, 5}, 1, -1, 14},  {{2, 258}, 2, -1, 12}, {{0xFF, -1}, 0xFF, -1, 18},
  };
  for (const auto& c : cases) {
    model().SetTagFilter(0, c.pair);
    EXPECT_EQ(model().nTagFilter, c.tag);
    EXPECT_EQ(model().nSubtagFilter, c.subtag);
    model().Rebuild();
    EXPECT_EQ(model().nCount, c.rows) << int(c.pair.tag) << "," << c.pair.subtag;
  }
  model().SetTagFilter(0, {0, 0});
  model().SetTagFilter(1, {0, 0});
  EXPECT_EQ(model().nTagFilter, 0xFF);
  EXPECT_EQ(model().nSubtagFilter, -1);

  // A mission row needs both a sex and a mission bit; the tagged rows stay.
  struct {
    uint16_t cleared;
    uint32_t rows;
  } missions[] = {{SMF_SEX_MALE, 18 - 4},  // m01_..._male and M02_..._male, two files each
                  {SMF_SEX_MASK, 8},
                  {SMF_MISSION_MASK & ~SMF_MISSION_OTHER, 8 + 2 + 2 + 2}};  // m07_crowd, M02_guard_male, amb_forest
  for (const auto& m : missions) {
    model().SetMissionFlags(0, 0xFFFF);
    model().SetMissionFlags(1, m.cleared);
    model().Rebuild();
    EXPECT_EQ(model().nCount, m.rows) << std::hex << m.cleared;
  }
  EXPECT_EQ(Column(model(), COL_ID).back(), "amb_forest");
}

TEST_F(ModelTest, ReferencesBySameRecordAndBySharedData) {
  const CSMSoundInfo* wind = model().ItemAt(0)->pInfo;
  CSoundListModel refs;
  ASSERT_TRUE(refs.AttachLike(model()));
  refs.pReference = wind;
  refs.Rebuild();
  EXPECT_EQ(Column(refs, COL_ID), (std::vector<std::string>{"+Ambient.Calm", "+Ambient.Storm _Weapons", "m07_crowd"}));
  refs.bMatchByFile = 1;
  refs.Rebuild();
  EXPECT_EQ(refs.nCount, 11u);  // the two files' data is shared with guard_halt and merchant_f
  for (uint32_t r = 0; r < refs.nCount; ++r) EXPECT_FALSE(refs.ItemAt(r)->pFile->IsMissing());

  CSoundListModel files, unattached;
  EXPECT_FALSE(files.AttachLike(unattached));
  files.AttachLike(model());
  files.LoadFileList(*model().ItemAt(0));
  EXPECT_EQ(Column(files, COL_FILENAME), (std::vector<std::string>{"wind_calm.wav", "wind_storm.ogg"}));
  files.SetShowFlags(1, 0xFFFF);
  files.Rebuild();  // fixed: the filter no longer applies
  EXPECT_EQ(files.nCount, 2u);
  EXPECT_EQ(files.ItemAt(1)->kind, ITEM_FILE);
  EXPECT_EQ(files.ItemAt(1)->pRecord, nullptr);

  unattached.Rebuild();
  EXPECT_EQ(unattached.nCount, 0u);
  EXPECT_EQ(unattached.ItemAt(0), nullptr);
}

TEST_F(ModelTest, CellTextOfEveryColumnKind) {
  struct {
    int row;
    ColumnKind kind;
    const char* text;
  } cells[] = {
      {0, COL_NUMBER, "1      "}, {11, COL_NUMBER, "12     "}, {0, COL_ID, "+Ambient.Calm"},
      {6, COL_ID, "+Voice.Caf\xE9 <invalid tag> <invalid tag 0x07> +Voice.<subtag 02 01 00 00>"},
      {8, COL_ID, "m01_guard_halt_male"}, {1, COL_FILENAME, "wind_storm.ogg"},
      {5, COL_FILENAME, ""}, {7, COL_FILENAME, "guard_lost"},  // missing: named "none", and one without extension
      {0, COL_LOCATION, "D1: 0x0000000D"}, {7, COL_LOCATION, ""}, {0, COL_SIZE, "600"}, {5, COL_SIZE, "0"},
      {0, COL_SUBTITLE, "The wind is calm."}, {0, COL_SUBTITLE_FRENCH, "FR The wind is calm."},
      {0, COL_SUBTITLE_SPANISH, "ES The wind is calm."}};
  for (const auto& c : cells)
    EXPECT_EQ(CellText(model(), c.row, c.kind), c.text) << "row " << c.row << " kind " << c.kind;

  char text[kCellTextSize] = "junk";
  ColumnKind kinds[] = {COL_ID, static_cast<ColumnKind>(12)};
  EXPECT_EQ(GetCellText(nullptr, 0, kinds, 2, 0, text, sizeof text), CELL_NO_MODEL);
  EXPECT_EQ(GetCellText(&model(), 18, kinds, 2, 0, text, sizeof text), CELL_NO_ROW);
  EXPECT_EQ(GetCellText(&model(), 0, kinds, 2, 1, text, sizeof text), CELL_OK);
  EXPECT_STREQ(text, "");  // unknown kind
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
  CSoundCatalogue c;
  ASSERT_TRUE(WriteAndLoad(w, dir, c));
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
  FormatTagList(c.m_listModel, sound, large, 2 * piece.size());  // no room for the second piece's terminator
  EXPECT_EQ(std::string(large), piece);
}

using SortTest = ModelTest;

// Sorts by every kind both ways, as the kind's first sort (the catalogue's ranks dropped) and as
// a later one: the rows must stay the same, every neighbour in order by the kind's comparator.
void ExpectEveryKindOrdered(CSoundListModel& m) {
  std::vector<const SoundListItem*> rows(m.ppOrder, m.ppOrder + m.nCount);
  std::sort(rows.begin(), rows.end());
  for (int kind = COL_ID; kind < COL_KIND_COUNT; ++kind) {
    for (bool descendingFirst : {false, true}) {
      if (m.pCatalogue) m.pCatalogue->m_sortRanks.Clear();
      for (bool descending : {descendingFirst, !descendingFirst}) {
        m.SetSort(static_cast<ColumnKind>(kind), descending);
        m.Sort();
        SoundItemComparator compare = SelectComparator(static_cast<ColumnKind>(kind), descending);
        ASSERT_NE(compare, nullptr);
        uint32_t bad = 0;
        for (uint32_t r = 1; r < m.nCount; ++r) bad += compare(m.ItemAt(r - 1), m.ItemAt(r)) > 0;
        EXPECT_EQ(bad, 0u) << "kind " << kind << (descending ? " descending" : "");
        std::vector<const SoundListItem*> sorted(m.ppOrder, m.ppOrder + m.nCount);
        std::sort(sorted.begin(), sorted.end());
        EXPECT_EQ(sorted, rows) << "kind " << kind;
      }
    }
  }
}

// The ranks of the files' keys agree with the comparators: along the rows in ascending order, a
// file ranks above the one before it exactly when the kind's key or its file name is greater.
void ExpectRanksAgree(CSoundCatalogue& c) {
  CSoundListModel& m = c.m_listModel;
  for (int kind = COL_FILENAME; kind < COL_KIND_COUNT; ++kind) {
    m.SetSort(static_cast<ColumnKind>(kind), false);
    m.Sort();
    uint32_t distinct, mismatches = 0;
    const uint32_t* ranks = c.m_sortRanks.FileRanks(static_cast<ColumnKind>(kind), distinct);
    for (uint32_t r = 1; r < m.nCount; ++r) {
      const SoundListItem *a = m.ItemAt(r - 1), *b = m.ItemAt(r);
      uint32_t sa, sb;
      ASSERT_TRUE(c.m_sortRanks.FileSlot(*a, sa) && c.m_sortRanks.FileSlot(*b, sb));
      int order = kind == COL_LOCATION ? CompareLocation(a, b)
                  : kind == COL_SIZE   ? CompareSize(a, b)
                  : kind >= COL_SUBTITLE ? CompareSubtitle(a, b, kind - COL_SUBTITLE)
                                         : 0;
      if (order == 0) order = CompareFilename(a, b);
      mismatches += (ranks[sa] < ranks[sb]) != (order < 0) || ranks[sa] > ranks[sb];
    }
    EXPECT_EQ(mismatches, 0u) << "kind " << kind;
    EXPECT_LE(distinct, m.nCount);
  }
}

// Ranks shared out between two threads are those one thread computes, for every kind and the
// mission sounds; the rows sorted on them are in order.
void ExpectTwoThreadsRankAsOne(CSoundCatalogue& c) {
  uint32_t slots = 0, missions = static_cast<uint32_t>(c.m_missionSounds.GetCount()), distinct;
  for (int32_t i = 0; i < c.m_soundInfos.GetCount(); ++i) slots += c.m_soundInfos.m_pData[i].m_nFileCount;
  auto ranks = [&](uint32_t from, int kind) {
    c.m_sortRanks.SetParallelFrom(from);
    c.m_sortRanks.Clear();
    const uint32_t* r = c.m_sortRanks.FileRanks(static_cast<ColumnKind>(kind), distinct);
    std::vector<uint32_t> all(r, r + slots + 1);
    r = c.m_sortRanks.MissionRanks(distinct);
    all.insert(all.end(), r, r + missions + 1);
    return all;
  };
  for (int kind = COL_FILENAME; kind < COL_KIND_COUNT; ++kind) EXPECT_EQ(ranks(UINT32_MAX, kind), ranks(0, kind)) << "kind " << kind;
  ExpectEveryKindOrdered(c.m_listModel);
  ExpectRanksAgree(c);
  c.m_sortRanks.SetParallelFrom(UINT32_MAX);
  ExpectEveryKindOrdered(c.m_listModel);
}

TEST_F(SortTest, EveryKindOrdersByItsChain) {
  ExpectEveryKindOrdered(model());
  EXPECT_EQ(SelectComparator(COL_NUMBER, false), nullptr);
  uint32_t distinct;  // files have no ranks of "#", ID or kinds past the last
  EXPECT_EQ(catalogue.m_sortRanks.FileRanks(COL_ID, distinct), nullptr);
  EXPECT_EQ(catalogue.m_sortRanks.FileRanks(COL_KIND_COUNT, distinct), nullptr);

  // The "Sounds" list of one record: file rows only.
  CSoundListModel files;
  files.AttachLike(model());
  files.LoadFileList(*model().ItemAt(0));
  ExpectEveryKindOrdered(files);

  // A generated set: long shared subtitle prefixes, shared records, missing files.
  TempDir large;
  MetafileSetWriter w;
  MakeBenchSet(w, 400, 3);
  CSoundCatalogue c;
  ASSERT_TRUE(WriteAndLoad(w, large, c));
  c.m_listModel.Rebuild();
  ASSERT_GT(c.m_listModel.nCount, 1000u);
  ExpectTwoThreadsRankAsOne(c);

  // Rows that are not the catalogue's are sorted by the comparator.
  std::vector<SoundListItem*> order(c.m_listModel.ppOrder, c.m_listModel.ppOrder + c.m_listModel.nCount);
  for (int kind = COL_ID; kind < COL_KIND_COUNT; ++kind) {
    SortItems(order.data(), static_cast<uint32_t>(order.size()), static_cast<ColumnKind>(kind), true,
              &catalogue.m_sortRanks);
    SoundItemComparator compare = SelectComparator(static_cast<ColumnKind>(kind), true);
    for (size_t r = 1; r < order.size(); ++r) ASSERT_LE(compare(order[r - 1], order[r]), 0) << "kind " << kind;
  }
}

// Texts a comparator cuts at their first NUL byte, texts that end at a chunk's edge or one byte
// either side of it, a missing file named "NONE", many equal sizes, and more long texts with one
// long prefix than the ranks read from one place.
TEST_F(SortTest, RanksSeeTextsAsTheComparatorsDo) {
  using Writer = MetafileSetWriter;
  const std::string nul("abc\0zz", 6), nulEnd("abc\0", 4);
  const std::string shortTexts[] = {nul, nulEnd, "abc", "abcdefg", "abcdefgh", "abcdefghi", "", "abcdefghabcdefgh"};
  std::mt19937 rng(7);
  auto pick = [&] { return shortTexts[rng() % 8]; };
  TempDir set;
  Writer w;
  MakeBenchShape(w, 1200, rng, [&](Writer::SoundFile& f, int, int) {
    f.data = rng() % 8 ? Writer::Address::Raw(0x20000100u + rng() % 64) : Writer::Address::Raw(Writer::kInvalid);
    f.wavSize = rng() % 40;
    if (rng() % 8 == 0) f.name = rng() % 2 ? "NONE" : pick();
    std::string tail;
    for (int i = 0; i < 392; ++i) tail += static_cast<char>('a' + rng() % 3);
    f.subtitles[0] = std::string(16, 'x') + tail;  // over 1 MiB of texts agreeing on 16 bytes
    for (int s = 1; s < 5; ++s) f.subtitles[s] = pick() + (rng() % 2 ? pick() : std::string());
  });
  for (auto& m : w.missionSounds)
    if (rng() % 4 == 0) m.name = std::string("m01_a\0", 6) + std::to_string(rng() % 3) + "_male";
  CSoundCatalogue c;
  ASSERT_TRUE(WriteAndLoad(w, set, c));
  c.m_listModel.Rebuild();
  ASSERT_GT(c.m_listModel.nCount, 4000u);
  ExpectTwoThreadsRankAsOne(c);
}

TEST_F(SortTest, IdPutsTaggedFirstThenMissionsByName) {
  model().SetSort(COL_ID, false);
  model().Sort();
  std::vector<std::string> ids = Column(model(), COL_ID), files = Column(model(), COL_FILENAME);
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
  EXPECT_EQ(CellText(model(), 0, COL_ID), "m07_crowd");
  EXPECT_EQ(CellText(model(), 0, COL_FILENAME), "wind_storm.ogg");
  EXPECT_EQ(model().ItemAt(17)->kind, ITEM_TAGGED);
}

TEST_F(SortTest, LocationPutsMissingFilesFirst) {
  model().SetSort(COL_LOCATION, false);
  model().Sort();
  std::vector<std::string> loc = Column(model(), COL_LOCATION);
  for (int r = 0; r < 5; ++r) EXPECT_EQ(loc[r], "") << r;  // missing files first
  EXPECT_EQ(CellText(model(), 0, COL_FILENAME), "");           // the "none" files before guard_lost
  EXPECT_EQ(loc[5], "D1: 0x0000000D");
  EXPECT_EQ(loc.back(), "D3: 0x0000000D");
}

TEST_F(SortTest, HeaderClickCycle) {
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
  EXPECT_EQ(CellText(model(), 0, COL_SIZE), "0");
  r = click(4);  // descending, down arrow
  EXPECT_EQ(r.oldColumn, 4);
  EXPECT_EQ(r.arrowImage, 0);
  EXPECT_EQ(CellText(model(), 0, COL_SIZE), "600");
  EXPECT_EQ(CellText(model(), 17, COL_SIZE), "0");
  EXPECT_EQ(CellText(model(), 0, COL_NUMBER), "18     ");  // numbers count down when descending
  r = click(4);  // natural order, no arrow
  EXPECT_EQ(r.newColumn, -1);
  EXPECT_EQ(Column(model(), COL_FILENAME), natural);
  EXPECT_EQ(CellText(model(), 0, COL_NUMBER), "1      ");

  r = click(0);  // "#" on an unsorted list reverses it
  EXPECT_EQ(r.newColumn, -1);
  EXPECT_EQ(model().bSortDescending, 1);
  EXPECT_EQ(CellText(model(), 0, COL_NUMBER), "18     ");
  EXPECT_EQ(CellText(model(), 0, COL_FILENAME), natural.back());
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
