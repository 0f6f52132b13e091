#include <gtest/gtest.h>

#include "metafile/MissionSounds.h"
#include "metafile/SMRecordPool.h"
#include "metafile/SoundInfo.h"
#include "metafile/SoundTags.h"
#include "tests/support/CatalogueProbes.h"

namespace {

// Loads a record from literal bytes: the error code (0 for none) and the bytes consumed.
struct Loaded {
  int code;
  long used;
};
template <class T>
Loaded Load(T& record, const std::vector<uint8_t>& bytes) {
  Loading in(bytes);
  int code = CodeOf([&] { record.Serialize(in.ar); });
  return {code, ftell(in.file)};
}

TEST(RecordPrimitivesTest, StringsAndOffsetsLoad) {
  Loading in(Zeros(4) + std::vector<uint8_t>{5, 0, 0, 0} + Text("hello") + std::vector<uint8_t>{0, 0, 0, 0xC0} +
             std::vector<uint8_t>{9, 0, 0, 0} + Text("cut"));
  CSMString empty, hello, cut;
  empty.Serialize(in.ar);
  EXPECT_EQ(ftell(in.file), 4);
  EXPECT_EQ(empty.m_pszText, nullptr);
  EXPECT_EQ(empty.GetText(), "");
  hello.Serialize(in.ar);
  EXPECT_EQ(ftell(in.file), 13);
  EXPECT_EQ(hello.m_nLength, 5u);
  EXPECT_EQ(hello.GetText(), "hello");
  CSMOffset off;
  off.Serialize(in.ar);
  EXPECT_EQ(off.GetFile(), 6);
  EXPECT_EQ(CodeOf([&] { cut.Serialize(in.ar); }), 6);
  EXPECT_EQ(cut.GetText(), "cut");  // what was read is kept
}

TEST(RecordPrimitivesTest, HugeLengthsFailWithoutAllocating) {
  CSMString s;
  EXPECT_EQ(Load(s, std::vector<uint8_t>{0xF0, 0xFF, 0xFF, 0xFF} + Text("abc")).code, 6);
  EXPECT_EQ(s.m_pszText, nullptr);
  CSMArray<CSMOffset> array;
  EXPECT_EQ(Load(array, std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F} + Zeros(16)).code, 6);
  EXPECT_EQ(array.m_pData, nullptr);
}

TEST(RecordPrimitivesTest, ArrayIndexAndReload) {
  Loading in({2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 9, 9});
  CSMArray<CSMOffset> array;
  array.Serialize(in.ar);
  ASSERT_EQ(array.GetCount(), 2);
  EXPECT_EQ(array[1].m_nValue, 2u);
  for (int bad : {-1, 2}) {
    try {
      array[bad];
      ADD_FAILURE() << "index " << bad << " accepted";
    } catch (const CSMArray<CSMOffset>::xSMArray& e) {
      EXPECT_EQ(e.code, 1);
      EXPECT_STREQ(e.message, "CSMArray<T>::operator[] Index out of range!");
    }
  }
  // Reloading destroys the old elements first; a failing element keeps the count and the rest default.
  EXPECT_EQ(CodeOf([&] { array.Serialize(in.ar); }), 6);
  ASSERT_EQ(array.GetCount(), 3);
  EXPECT_FALSE(array[1].IsValid());
  EXPECT_FALSE(array[2].IsValid());
}

TEST(RecordPoolTest, PiecesDoNotOverlap) {
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
  pool.Clear();
}

TEST(SoundTagTest, TableOfPlusAndPlainTags) {
  CSMSoundTagTable table;
  std::vector<uint8_t> bytes = {0x04};                                  // 4 tags
  bytes = bytes + std::vector<uint8_t>{2, 0, 0, 0, '+', 'a', 7, 0};     // '+' name, extra 7, no sub-tags: 8 bytes
  bytes = bytes + std::vector<uint8_t>{3, 0, 0, 0, 'x', '+', 'y'};      // '+' not first: no sub-tag part
  bytes = bytes + std::vector<uint8_t>{0, 0, 0, 0};                     // empty name
  bytes = bytes + std::vector<uint8_t>{4, 0, 0, 0, '+', 'V', 'o', 'x', 1, 2, 4, 0, 0, 0, 'C', 'a', 'l', 'm', 0, 0, 0, 0};
  EXPECT_EQ(Load(table, bytes).used, static_cast<long>(bytes.size()));
  ASSERT_EQ(table.GetCount(), 4);
  EXPECT_EQ(table[0].m_nExtra, 7);
  EXPECT_EQ(table[0].m_nSubCount, 0);
  EXPECT_EQ(table[0].m_pSubNames, nullptr);
  EXPECT_EQ(table[1].GetSubName(-1), "x+y");
  EXPECT_EQ(table[2].GetSubName(-1), "");
  EXPECT_EQ(table[2].GetSubName(0).data(), nullptr);
  EXPECT_EQ(table[3].m_nExtra, 1);
  ASSERT_EQ(table[3].m_nSubCount, 2);
  EXPECT_EQ(table[3].GetSubName(0), "Calm");
  EXPECT_EQ(table[3].GetSubName(1), "");
  EXPECT_EQ(table[3].GetSubName(2).data(), nullptr);
  EXPECT_EQ(table[3].GetSubName(-2).data(), nullptr);
}

TEST(TaggedSoundTest, ReferencesAndTableWidth) {
  CSMTaggedSoundTable table;
  std::vector<uint8_t> bytes = {0x02, 0x00};
  bytes = bytes + std::vector<uint8_t>{0, 0x10, 0, 0, 0x40};  // no references: 5 bytes
  bytes = bytes + std::vector<uint8_t>{2, 3, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x02, 0x01, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(Load(table, bytes).used, 2 + 5 + 15);
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
  bytes.resize(2 + 5 + 7);
  EXPECT_EQ(Load(table, bytes).code, 6);
  EXPECT_EQ(table.GetCount(), 2);
  EXPECT_EQ(table[0].m_info.m_nValue, 0x40000010u);
  EXPECT_FALSE(table[1].m_info.IsValid());
}

TEST(MissionSoundTest, FlagsFromNamesAndCutRecord) {
  struct {
    const char* name;
    uint16_t flags;
  } cases[] = {
      {"m03_guard_male", 0x0022},  {"m06_x_FEMALE", 0x0104}, {"M03_guard_male", 0x0202}, {"m07_guard", 0x0201},
      {"m00_guard", 0x0201},       {"m01", 0x0201},          {"m01_", 0x0009},           {"m02_guard_male_2", 0x0011},
      {"guard_males", 0x0201},     {"", 0x0201},             {"m05_female", 0x0084},     {"m4a_x_male", 0x0202},
  };
  for (const auto& c : cases) {
    CSMMissionSound sound;
    std::string name = c.name;
    std::vector<uint8_t> bytes = std::vector<uint8_t>{static_cast<uint8_t>(name.size()), 0, 0, 0} + Text(name) +
                                 std::vector<uint8_t>{0x10, 0, 0, 0x20};
    EXPECT_EQ(Load(sound, bytes).used, static_cast<long>(8 + name.size()));
    EXPECT_EQ(sound.m_nFlags, c.flags) << c.name;
    EXPECT_EQ(sound.m_info.m_nValue, 0x20000010u);
  }
  // A record cut inside its offset keeps the old flags.
  CSMMissionSoundTable table;
  EXPECT_EQ(Load(table, {0x01, 0x00, 3, 0, 0, 0, 'm', '0', '1', 0x00}).code, 6);
  ASSERT_EQ(table.GetCount(), 1);
  EXPECT_EQ(table[0].m_nFlags, 0);
}

TEST(SoundInfoTest, RecordLayout) {
  CSMSoundInfo empty;
  std::vector<uint8_t> unknown(45);
  for (int i = 0; i < 45; ++i) unknown[i] = static_cast<uint8_t>(0xA0 + i);
  EXPECT_EQ(Load(empty, unknown + std::vector<uint8_t>{0}).used, 46);
  EXPECT_EQ(empty.m_unknown[44], 0xA0 + 44);
  EXPECT_EQ(empty.GetFile(0), nullptr);

  CSMSoundInfo info;
  std::vector<uint8_t> file1 = Zeros(4) + std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF} + Zeros(32);  // missing
  // "ok": Ogg data at 5:0x1234, 0x100 bytes, reserved 9, then the five subtitles.
  std::vector<uint8_t> file2 = {2, 0, 0, 0, 'o', 'k', 0x34, 0x12, 0, 0xA0, 0, 0, 0, 0, 0x00, 0x01, 0, 0, 9, 0, 0, 0};
  for (char c : std::string("EFIGS")) file2 = file2 + std::vector<uint8_t>{1, 0, 0, 0, static_cast<uint8_t>(c)};
  std::vector<uint8_t> bytes = unknown + std::vector<uint8_t>{2} + file1 + file2;
  EXPECT_EQ(Load(info, bytes).used, static_cast<long>(bytes.size()));
  ASSERT_EQ(info.m_nFileCount, 2);
  EXPECT_TRUE(info.GetFile(0)->IsMissing());
  const CSMSoundFile* f = info.GetFile(1);
  EXPECT_EQ(f->m_name.GetText(), "ok");
  EXPECT_EQ(f->m_data.GetFile(), 5);
  EXPECT_EQ(f->m_data.GetOffset(), 0x1234);
  EXPECT_TRUE(f->IsOgg());
  EXPECT_EQ(f->GetSize(), 0x100u);
  EXPECT_EQ(f->m_nReserved, 9u);
  EXPECT_EQ(f->m_subtitles[0].GetText(), "E");
  EXPECT_EQ(f->m_subtitles[4].GetText(), "S");
  EXPECT_EQ(info.GetFile(2), nullptr);
}

// The hard-drive file: header, no tags, three tagged and two mission sounds, then one record at byte 49.
// DVD2: a record without files at 0x10.
TEST(SoundInfoTableTest, OneReadPerDistinctRecordInAddressOrder) {
  std::vector<uint8_t> f2 = Zeros(13) + std::vector<uint8_t>{0x00, 0x03, 0x00};
  for (uint32_t info : {0x40000031u, 0xFFFFFFFFu, 0x80000010u}) f2 = f2 + std::vector<uint8_t>{0x00} + Le32(info);
  f2 = f2 + std::vector<uint8_t>{0x02, 0x00} + Zeros(4) + Le32(0x40000031) + Zeros(4) + Le32(0x40000031);
  f2 = f2 + std::vector<uint8_t>(45, 0x5A) + std::vector<uint8_t>{0x01} + std::vector<uint8_t>{1, 0, 0, 0, 'a'} +
       Le32(0x60000005) + Le32(0x10) + Le32(0) + Le32(7) + Zeros(20);
  TempDir dir;
  dir.Write("SchemaMetafile_Harddrive.csc", f2);
  dir.Write("SchemaMetafile_DVD2.csc", Zeros(0x10) + std::vector<uint8_t>(45, 0xEE) + std::vector<uint8_t>{0});
  CountingCatalogue catalogue;
  RecordingSink sink;
  ASSERT_TRUE(catalogue.Load(dir.dir().c_str(), &sink));
  const CSMSoundInfoTable& infos = catalogue.m_soundInfos;
  EXPECT_EQ(infos.GetCount(), 5);  // one slot per sound
  EXPECT_EQ(infos.GetLoadedCount(), 2);
  const CSMSoundInfo* shared = infos.GetTaggedSoundInfo(0);
  ASSERT_NE(shared, nullptr);
  EXPECT_EQ(shared, &infos.m_pData[0]);  // file 2 comes before file 4
  EXPECT_EQ(infos.GetMissionSoundInfo(0), shared);
  EXPECT_EQ(infos.GetMissionSoundInfo(1), shared);
  EXPECT_EQ(infos.GetTaggedSoundInfo(1), nullptr);
  const CSMSoundInfo* far = infos.GetTaggedSoundInfo(2);
  ASSERT_NE(far, nullptr);
  EXPECT_EQ(far->m_nFileCount, 0);
  EXPECT_EQ(far->m_unknown[0], 0xEE);
  EXPECT_EQ(shared->GetFile(0)->m_nReserved, 7u);
  EXPECT_EQ(infos.GetTaggedSoundInfo(-1), nullptr);
  EXPECT_EQ(infos.GetTaggedSoundInfo(3), nullptr);
  EXPECT_EQ(infos.GetMissionSoundInfo(2), nullptr);
  EXPECT_EQ(catalogue.opens[2], 2);  // the tables, then the build
  EXPECT_EQ(catalogue.opens[4], 1);
  EXPECT_EQ(catalogue.opens.count(3), 0u);
  // Fewer than 40 sounds: a step per sound.
  std::vector<std::string> expected = {"SetStage(0,1,Reading Sound Tags...)",    "Step(0)",
                                       "SetStage(0,1,Reading Tagged Sounds...)", "Step(0)",
                                       "SetStage(0,1,Reading Mission Sounds...)", "Step(0)",
                                       "SetStage(0,40,Reading Sound Information...)"};
  expected.insert(expected.end(), 5, "Step(0)");
  EXPECT_EQ(sink.calls, expected);

  // Without DVD2 its record is null, and the load still succeeds.
  std::filesystem::remove(dir.file("SchemaMetafile_DVD2.csc"));
  ASSERT_TRUE(catalogue.Load(dir.dir().c_str(), nullptr));
  EXPECT_NE(infos.GetTaggedSoundInfo(0), nullptr);
  EXPECT_EQ(infos.GetTaggedSoundInfo(2), nullptr);
}

// 300 records 50 bytes apart in DVD2, each naming everything up to a common end: the set is
// 15 KB, but reading every record would take 2.2 MB and keep it.
TEST(SoundInfoTableTest, RecordsReadingTheSameBytesOverAndOverEndTheLoad) {
  const uint32_t kRecords = 300, kStep = 50, kEnd = kRecords * kStep;
  std::vector<uint8_t> ladder;
  for (uint32_t k = 0; k < kRecords; ++k)
    ladder = ladder + Zeros(45) + std::vector<uint8_t>{1} + Le32(kEnd - (k * kStep + kStep));
  ladder = ladder + Le32(0xFFFFFFFF) + Zeros(12 + 5 * 4);
  MetafileSetWriter w;
  w.AddData(4, ladder, 0x10);
  for (uint32_t k = 0; k < kRecords; ++k)
    w.taggedSounds.push_back({{}, MetafileSetWriter::Address::Raw(0x80000010 + k * kStep)});
  TempDir dir;
  ASSERT_TRUE(w.Write(dir.path()));
  CSoundCatalogue catalogue;
  const LoadPrinted loaded = LoadPrinting(catalogue, dir.dir());
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.printed,
            "CArchiver exception!\nErrorCode = 0x0006, Message = \"CSMSoundInfoTable::Build: records overlap\"\n");
  EXPECT_LT(catalogue.m_soundInfos.GetLoadedCount(), static_cast<int32_t>(kRecords));

  // A few records inside others still load.
  w.taggedSounds.resize(20);
  catalogue.Clear();  // Windows refuses to rewrite a file that is still mapped
  ASSERT_TRUE(WriteAndLoad(w, dir, catalogue));
  EXPECT_EQ(catalogue.m_soundInfos.GetLoadedCount(), 20);
  EXPECT_EQ(catalogue.m_soundInfos.GetTaggedSoundInfo(19)->GetFile(0)->m_name.m_nLength, kEnd - 20 * kStep);
}

TEST(SoundInfoTableTest, ProgressStepsEveryIntervalAndRefusesSerialize) {
  TempDir dir;
  MetafileSetWriter w;
  for (int i = 0; i < 100; ++i) w.missionSounds.push_back({"m01_x", MetafileSetWriter::Address()});
  ASSERT_TRUE(w.Write(dir.path()));
  CSoundCatalogue catalogue;
  RecordingSink sink;
  ASSERT_TRUE(catalogue.Load(dir.dir().c_str(), &sink));
  EXPECT_EQ(catalogue.m_soundInfos.GetLoadedCount(), 0);
  EXPECT_EQ(std::count(sink.calls.begin(), sink.calls.end(), "SetStage(0,40,Reading Sound Information...)"), 1);
  EXPECT_EQ(std::count(sink.calls.begin(), sink.calls.end(), "Step(0)"), 3 + 50);

  CArchiver closed;
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { catalogue.m_soundInfos.Serialize(closed); }, &msg), 10);
  EXPECT_STREQ(msg, "CSMSoundInfoTable::Serialize Serialize NOT ALLOWED!");
}

}  // namespace
