#include <gtest/gtest.h>

#include <map>

#include "metafile/SMFileArchiver.h"
#include "tests/support/CatalogueProbes.h"
#include "tests/support/TempDir.h"

namespace {

// Opens "f<N>" in a temporary directory and counts the opens.
class FakeSet : public CSMMetafileProvider {
 public:
  FILE* OpenMetafile(int32_t n) override {
    ++opens[n];
    if (n < 0 || n > 5) return nullptr;
    return fopen(dir.file("f" + std::to_string(n)).c_str(), "rb");
  }
  TempDir dir;
  std::map<int, int> opens;
};

CSMOffset At(int file, int offset) {
  CSMOffset o;
  o.Set(file, offset);
  return o;
}

class FileArchiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<uint8_t> bytes(0x200);
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
    set.dir.Write("f2", bytes);
    for (auto& b : bytes) b ^= 0xFF;
    set.dir.Write("f4", bytes);
  }
  FakeSet set;
};

TEST_F(FileArchiverTest, OpenAndFailures) {
  CSMFileArchiver ar;
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { ar.Open(&set, 3, 1); }, &msg), 5);  // no f3
  EXPECT_STREQ(msg, "CSMFileArchiver::Open: error opening file!");
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_EQ(CodeOf([&] { ar.Open(&set, 2, 5); }), 2);  // bad mode: the new stream is closed again
  EXPECT_FALSE(ar.IsOpen());
  ar.Open(&set, 2, 1);
  EXPECT_EQ(ar.GetPosition().m_nValue, 0x40000000u);
  EXPECT_EQ(CodeOf([&] { ar.Reopen(8); }, &msg), 3);
  EXPECT_STREQ(msg, "CSMFileArchiver::Reopen: invalid file!");
  EXPECT_EQ(CodeOf([&] { ar.Seek(CSMOffset()); }, &msg), 2);
  EXPECT_STREQ(msg, "CSMFileArchiver::Seek: invalid offset!");
}

TEST_F(FileArchiverTest, SeeksWithinAndAcrossFiles) {
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
  EXPECT_EQ(set.opens[4], 1);
  ar.Seek(At(4, 0x11));  // the current position: nothing happens
  EXPECT_EQ(set.opens[4], 1);
  ar.Seek(At(4, 0x1F0));
  EXPECT_EQ(set.opens[4], 1);
  EXPECT_EQ(set.opens[2], 1);

  // Beyond 29 bits: code 8 and the position becomes invalid.
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { ar.Seek(0x20000000, SEEK_SET); }, &msg), 8);
  EXPECT_STREQ(msg, "CSMFileArchiver::Seek: invalid offset!");
  EXPECT_FALSE(ar.GetPosition().IsValid());
}

TEST_F(FileArchiverTest, FailedReopenLeavesNoStream) {
  CSMFileArchiver ar;
  ar.Open(&set, 2, 1);
  CSMOffset six;
  six.m_nValue = 0xC0000000;  // file 6 has no name
  EXPECT_EQ(CodeOf([&] { ar.Seek(six); }), 5);
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_EQ(CodeOf([&] { ar.Seek(At(2, 0)); }), 8);  // every later seek fails
  EXPECT_EQ(CodeOf([&] { ar.Seek(At(4, 0)); }), 8);
}

TEST_F(FileArchiverTest, DetachHandsOverTheStream) {
  CSMFileArchiver ar;
  ar.Open(&set, 4, 1);
  ar.Seek(At(4, 0x20));
  FILE* f = ar.Detach();
  ASSERT_NE(f, nullptr);
  EXPECT_FALSE(ar.IsOpen());
  EXPECT_FALSE(ar.GetPosition().IsValid());
  EXPECT_EQ(fgetc(f), 0xDF);
  fclose(f);
}

}  // namespace
