// A set the game has open without sharing (a metafile locked by another program) and a set in
// a read-only folder: what Windows refuses, the catalogue and the export workers refuse cleanly.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "export/SoundExport.h"
#include "tests/export/ExportTestSupport.h"

namespace {

// The file held open by "another program": no sharing at all, as a writer that locks it does.
struct Locked {
  HANDLE h;
  explicit Locked(const std::string& path)
      : h(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~Locked() {
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
  }
};

std::string Printed(FILE* f) {
  std::string text(4096, '\0');
  rewind(f);
  text.resize(fread(text.data(), 1, text.size(), f));
  return text;
}

std::vector<SetSound> Sounds() {
  return {{"tone", PcmWave(Pcm(1, 22050), AsBytes(Tone(2000, 1, 22050, 440))), false, 3},  // in DVD1
          {"voice", Text("OggS") + Bytes(500, 0x5A), true, 3}};
}

TEST(WindowsLockedSet, ALockedMetafileIsRefusedWithAMessageAndFreedLater) {
  LoadedSoundSet set(Sounds());
  InTempDir out;
  {
    Locked data(set.dir.file("SchemaMetafile_DVD1.csc"));
    ASSERT_NE(data.h, INVALID_HANDLE_VALUE) << GetLastError();
    // The sounds stay listed; their bytes cannot be read while the lock lasts.
    for (int row : {0, 1}) {
      std::string why;
      EXPECT_FALSE(ExtractWave(&set.model(), set.item(row), &why)) << row;
      EXPECT_EQ(why, "cannot read SchemaMetafile_DVD1.csc") << row;
      EXPECT_FALSE(ExtractRaw(&set.model(), set.item(row)));
      EXPECT_FALSE(PlayItem(&set.model(), set.item(row)));
    }
    EXPECT_TRUE(std::filesystem::is_empty("."));  // nothing half-written

    Locked tables(set.dir.file("SchemaMetafile_Harddrive.csc"));
    ASSERT_NE(tables.h, INVALID_HANDLE_VALUE) << GetLastError();
    CSoundCatalogue again;
    FILE* printed = tmpfile();
    EXPECT_FALSE(again.Load(set.dir.dir().c_str(), nullptr, printed));
    EXPECT_EQ(Printed(printed),
              "CArchiver exception!\nErrorCode = 0x0005, Message = \"CSMFileArchiver::Open: error opening file!\"\n");
    fclose(printed);
    EXPECT_EQ(again.m_taggedSounds.GetCount(), 0);
  }
  // Once the other program lets go, the same rows extract.
  EXPECT_TRUE(ExtractWave(&set.model(), set.item(0)));
  EXPECT_TRUE(ExtractRaw(&set.model(), set.item(1)));
  EXPECT_EQ(ReadFileBytes("voice.ogg"), Sounds()[1].bytes);
}

TEST(WindowsLockedSet, ASetInAReadOnlyFolderLoadsAndExtractsElsewhere) {
  TempDir dir;
  WriteSoundSet(Sounds(), dir.path());
  const std::string names[] = {dir.path(), dir.file("SchemaMetafile_Harddrive.csc"),
                               dir.file("SchemaMetafile_DVD1.csc")};
  for (const std::string& name : names) ASSERT_TRUE(SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_READONLY));
  CSoundCatalogue catalogue;
  EXPECT_TRUE(catalogue.Load(dir.dir().c_str(), nullptr, nullptr));
  catalogue.m_listModel.Rebuild();
  ASSERT_EQ(catalogue.m_listModel.nCount, 2u);
  {
    InTempDir out;
    EXPECT_TRUE(ExtractWave(&catalogue.m_listModel, catalogue.m_listModel.ItemAt(0)));
    EXPECT_EQ(DataChunk(ReadFileBytes("tone.wav")), DataChunk(Sounds()[0].bytes));
  }
  for (const std::string& name : names) SetFileAttributesA(name.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
