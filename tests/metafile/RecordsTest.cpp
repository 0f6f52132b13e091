#include <gtest/gtest.h>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "metafile/SMRecordPool.h"
#include "metafile/SoundTags.h"
#include "tests/support/TempDir.h"

namespace {

// Loads a record from literal bytes and reports how many bytes it consumed.
template <class T>
long LoadFrom(T& record, const std::vector<uint8_t>& bytes, int* code = nullptr) {
  TempDir dir;
  dir.Write("r", bytes);
  FILE* f = fopen(dir.file("r").c_str(), "rb");
  CArchiver ar;
  ar.Open(f, 1);
  try {
    record.Serialize(ar);
    if (code) *code = 0;
  } catch (const CArchiver::xArchiver& e) {
    if (code) *code = e.code;
  }
  long consumed = ftell(f);
  ar.Close();
  fclose(f);
  return consumed;
}

TEST(SoundTagTest, TableOfPlusAndPlainTags) {
  CSMSoundTagTable table;
  std::vector<uint8_t> bytes = {0x04};                                  // 4 tags
  bytes = bytes + std::vector<uint8_t>{2, 0, 0, 0, '+', 'a', 7, 0};     // '+' name, extra 7, no sub-tags: 8 bytes
  bytes = bytes + std::vector<uint8_t>{3, 0, 0, 0, 'x', '+', 'y'};      // '+' not first: no sub-tag part
  bytes = bytes + std::vector<uint8_t>{0, 0, 0, 0};                     // empty name
  bytes = bytes + std::vector<uint8_t>{4, 0, 0, 0, '+', 'V', 'o', 'x', 1, 2, 4, 0, 0, 0, 'C', 'a', 'l', 'm', 0, 0, 0, 0};
  EXPECT_EQ(LoadFrom(table, bytes), static_cast<long>(bytes.size()));
  ASSERT_EQ(table.GetCount(), 4);
  EXPECT_EQ(table[0].m_nExtra, 7);
  EXPECT_EQ(table[0].m_nSubCount, 0);
  EXPECT_EQ(table[0].m_pSubNames, nullptr);
  EXPECT_STREQ(table[1].GetSubName(-1), "x+y");
  EXPECT_STREQ(table[2].GetSubName(-1), "");
  EXPECT_EQ(table[2].GetSubName(0), nullptr);
  EXPECT_EQ(table[3].m_nExtra, 1);
  ASSERT_EQ(table[3].m_nSubCount, 2);
  EXPECT_STREQ(table[3].GetSubName(0), "Calm");
  EXPECT_STREQ(table[3].GetSubName(1), "");
  EXPECT_EQ(table[3].GetSubName(2), nullptr);
  EXPECT_EQ(table[3].GetSubName(-2), nullptr);
}

TEST(TaggedSoundTest, ReferencesAndTableWidth) {
  CSMTaggedSoundTable table;
  std::vector<uint8_t> bytes = {0x02, 0x00};
  bytes = bytes + std::vector<uint8_t>{0, 0x10, 0, 0, 0x40};  // no references: 5 bytes
  bytes = bytes + std::vector<uint8_t>{2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(LoadFrom(table, bytes), 2 + 5 + 15);
  ASSERT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table[0].m_nTagCount, 0);
  EXPECT_EQ(table[0].m_info.m_nValue, 0x40000010u);
  EXPECT_EQ(table[1].m_nTagCount, 2);
  EXPECT_EQ(table[1].GetTag(0)->tag, 3);
  EXPECT_EQ(table[1].GetTag(0)->subTag, 0xFFFFFFFFu);
  EXPECT_EQ(table[1].GetTag(1)->tag, 0xFF);
  EXPECT_EQ(table[1].GetTag(1)->subTag, 0x102u);
  EXPECT_EQ(table[1].GetTag(2), nullptr);
  EXPECT_FALSE(table[1].m_info.IsValid());

  // Cut inside the second sound's references: count kept, first sound loaded.
  int code = 0;
  bytes.resize(2 + 5 + 7);
  LoadFrom(table, bytes, &code);
  EXPECT_EQ(code, 6);
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table[0].m_info.m_nValue, 0x40000010u);
  EXPECT_FALSE(table[1].m_info.IsValid());
}

TEST(MissionSoundTest, FlagsFromNames) {
  struct Case {
    const char* name;
    uint16_t flags;
  } cases[] = {
      {"m03_guard_male", 0x0022},  {"m06_x_FEMALE", 0x0104}, {"M03_guard_male", 0x0202}, {"m07_guard", 0x0201},
      {"m00_guard", 0x0201},       {"m01", 0x0201},          {"m01_", 0x0009},           {"m02_guard_male_2", 0x0011},
      {"guard_males", 0x0201},     {"", 0x0201},             {"m05_female", 0x0084},     {"m4a_x_male", 0x0202},
  };
  for (const Case& c : cases) {
    CSMMissionSound sound;
    std::string name = c.name;
    std::vector<uint8_t> bytes = std::vector<uint8_t>{static_cast<uint8_t>(name.size()), 0, 0, 0} + Text(name) +
                                 std::vector<uint8_t>{0x10, 0, 0, 0x20};
    EXPECT_EQ(LoadFrom(sound, bytes), static_cast<long>(8 + name.size()));
    EXPECT_EQ(sound.m_nFlags, c.flags) << c.name;
    EXPECT_EQ(sound.m_info.m_nValue, 0x20000010u);
  }
}

TEST(MissionSoundTest, CutRecordKeepsOldFlags) {
  CSMMissionSoundTable table;
  int code = 0;
  LoadFrom(table, {0x01, 0x00, 3, 0, 0, 0, 'm', '0', '1', 0x00}, &code);
  EXPECT_EQ(code, 6);
  ASSERT_EQ(table.GetCount(), 1);
  EXPECT_EQ(table[0].m_nFlags, 0);
}

TEST(SoundInfoTest, RecordLayout) {
  CSMSoundInfo empty;
  std::vector<uint8_t> unknown(45);
  for (int i = 0; i < 45; ++i) unknown[i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(LoadFrom(empty, unknown + std::vector<uint8_t>{0}), 46);
  EXPECT_EQ(empty.m_unknown[44], 0xA0 + 44);
  EXPECT_EQ(empty.GetFile(0), nullptr);

  CSMSoundInfo info;
  std::vector<uint8_t> file1 = Zeros(4) + std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF} + Zeros(12) + Zeros(20);
  std::vector<uint8_t> file2 = std::vector<uint8_t>{2, 0, 0, 0, 'o', 'k'} + std::vector<uint8_t>{0x34, 0x12, 0, 0xA0} +
                               std::vector<uint8_t>{0, 0, 0, 0, 0x00, 0x01, 0, 0, 9, 0, 0, 0} +
                               std::vector<uint8_t>{1, 0, 0, 0, 'E', 1, 0, 0, 0, 'F', 1, 0, 0, 0, 'I', 1, 0, 0, 0, 'G',
                                                    1, 0, 0, 0, 'S'};
  EXPECT_EQ(file1.size(), 40u);
  std::vector<uint8_t> bytes = unknown + std::vector<uint8_t>{2} + file1 + file2;
  EXPECT_EQ(LoadFrom(info, bytes), static_cast<long>(bytes.size()));
  ASSERT_EQ(info.m_nFileCount, 2);
  EXPECT_TRUE(info.GetFile(0)->IsMissing());
  const CSMSoundFile* f = info.GetFile(1);
  EXPECT_STREQ(f->m_name.GetText(), "ok");
  EXPECT_EQ(f->m_data.GetFile(), 5);
  EXPECT_EQ(f->m_data.GetOffset(), 0x1234);
  EXPECT_TRUE(f->IsOgg());
  EXPECT_EQ(f->GetSize(), 0x100u);
  EXPECT_EQ(f->m_nReserved, 9u);
  EXPECT_STREQ(f->m_subtitles[0].GetText(), "E");
  EXPECT_STREQ(f->m_subtitles[4].GetText(), "S");
  EXPECT_EQ(info.GetFile(2), nullptr);
}

}  // namespace

namespace {

TEST(RecordPoolTest, PiecesDoNotOverlapAndStringsForgetPooledTexts) {
  CSMRecordPool pool;
  std::vector<std::pair<char*, size_t>> pieces;
  for (size_t i = 0; i < 3000; ++i) {
    size_t size = (i * 37) % 700 + 1;
    if (i == 1000) size = CSMRecordPool::kBlockSize;  // a text of its own block
    char* p = pool.Allocate(size);
    memset(p, static_cast<int>(i & 0xFF), size);
    pieces.push_back({p, size});
  }
  for (size_t i = 0; i < pieces.size(); ++i)
    for (size_t j = 0; j < pieces[i].second; j += 97) ASSERT_EQ(static_cast<uint8_t>(pieces[i].first[j]), i & 0xFF) << i;

  TempDir dir;
  dir.Write("s", std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c', 2, 0, 0, 0, 'x'});
  FILE* f = fopen(dir.file("s").c_str(), "rb");
  CArchiver ar;
  ar.Open(f, 1);
  ar.SetRecordPool(&pool);
  {
    CSMString s, cut;
    s.Serialize(ar);
    EXPECT_TRUE(s.m_bPooled);
    EXPECT_STREQ(s.GetText(), "abc");
    try {
      cut.Serialize(ar);
    } catch (const CArchiver::xArchiver&) {
    }
    EXPECT_STREQ(cut.GetText(), "x");  // cut short, still terminated
  }  // the strings leave their texts to the pool
  ar.Close();
  fclose(f);
  pool.Clear();
}

}  // namespace
