// Finding rows by text: folding, every column kind, the index against the row matcher, wrapping.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/TextCodec.h"
#include "tests/support/CatalogueProbes.h"
#include "tools/SetGenerator.h"
#include "views/SoundListFind.h"

namespace {

std::vector<uint32_t> MatcherRows(const CSoundListModel& m, const CFindQuery& q) {
  std::vector<uint32_t> rows;
  for (uint32_t r = 0; r < m.nCount; ++r)
    if (RowMatches(m, r, q)) rows.push_back(r);
  return rows;
}

// A generated set loaded into a catalogue, its main list rebuilt.
class FindTest : public ::testing::Test {
 protected:
  void Load(bool bench) {
    MetafileSetWriter w;
    if (bench)
      MakeBenchSet(w, 300, 7);
    else
      MakeSampleSet(w);
    ASSERT_TRUE(WriteAndLoad(w, dir, catalogue));
    model().Rebuild();
  }
  CSoundListModel& model() { return catalogue.m_listModel; }

  TempDir dir;
  CSoundCatalogue catalogue;
};

}  // namespace

TEST(FindQuery, FoldsCaseAndAccentsOfWindows1252) {
  // Every character finds itself, whatever byte of Windows-1252 it is.
  for (int b = 0x20; b < 0x100; ++b) {
    const std::string text(1, static_cast<char>(b));
    EXPECT_TRUE(CFindQuery(Cp1252ToUtf8(text)).Matches(text)) << std::hex << b;
  }
  // Upper and lower case of the Latin-1 letters find each other.
  for (int b = 0xC0; b <= 0xDE; ++b) {
    if (b == 0xD7) continue;  // × and ÷ are no letters
    const std::string upper(1, static_cast<char>(b)), lower(1, static_cast<char>(b + 0x20));
    EXPECT_TRUE(CFindQuery(Cp1252ToUtf8(upper)).Matches(lower)) << std::hex << b;
    EXPECT_TRUE(CFindQuery(Cp1252ToUtf8(lower)).Matches(upper)) << std::hex << b;
  }
  const struct {
    const char* text;  // Windows-1252
    const char* query;  // UTF-8
    bool match;
  } cases[] = {
      {"Caf\xE9 ferm\xE9.", "CAFE FERME", true},
      {"Cafe", "caf\xC3\xA9", true},                       // an accent in the query finds none in the text
      {"Caf\xE9", "Cafe\xCC\x81", true},                   // a combining accent
      {"Gr\xFC\xDF Gott", "GRUSS gott", true},             // ß is ss
      {"\xBF" "D\xF3nde est\xE1", "\xC2\xBF" "donde ESTA", true},
      {"No\xEBl", "NOEL", true},
      {"\x8A" "koda \x9E" "ivot", "skoda zivot", true},    // Š, ž of the 0x80 row
      {"\x8C" "uvre \xC6" "sir \xDE" "orn", "oeuvre aesir thorn", true},
      {"\x9F" "ves", "yves", true},
      {"Caf\xE9", "caff", false},
      {"5 \xD7 3", "5 x 3", false},
      {"Caf\xE9", "caf\xE6\xBC\xA2", false},               // a character no Windows-1252 text has
  };
  for (const auto& c : cases) EXPECT_EQ(CFindQuery(c.query).Matches(c.text), c.match) << c.query;
  EXPECT_FALSE(CFindQuery("\xE6\xBC\xA2").CanMatch());
  EXPECT_FALSE(CFindQuery("\xE6\xBC\xA2").IsEmpty());
  EXPECT_TRUE(CFindQuery("").IsEmpty());
  EXPECT_FALSE(CFindQuery("").Matches("anything"));
  EXPECT_TRUE(CFindQuery("caf\xE9").Matches("CAF\xC9"));  // bytes that are not UTF-8: Windows-1252
}

TEST_F(FindTest, EveryColumnKindIsReachable) {
  Load(true);
  // For each kind, a row whose cell of that kind holds a text no other cell of the row holds:
  // searching for it finds the row.
  CSoundListFindIndex index;
  std::vector<uint32_t> rows;
  for (int k = 0; k < COL_KIND_COUNT; ++k) {
    bool reached = false;
    for (uint32_t r = 0; r < model().nCount && !reached; ++r) {
      const std::string text = CellText(model(), r, static_cast<ColumnKind>(k));
      if (text.empty()) continue;
      bool elsewhere = false;
      for (int o = 0; o < COL_KIND_COUNT; ++o)
        elsewhere |= o != k && CellText(model(), r, static_cast<ColumnKind>(o)).find(text) != std::string::npos;
      if (elsewhere) continue;
      const CFindQuery query(Cp1252ToUtf8(text));
      reached = RowMatches(model(), r, query);
      index.FindRows(model(), query, rows);
      EXPECT_TRUE(std::find(rows.begin(), rows.end(), r) != rows.end()) << "kind " << k << " row " << r;
    }
    EXPECT_TRUE(reached) << "kind " << k;
  }
}

TEST_F(FindTest, HiddenColumnsCountAndNoMatchFindsNothing) {
  Load(false);
  CSoundListFindIndex index;
  std::vector<uint32_t> rows;
  // The Spanish subtitle is in no column the lists show (kinds 0 to 5).
  const CFindQuery spanish("es a STORM");
  const std::vector<uint32_t> found = MatcherRows(model(), spanish);
  ASSERT_FALSE(found.empty());
  for (uint32_t r : found) {
    for (int k = 0; k <= COL_SUBTITLE; ++k)
      EXPECT_FALSE(spanish.Matches(CellText(model(), r, static_cast<ColumnKind>(k))));
    EXPECT_EQ(CellText(model(), r, COL_SUBTITLE_SPANISH), "ES A storm is coming.");
  }
  index.FindRows(model(), spanish, rows);
  EXPECT_EQ(rows, found);

  // Nothing holds these.
  for (const char* text : {"no such sound", "\xE6\xBC\xA2", "wind_calm.wav\t"}) {
    EXPECT_TRUE(MatcherRows(model(), CFindQuery(text)).empty()) << text;
    index.FindRows(model(), CFindQuery(text), rows);
    EXPECT_TRUE(rows.empty()) << text;
  }
}

TEST_F(FindTest, IndexFindsWhatTheMatcherFindsInAnyOrderAndFilter) {
  Load(true);
  const char* queries[] = {"guard", "CAF\xC3\x89 AU", "hd: 0x", "d3:", "1", "12 ", "7      ", ".OGG", "+", "_",
                           "sword0", "<invalid", "t\xC3\xBCr", "", "zzqx", "\xE6\xBC\xA2"};
  CSoundListFindIndex index;
  std::vector<uint32_t> rows;
  int nonEmpty = 0;
  auto check = [&](const char* label) {
    for (const char* q : queries) {
      const CFindQuery query(q);
      index.FindRows(model(), query, rows);
      EXPECT_EQ(rows, MatcherRows(model(), query)) << label << " / " << q;
      nonEmpty += !rows.empty();
    }
  };
  check("natural");
  model().SetSort(COL_NUMBER, true);  // "#" counts down
  model().Sort();
  check("reversed");
  model().SetSort(COL_SUBTITLE_GERMAN, false);
  model().Sort();
  check("by German subtitle");
  model().SetShowFlags(1, SHOW_TAGGED);
  model().Rebuild();
  model().Sort();
  check("mission sounds only");  // the index sees the rows were rebuilt
  EXPECT_GT(nonEmpty, 40);
  EXPECT_GT(index.GetHeldBytes(), 0u);

  CSoundListModel empty;
  index.FindRows(empty, CFindQuery("guard"), rows);
  EXPECT_TRUE(rows.empty());
  EXPECT_FALSE(RowMatches(empty, 0, CFindQuery("guard")));
}

TEST_F(FindTest, StepsThroughMatchesInDisplayOrderAndWraps) {
  const std::vector<uint32_t> m = {3, 7, 12};
  const struct {
    int64_t from;
    int direction;
    int64_t row;
    bool wrapped;
  } steps[] = {{0, 1, 3, false},  {7, 1, 7, false},   {8, 1, 12, false}, {13, 1, 3, true},   {6, -1, 3, false},
               {7, -1, 7, false}, {2, -1, 12, true}, {-1, -1, 12, true}, {INT64_MAX, -1, 12, false}, {-5, 1, 3, false}};
  for (const auto& s : steps) {
    bool wrapped = !s.wrapped;
    EXPECT_EQ(FindFrom(m, s.from, s.direction, wrapped), s.row) << s.from << " " << s.direction;
    EXPECT_EQ(wrapped, s.wrapped) << s.from << " " << s.direction;
  }
  bool wrapped = true;
  EXPECT_EQ(FindFrom({}, 0, 1, wrapped), -1);
  EXPECT_FALSE(wrapped);

  // On a sorted list, "next" from row 0 visits the matching rows in display order, then wraps.
  Load(false);
  model().SetSort(COL_FILENAME, true);
  model().Sort();
  CSoundListFindIndex index;
  std::vector<uint32_t> rows;
  index.FindRows(model(), CFindQuery("GUARD"), rows);
  ASSERT_GE(rows.size(), 3u);
  std::vector<int64_t> visited;
  int64_t current = FindFrom(rows, 0, 1, wrapped);
  for (size_t i = 0; i < rows.size(); ++i) {
    EXPECT_FALSE(wrapped);
    visited.push_back(current);
    EXPECT_TRUE(RowMatches(model(), current, CFindQuery("guard")));
    current = FindFrom(rows, current + 1, 1, wrapped);
  }
  EXPECT_TRUE(wrapped);
  EXPECT_EQ(current, visited.front());
  EXPECT_TRUE(std::is_sorted(visited.begin(), visited.end()));
}
