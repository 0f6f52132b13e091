#include <gtest/gtest.h>

#include <map>

#include "catalogue/SoundCatalogue.h"
#include "tests/support/CatalogueProbes.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"

namespace {

std::vector<uint8_t> Le32(uint32_t v) {
  return {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
}

// File 2: header, no tags, three tagged and two mission sounds, then one record at byte 49.
// File 4: a record without files at 0x10.
void WriteLiteralSet(const TempDir& dir) {
  std::vector<uint8_t> f2 = Zeros(13) + std::vector<uint8_t>{0x00} + std::vector<uint8_t>{0x03, 0x00};
  f2 = f2 + std::vector<uint8_t>{0x00} + Le32(0x40000031);
  f2 = f2 + std::vector<uint8_t>{0x00} + Le32(0xFFFFFFFF);
  f2 = f2 + std::vector<uint8_t>{0x00} + Le32(0x80000010);
  f2 = f2 + std::vector<uint8_t>{0x02, 0x00};
  f2 = f2 + Zeros(4) + Le32(0x40000031);
  f2 = f2 + Zeros(4) + Le32(0x40000031);
  EXPECT_EQ(f2.size(), 49u);
  std::vector<uint8_t> unknown(45, 0x5A);
  f2 = f2 + unknown + std::vector<uint8_t>{0x01} + std::vector<uint8_t>{1, 0, 0, 0, 'a'} + Le32(0x60000005) + Le32(0x10) +
       Le32(0) + Le32(7) + Zeros(20);
  dir.Write("SchemaMetafile_Harddrive.csc", f2);
  dir.Write("SchemaMetafile_DVD2.csc", Zeros(0x10) + std::vector<uint8_t>(45, 0xEE) + std::vector<uint8_t>{0});
}

TEST(SoundInfoTableTest, OneReadPerDistinctRecordInAddressOrder) {
  TempDir dir;
  WriteLiteralSet(dir);
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
}

TEST(SoundInfoTableTest, MissingMetafileGivesNullAndLaterSeeksFail) {
  TempDir dir;
  WriteLiteralSet(dir);
  std::filesystem::remove(dir.file("SchemaMetafile_DVD2.csc"));
  CSoundCatalogue catalogue;
  EXPECT_TRUE(catalogue.Load(dir.dir().c_str(), nullptr));
  EXPECT_NE(catalogue.m_soundInfos.GetTaggedSoundInfo(0), nullptr);
  EXPECT_EQ(catalogue.m_soundInfos.GetTaggedSoundInfo(2), nullptr);
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
  try {
    catalogue.m_soundInfos.Serialize(closed);
    ADD_FAILURE() << "Serialize accepted";
  } catch (const CArchiver::xArchiver& e) {
    EXPECT_EQ(e.code, 10);
    EXPECT_STREQ(e.message, "CSMSoundInfoTable::Serialize Serialize NOT ALLOWED!");
  }
}

}  // namespace
