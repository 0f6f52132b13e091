#include <gtest/gtest.h>

#include <map>

#include "metafile/Archiver.h"
#include "metafile/SMFileArchiver.h"
#include "metafile/SMRecord.h"
#include "tests/support/CatalogueProbes.h"
#include "tests/support/TempDir.h"

namespace {

TEST(ArchiverTest, ChecksArgumentsAndState) {
  TempDir dir;
  dir.Write("f", {0x01, 0x02, 0x03});
  FILE* file = fopen(dir.file("f").c_str(), "rb");
  CArchiver ar;
  uint8_t buf[4] = {};
  const char* msg = "x";
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 1); }, &msg), 3);  // closed
  EXPECT_EQ(msg, nullptr);
  EXPECT_EQ(CodeOf([&] { ar.Seek(0, SEEK_SET); }), 3);
  EXPECT_EQ(CodeOf([&] { ar.Open(nullptr, 7); }, &msg), 3);  // null stream wins over the bad mode
  EXPECT_STREQ(msg, "CArchiver::Open: invalid file!");
  EXPECT_EQ(CodeOf([&] { ar.Open(file, 0); }, &msg), 2);
  EXPECT_STREQ(msg, "CArchiver::Open: invalid parameter!");
  EXPECT_EQ(CodeOf([&] { ar.Open(file, 3); }), 2);
  ar.Open(file, 1);
  EXPECT_EQ(CodeOf([&] { ar.Open(nullptr, 9); }, &msg), 1);  // in use, whatever the arguments
  EXPECT_STREQ(msg, "CArchiver::Open: archiver already in use!");
  EXPECT_EQ(CodeOf([&] { ar.Write(buf, 1); }), 4);
  EXPECT_EQ(CodeOf([&] { ar.Read(nullptr, 0); }), 9);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 0); }), 0);
  EXPECT_EQ(ftell(file), 0);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 4); }), 6);  // 3 bytes left
  EXPECT_EQ(CodeOf([&] { ar.Seek(100, SEEK_SET); }), 0);  // past the end is fine for fseek
  EXPECT_EQ(CodeOf([&] { ar.Seek(-1000, SEEK_SET); }), 8);
  ar.Close();
  EXPECT_FALSE(ar.IsOpen());
  rewind(file);  // the stream stays open after Close
  EXPECT_EQ(fgetc(file), 0x01);
  fclose(file);
}

TEST(ArchiverTest, StoringRefusesRecordsCloseFlushesDetachDoesNot) {
  TempDir dir;
  FILE* out = fopen(dir.file("o").c_str(), "wb");
  CArchiver ar;
  ar.Open(out, 2);
  uint8_t buf[2] = {0xAA, 0xBB};
  EXPECT_EQ(ar.Tell(), 0);  // known from here on: the write moves it
  ar.Write(buf, 2);
  EXPECT_EQ(ar.Tell(), 2);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 1); }), 4);
  CSMOffset off;
  CSMString text;
  const char* msg = "x";
  EXPECT_EQ(CodeOf([&] { off.Serialize(ar); }, &msg), 10);
  EXPECT_STREQ(msg, "CSMOffset::Serialize [storing]");
  EXPECT_EQ(CodeOf([&] { text.Serialize(ar); }, &msg), 10);
  EXPECT_EQ(msg, nullptr);
  ar.Close();
  EXPECT_EQ(std::filesystem::file_size(dir.file("o")), 2u);  // flushed, still open
  ar.Open(out, 2);
  ar.Write(buf, 2);
  EXPECT_EQ(ar.Detach(), out);
  EXPECT_EQ(std::filesystem::file_size(dir.file("o")), 2u);  // not flushed by Detach
  fclose(out);
  EXPECT_EQ(std::filesystem::file_size(dir.file("o")), 4u);

  // A read-only stream opened for storing fails its first write with code 7.
  FILE* in = fopen(dir.file("o").c_str(), "rb");
  ar.Open(in, 2);
  EXPECT_EQ(CodeOf([&] { ar.Write(buf, 2); }), 7);
  ar.Close();
  fclose(in);
  off.Set(1, 2);
  off.Serialize(ar);  // a closed archiver: nothing happens
  EXPECT_EQ(off.m_nValue, 0x20000002u);
}

TEST(OffsetTest, SetPacksAndRefuses) {
  CSMOffset o;
  EXPECT_EQ(o.m_nValue, 0xFFFFFFFFu);
  EXPECT_TRUE(o.Set(0, 0x1FFFFFFF));
  EXPECT_EQ(o.m_nValue, 0x1FFFFFFFu);
  EXPECT_TRUE(o.Set(5, 0x10));
  EXPECT_EQ(o.m_nValue, 0xA0000010u);
  EXPECT_EQ(o.GetFile(), 5);
  EXPECT_EQ(o.GetOffset(), 0x10);
  for (auto [file, offset] : {std::pair{0, 0x20000000}, {8, 0}, {-1, 0}, {0, -1}}) {
    o.Set(1, 1);
    EXPECT_FALSE(o.Set(file, offset));
    EXPECT_EQ(o.m_nValue, 0xFFFFFFFFu);
  }
  EXPECT_EQ(o.GetFile(), 7);  // an invalid value reads as file 7
}

// Opens "f<N>" (N = 0..5) in a temporary directory and counts the opens; f2 and f4 hold 0x200 bytes.
class FakeSet : public CSMMetafileProvider {
 public:
  FakeSet() {
    std::vector<uint8_t> bytes(0x200);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    dir.Write("f2", bytes);
    for (auto& b : bytes) b ^= 0xFF;
    dir.Write("f4", bytes);
  }
  FILE* OpenMetafile(int32_t n) override {
    ++opens[n];
    return n < 0 || n > 5 ? nullptr : fopen(dir.file("f" + std::to_string(n)).c_str(), "rb");
  }
  TempDir dir;
  std::map<int, int> opens;
};

CSMOffset At(int file, int offset) {
  CSMOffset o;
  o.Set(file, offset);
  return o;
}

TEST(FileArchiverTest, OpenFailuresDetachAndFailedReopen) {
  FakeSet set;
  CSMFileArchiver ar;
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { ar.Open(&set, 3, 1); }, &msg), 5);  // no f3
  EXPECT_STREQ(msg, "CSMFileArchiver::Open: error opening file!");
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_EQ(CodeOf([&] { ar.Open(&set, 2, 5); }), 2);  // bad mode: the new stream is closed again
  EXPECT_FALSE(ar.IsOpen());
  ar.Open(&set, 4, 1);
  EXPECT_EQ(ar.GetPosition().m_nValue, 0x80000000u);
  EXPECT_EQ(CodeOf([&] { ar.Reopen(8); }, &msg), 3);
  EXPECT_STREQ(msg, "CSMFileArchiver::Reopen: invalid file!");
  EXPECT_EQ(CodeOf([&] { ar.Seek(CSMOffset()); }, &msg), 2);
  EXPECT_STREQ(msg, "CSMFileArchiver::Seek: invalid offset!");

  ar.Seek(At(4, 0x20));
  FILE* f = ar.Detach();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_FALSE(ar.GetPosition().IsValid());
  EXPECT_EQ(fgetc(f), 0xDF);
  fclose(f);

  // A failed reopen leaves no stream, and every later seek fails.
  ar.Open(&set, 2, 1);
  CSMOffset six;
  six.m_nValue = 0xC0000000;  // file 6 has no name
  EXPECT_EQ(CodeOf([&] { ar.Seek(six); }), 5);
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_EQ(CodeOf([&] { ar.Seek(At(2, 0)); }), 8);
  EXPECT_EQ(CodeOf([&] { ar.Seek(At(4, 0)); }), 8);
}

TEST(FileArchiverTest, SeeksWithinAndAcrossFiles) {
  FakeSet set;
  CSMFileArchiver ar;
  ar.Open(&set, 2, 1);
  uint8_t b = 0;
  ar.Seek(At(2, 0x100));
  ar.Read(&b, 1);
  EXPECT_EQ(b, 0x00);  // byte 0x100 of f2
  ar.Seek(At(2, 0x40));  // backwards, relative
  ar.Read(&b, 1);
  EXPECT_EQ(b, 0x40);
  EXPECT_EQ(ar.GetPosition().m_nValue, 0x40000041u);

  ar.Seek(At(4, 0x10));
  ar.Read(&b, 1);
  EXPECT_EQ(b, 0xEF);
  ar.Seek(At(4, 0x11));  // the current position: nothing happens
  ar.Seek(At(4, 0x1F0));
  EXPECT_EQ(set.opens[4], 1);
  EXPECT_EQ(set.opens[2], 1);

  // Beyond 29 bits: code 8 and the position becomes invalid.
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { ar.Seek(0x20000000, SEEK_SET); }, &msg), 8);
  EXPECT_STREQ(msg, "CSMFileArchiver::Seek: invalid offset!");
  EXPECT_FALSE(ar.GetPosition().IsValid());
}

}  // namespace
