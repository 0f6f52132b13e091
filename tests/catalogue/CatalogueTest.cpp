#include <gtest/gtest.h>

#include "tests/support/CatalogueProbes.h"
#include "tools/SetGenerator.h"

namespace {

const std::vector<uint8_t> kEmptyTables = Zeros(13) + std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x00};
const char kCutDiagnostics[] = "CArchiver exception!\nErrorCode = 0x0006, Message = \"<none>\"\n";

TEST(PathTest, AppendPathBasePathAndNames) {
  std::string longName(300, 'n'), fit(256, 'f'), fitted = "/a/" + fit;  // 259 characters and the end
  struct {
    const char* dir;
    const char* name;
    const char* result;
  } joins[] = {{"C:\\x\\", "\\y", "C:\\x\\y"}, {"/games/q", "y", "/games/q/y"}, {"/games/q/", "/y", "/games/q/y"},
               {"C:", "\\Games\\", "C:\\Games\\"}, {"/a", longName.c_str(), nullptr},
               {"/a", fit.c_str(), fitted.c_str()}};
  for (const auto& j : joins) {
    char dir[CSoundCatalogue::kPathSize];
    strcpy(dir, j.dir);
    EXPECT_EQ(CSoundCatalogue::AppendPath(dir, j.name), j.result != nullptr) << j.dir;
    EXPECT_STREQ(dir, j.result ? j.result : j.dir);  // a refused name leaves the directory alone
  }

  CSoundCatalogue c;
  for (auto [path, base] : {std::pair{"/data/set/", "/data/set/"}, {"/data/set/SchemaMetafile_DVD1.csc", "/data/set/"},
                            {"C:\\Games\\Q\\x.csc", "C:\\Games\\Q\\"}}) {
    c.SetBasePath(path);
    EXPECT_STREQ(c.m_szBasePath, base);
  }
  EXPECT_STREQ(CSoundCatalogue::GetMetafileName(2), "SchemaMetafile_Harddrive.csc");
  for (int n : {6, 7, -1, 8}) {
    EXPECT_EQ(CSoundCatalogue::GetMetafileName(n), nullptr);
    EXPECT_EQ(c.OpenMetafile(n), nullptr);
  }
}

TEST(LoadTest, EmptyTablesStagesAndCutTable) {
  TempDir dir;
  dir.Write("SCHEMAMETAFILE_HardDrive.CSC", kEmptyTables);  // names match ignoring case
  CountingCatalogue c;
  RecordingSink sink;
  LoadPrinted loaded = LoadPrinting(c, dir.dir(), &sink);
  EXPECT_TRUE(loaded.ok);
  EXPECT_EQ(loaded.printed, "");
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"SetStage(0,1,Reading Sound Tags...)", "Step(0)",
                                                  "SetStage(0,1,Reading Tagged Sounds...)", "Step(0)",
                                                  "SetStage(0,1,Reading Mission Sounds...)", "Step(0)"}));
  EXPECT_EQ(c.opens.size(), 1u);
  EXPECT_EQ(c.m_pProgress, nullptr);
  // The path of a file in the directory loads the same set.
  EXPECT_TRUE(c.Load(dir.file("anything.txt").c_str(), nullptr, nullptr));
  EXPECT_EQ(std::string(c.m_szBasePath), dir.dir());

  dir.Write("SCHEMAMETAFILE_HardDrive.CSC", std::vector<uint8_t>(kEmptyTables.begin(), kEmptyTables.end() - 1));
  loaded = LoadPrinting(c, dir.dir());
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.printed, kCutDiagnostics);
}

TEST(LoadTest, MissingSetAndSecondLoadEmptiesFirst) {
  TempDir dir;
  MetafileSetWriter w;
  MakeSampleSet(w);
  CSoundCatalogue c;
  ASSERT_TRUE(WriteAndLoad(w, dir, c));
  EXPECT_GT(c.m_taggedSounds.GetCount(), 0);
  c.m_listModel.Rebuild();
  EXPECT_GT(c.m_listModel.nCount, 0u);

  TempDir empty;
  LoadPrinted loaded = LoadPrinting(c, empty.dir());
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.printed,
            "CArchiver exception!\nErrorCode = 0x0005, Message = \"CSMFileArchiver::Open: error opening file!\"\n");
  EXPECT_EQ(c.m_soundTags.GetCount(), 0);
  EXPECT_EQ(c.m_taggedSounds.GetCount(), 0);
  EXPECT_EQ(c.m_soundInfos.GetCount(), 0);
  EXPECT_EQ(c.m_listModel.nCount, 0u);

  // A path longer than the base path buffer is refused, never overflowed.
  loaded = LoadPrinting(c, "/" + std::string(400, 'd') + "/");
  EXPECT_FALSE(loaded.ok);
  EXPECT_NE(loaded.printed.find("0x0005"), std::string::npos);
}

TEST(LoadTest, CutRecordFailsAfterAssigningEarlierPointers) {
  TempDir dir;
  MetafileSetWriter w;
  MetafileSetWriter::SoundInfo first, second;
  first.files.resize(1);
  second.files.resize(1);
  second.files[0].subtitles[4] = "the last subtitle, cut short";
  int a = w.AddRecord(2, first);
  int b = w.AddRecord(2, second);
  w.missionSounds = {{"m01_a", MetafileSetWriter::Address::Item(a)}, {"m01_b", MetafileSetWriter::Address::Item(b)}};
  w.Layout();
  std::vector<uint8_t> f2 = w.FileBytes(2);
  f2.resize(f2.size() - 5);
  ASSERT_TRUE(w.Write(dir.path()));
  dir.Write("SchemaMetafile_Harddrive.csc", f2);
  CSoundCatalogue c;
  LoadPrinted loaded = LoadPrinting(c, dir.dir());
  EXPECT_FALSE(loaded.ok);
  EXPECT_EQ(loaded.printed, kCutDiagnostics);
  EXPECT_NE(c.m_soundInfos.GetMissionSoundInfo(0), nullptr);
  EXPECT_EQ(c.m_soundInfos.GetMissionSoundInfo(1), nullptr);
}

}  // namespace
