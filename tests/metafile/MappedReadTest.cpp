#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

#include "metafile/SMRecordPool.h"
#include "platform/MappedFile.h"
#include "tests/support/CatalogueProbes.h"
#include "tools/SetGenerator.h"

namespace {

// Runs the same calls on an archiver over `path` and writes down what each gave: bytes read,
// error codes, positions.
std::vector<std::string> Script(const std::string& path, CSMRecordPool* pool, long* streamAfterDetach) {
  FILE* file = fopen(path.c_str(), "rb");
  CArchiver ar;
  ar.SetRecordPool(pool);
  ar.Open(file, CArchiver::MODE_LOAD);
  EXPECT_EQ(ar.IsReadingInPlace(), pool != nullptr);
  std::vector<std::string> log;
  auto read = [&](size_t n) {
    std::string bytes(n, '\0');
    int code = CodeOf([&] { ar.Read(bytes.data(), n); });
    log.push_back("read " + std::to_string(n) + " code " + std::to_string(code) + " [" + bytes + "] at " +
                  std::to_string(ar.Tell()) + " left " + std::to_string(ar.BytesLeft()));
  };
  auto seek = [&](int32_t offset, int origin) {
    int code = CodeOf([&] { ar.Seek(offset, origin); });
    log.push_back("seek code " + std::to_string(code) + " at " + std::to_string(ar.Tell()));
  };
  read(0);
  read(4);
  seek(10, SEEK_CUR);
  read(8);
  seek(-3, SEEK_END);
  read(8);  // three bytes left: they are copied, then the read fails
  seek(100, SEEK_SET);  // past the end
  read(1);
  seek(-1, SEEK_SET);
  seek(-30, SEEK_CUR);
  read(2);
  log.push_back("null buffer code " + std::to_string(CodeOf([&] { ar.Read(nullptr, 1); })));
  FILE* detached = ar.Detach();
  *streamAfterDetach = ftell(detached);
  fclose(detached);
  return log;
}

std::vector<uint8_t> Letters(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>('a' + i % 26);
  return bytes;
}

// Every cell of every row and kind, with the record's unknown bytes.
std::vector<std::string> Everything(CSoundCatalogue& catalogue) {
  CSoundListModel& model = catalogue.m_listModel;
  model.Rebuild();
  std::vector<std::string> out;
  for (uint32_t r = 0; r < model.nCount; ++r) {
    for (int k = 0; k < COL_KIND_COUNT; ++k) out.push_back(CellText(model, r, static_cast<ColumnKind>(k)));
    const CSMSoundInfo* info = model.ItemAt(r)->pInfo;
    if (info) out.emplace_back(reinterpret_cast<const char*>(info->m_unknown), CSMSoundInfo::kUnknownSize);
  }
  return out;
}

TEST(MappedReadTest, MappingIsReadExactlyAsTheStream) {
  TempDir dir;
  dir.Write("f", Letters(40));
  CSMRecordPool pool;
  long mappedStream = 0, plainStream = 0;
  const std::vector<std::string> mapped = Script(dir.file("f"), &pool, &mappedStream);
  const std::vector<std::string> plain = Script(dir.file("f"), nullptr, &plainStream);
  EXPECT_EQ(mapped, plain);
  // The stream handed over stands where the reads from the mapping ended.
  EXPECT_EQ(mappedStream, plainStream);

  // Texts come from the mapping as they lie; one cut short by the end of the file is a copy of
  // what was there.
  // (The file lies in `dir`, made before the pool: the pool unmaps it before the folder goes,
  // which Windows needs.)
  dir.Write("s", std::vector<uint8_t>{3, 0, 0, 0, 'a', 'b', 'c', 9, 0, 0, 0, 'x', 'y'});
  FILE* file = fopen(dir.file("s").c_str(), "rb");
  CArchiver ar;
  ar.SetRecordPool(&pool);
  ar.Open(file, CArchiver::MODE_LOAD);
  CSMString whole, cut;
  whole.Serialize(ar);
  EXPECT_EQ(whole.GetText(), "abc");
  EXPECT_FALSE(whole.m_bOwned);
  EXPECT_EQ(CodeOf([&] { cut.Serialize(ar); }), 6);
  EXPECT_EQ(cut.GetText(), "xy");
  EXPECT_EQ(cut.m_nLength, 9u);
  ar.Close();
  fclose(file);
}

TEST(MappedReadTest, MappedAndStreamedLoadsShowTheSame) {
  TempDir dir;
  MetafileSetWriter writer;
  MakeBenchSet(writer, 300, 7);
  ASSERT_TRUE(writer.Write(dir.path()));

  CSoundCatalogue mapped, streamed;
  streamed.m_recordPool.SetMapFiles(false);
  ASSERT_TRUE(mapped.Load(dir.dir().c_str(), nullptr, nullptr));
  ASSERT_TRUE(streamed.Load(dir.dir().c_str(), nullptr, nullptr));
  const std::vector<std::string> a = Everything(mapped), b = Everything(streamed);
  ASSERT_GT(a.size(), 3000u);
  EXPECT_EQ(a, b);
  // The mapped one really reads in place: its texts lie in the mapping, not in copies.
  const CSMSoundFile* file = mapped.m_soundInfos.m_pData[0].GetFile(0);
  ASSERT_NE(file, nullptr);
  EXPECT_FALSE(file->m_subtitles[0].m_bOwned);
  EXPECT_NE(file->m_subtitles[0].m_pszText, streamed.m_soundInfos.m_pData[0].GetFile(0)->m_subtitles[0].m_pszText);
}

TEST(MappedReadTest, FilesCutShortAfterTheLoadReadAsEmpty) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows refuses to shorten a mapped file";
#endif
  TempDir dir;
  MetafileSetWriter writer;
  MakeBenchSet(writer, 200, 3);
  CSoundCatalogue catalogue;
  ASSERT_TRUE(WriteAndLoad(writer, dir, catalogue));
  const size_t rows = Everything(catalogue).size();

  // Another program rewrites the set under the loaded catalogue: every metafile cut to nothing.
  for (int f = 0; f < MetafileSetWriter::kFileCount; ++f)
    ASSERT_EQ(truncate(dir.file(MetafileSetWriter::FileName(f)).c_str(), 0), 0);
  const uint64_t zeroedBefore = CMappedFile::GetZeroedPages();
  const std::vector<std::string> after = Everything(catalogue);
  EXPECT_EQ(after.size(), rows);
  EXPECT_GT(CMappedFile::GetZeroedPages(), zeroedBefore);
  CSoundListModel& model = catalogue.m_listModel;
  for (uint32_t r = 0; r < model.nCount; ++r) {
    const SoundListItem* item = model.ItemAt(r);
    if (!item->pFile) continue;
    for (const CSMString& s : item->pFile->m_subtitles) ASSERT_EQ(s.GetText(), "") << r;
    ASSERT_EQ(item->pInfo->m_unknown[0], 0) << r;
  }

  // A load of what is there now fails as a cut set does.
  EXPECT_FALSE(catalogue.Load(dir.dir().c_str(), nullptr, nullptr));
}

}  // namespace
