#include <gtest/gtest.h>

#include <map>

#include "catalogue/SoundCatalogue.h"
#include "tests/support/CatalogueProbes.h"
#include "tests/support/TempDir.h"
#include "tools/SetGenerator.h"

namespace {

// Runs Load with the diagnostics captured.
std::string LoadCapturing(CSoundCatalogue& c, const std::string& path, bool& result, IProgressSink* sink = nullptr) {
  FILE* out = tmpfile();
  result = c.Load(path.c_str(), sink, out);
  std::string text(static_cast<size_t>(ftell(out)), '\0');
  rewind(out);
  size_t n = fread(text.data(), 1, text.size(), out);
  text.resize(n);
  fclose(out);
  return text;
}

const std::vector<uint8_t> kEmptyTables = Zeros(13) + std::vector<uint8_t>{0x00, 0x00, 0x00, 0x00, 0x00};

TEST(PathTest, AppendPathAndBasePath) {
  char dir[CSoundCatalogue::kPathSize] = "C:\\x\\";
  CSoundCatalogue::AppendPath(dir, "\\y");
  EXPECT_STREQ(dir, "C:\\x\\y");
  strcpy(dir, "/games/q");
  CSoundCatalogue::AppendPath(dir, "y");
  EXPECT_STREQ(dir, "/games/q/y");
  strcpy(dir, "/games/q/");
  CSoundCatalogue::AppendPath(dir, "/y");
  EXPECT_STREQ(dir, "/games/q/y");
  strcpy(dir, "C:");
  CSoundCatalogue::AppendPath(dir, "\\Games\\");
  EXPECT_STREQ(dir, "C:\\Games\\");
  std::string longName(300, 'n');
  strcpy(dir, "/a");
  EXPECT_FALSE(CSoundCatalogue::AppendPath(dir, longName.c_str()));
  EXPECT_STREQ(dir, "/a");

  CSoundCatalogue c;
  c.SetBasePath("/data/set/");
  std::string a = c.m_szBasePath;
  c.SetBasePath("/data/set/SchemaMetafile_DVD1.csc");
  EXPECT_EQ(a, "/data/set/");
  EXPECT_EQ(std::string(c.m_szBasePath), a);
  c.SetBasePath("C:\\Games\\Q\\x.csc");
  EXPECT_STREQ(c.m_szBasePath, "C:\\Games\\Q\\");

  EXPECT_STREQ(CSoundCatalogue::GetMetafileName(2), "SchemaMetafile_Harddrive.csc");
  for (int n : {6, 7, -1, 8}) {
    EXPECT_EQ(CSoundCatalogue::GetMetafileName(n), nullptr);
    EXPECT_EQ(c.OpenMetafile(n), nullptr);
  }
}

TEST(LoadTest, EmptyTablesAndStages) {
  TempDir dir;
  dir.Write("SchemaMetafile_Harddrive.csc", kEmptyTables);
  CountingCatalogue c;
  RecordingSink sink;
  bool ok = false;
  std::string printed = LoadCapturing(c, dir.dir(), ok, &sink);
  EXPECT_TRUE(ok);
  EXPECT_EQ(printed, "");
  EXPECT_EQ(sink.calls, (std::vector<std::string>{"SetStage(0,1,Reading Sound Tags...)", "Step(0)",
                                                  "SetStage(0,1,Reading Tagged Sounds...)", "Step(0)",
                                                  "SetStage(0,1,Reading Mission Sounds...)", "Step(0)"}));
  EXPECT_EQ(c.opens.size(), 1u);
  EXPECT_EQ(c.m_pProgress, nullptr);
  // The path of a file in the directory loads the same set.
  EXPECT_TRUE(c.Load(dir.file("anything.txt").c_str(), nullptr, nullptr));
  EXPECT_EQ(std::string(c.m_szBasePath), dir.dir());
}

TEST(LoadTest, CutTableFailsWithTwoLines) {
  TempDir dir;
  std::vector<uint8_t> cut(kEmptyTables.begin(), kEmptyTables.end() - 1);
  dir.Write("SchemaMetafile_Harddrive.csc", cut);
  CSoundCatalogue c;
  bool ok = true;
  std::string printed = LoadCapturing(c, dir.dir(), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(printed, "CArchiver exception!\nErrorCode = 0x0006, Message = \"<none>\"\n");
  EXPECT_EQ(c.m_soundTags.GetCount(), 0);
  EXPECT_EQ(c.m_missionSounds.GetCount(), 0);
}

TEST(LoadTest, MissingSetAndSecondLoadEmptiesFirst) {
  TempDir dir;
  MetafileSetWriter w;
  MakeSampleSet(w);
  ASSERT_TRUE(w.Write(dir.path()));
  CSoundCatalogue c;
  bool ok = false;
  LoadCapturing(c, dir.dir(), ok);
  ASSERT_TRUE(ok);
  EXPECT_GT(c.m_taggedSounds.GetCount(), 0);
  c.m_listModel.Rebuild();
  EXPECT_GT(c.m_listModel.nCount, 0u);

  TempDir empty;
  std::string printed = LoadCapturing(c, empty.dir(), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(printed, "CArchiver exception!\nErrorCode = 0x0005, Message = \"CSMFileArchiver::Open: error opening file!\"\n");
  EXPECT_EQ(c.m_soundTags.GetCount(), 0);
  EXPECT_EQ(c.m_taggedSounds.GetCount(), 0);
  EXPECT_EQ(c.m_soundInfos.GetCount(), 0);
  EXPECT_EQ(c.m_listModel.nCount, 0u);

  // A path longer than the base path buffer is refused, never overflowed.
  std::string longPath = "/" + std::string(400, 'd') + "/";
  printed = LoadCapturing(c, longPath, ok);
  EXPECT_FALSE(ok);
  EXPECT_NE(printed.find("0x0005"), std::string::npos);
}

TEST(LoadTest, MetafileNamesMatchIgnoringCase) {
  TempDir dir;
  dir.Write("SCHEMAMETAFILE_HardDrive.CSC", kEmptyTables);
  CSoundCatalogue c;
  EXPECT_TRUE(c.Load(dir.dir().c_str(), nullptr, nullptr));
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
  bool ok = true;
  std::string printed = LoadCapturing(c, dir.dir(), ok);
  EXPECT_FALSE(ok);
  EXPECT_EQ(printed, "CArchiver exception!\nErrorCode = 0x0006, Message = \"<none>\"\n");
  EXPECT_NE(c.m_soundInfos.GetMissionSoundInfo(0), nullptr);
  EXPECT_EQ(c.m_soundInfos.GetMissionSoundInfo(1), nullptr);
}

}  // namespace
