#include <gtest/gtest.h>

#include "metafile/Archiver.h"
#include "metafile/SMRecord.h"
#include "tests/support/CatalogueProbes.h"
#include "tests/support/TempDir.h"

namespace {

class ArchiverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Write("f", {0x01, 0x02, 0x03});
    file = fopen(dir.file("f").c_str(), "rb");
  }
  void TearDown() override { fclose(file); }
  TempDir dir;
  FILE* file = nullptr;
};

TEST_F(ArchiverTest, OpenChecksInOrder) {
  CArchiver ar;
  const char* msg = nullptr;
  EXPECT_EQ(CodeOf([&] { ar.Open(nullptr, 7); }, &msg), 3);  // null stream wins over the bad mode
  EXPECT_STREQ(msg, "CArchiver::Open: invalid file!");
  EXPECT_EQ(CodeOf([&] { ar.Open(file, 0); }, &msg), 2);
  EXPECT_STREQ(msg, "CArchiver::Open: invalid parameter!");
  EXPECT_EQ(CodeOf([&] { ar.Open(file, 3); }), 2);
  ar.Open(file, 1);
  EXPECT_EQ(CodeOf([&] { ar.Open(nullptr, 9); }, &msg), 1);  // in use, whatever the arguments
  EXPECT_STREQ(msg, "CArchiver::Open: archiver already in use!");
  EXPECT_EQ(ar.Detach(), file);
}

TEST_F(ArchiverTest, ReadWriteSeekChecks) {
  CArchiver ar;
  uint8_t buf[4] = {};
  const char* msg = "x";
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 1); }, &msg), 3);
  EXPECT_EQ(msg, nullptr);
  EXPECT_EQ(CodeOf([&] { ar.Seek(0, SEEK_SET); }), 3);
  ar.Open(file, 1);
  EXPECT_EQ(CodeOf([&] { ar.Write(buf, 1); }), 4);
  EXPECT_EQ(CodeOf([&] { ar.Read(nullptr, 0); }), 9);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 0); }), 0);
  EXPECT_EQ(ftell(file), 0);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 4); }), 6);  // 3 bytes left
  EXPECT_EQ(CodeOf([&] { ar.Seek(100, SEEK_SET); }), 0);  // past the end is fine for fseek
  EXPECT_EQ(CodeOf([&] { ar.Seek(-1000, SEEK_SET); }), 8);
  ar.Close();
  EXPECT_FALSE(ar.IsOpen());
  // The stream stays open after Close.
  EXPECT_EQ(fseek(file, 0, SEEK_SET), 0);
  EXPECT_EQ(fgetc(file), 0x01);
}

TEST(ArchiverStoreTest, CloseFlushesDetachDoesNot) {
  TempDir dir;
  FILE* out = fopen(dir.file("o").c_str(), "wb");
  CArchiver ar;
  ar.Open(out, 2);
  uint8_t buf[2] = {0xAA, 0xBB};
  ar.Write(buf, 2);
  EXPECT_EQ(CodeOf([&] { ar.Read(buf, 1); }), 4);
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

TEST(RecordPrimitivesTest, StringsOffsetsAndRefusedStores) {
  TempDir dir;
  dir.Write("s", std::vector<uint8_t>{0, 0, 0, 0} + std::vector<uint8_t>{5, 0, 0, 0} + Text("hello") +
                     std::vector<uint8_t>{0x00, 0x00, 0x00, 0xC0} + std::vector<uint8_t>{9, 0, 0, 0} + Text("cut"));
  FILE* f = fopen(dir.file("s").c_str(), "rb");
  CArchiver ar;
  ar.Open(f, 1);
  CSMString empty, hello, cut;
  empty.Serialize(ar);
  EXPECT_EQ(ftell(f), 4);
  EXPECT_EQ(empty.m_pszText, nullptr);
  EXPECT_STREQ(empty.GetText(), "");
  hello.Serialize(ar);
  EXPECT_EQ(ftell(f), 13);
  EXPECT_EQ(hello.m_nLength, 5u);
  EXPECT_STREQ(hello.GetText(), "hello");
  CSMOffset off;
  off.Serialize(ar);
  EXPECT_EQ(off.GetFile(), 6);
  EXPECT_EQ(CodeOf([&] { cut.Serialize(ar); }), 6);
  EXPECT_EQ(strlen(cut.GetText()), 3u);  // what was read stays terminated
  ar.Close();
  fclose(f);

  FILE* out = fopen(dir.file("o").c_str(), "wb");
  ar.Open(out, 2);
  const char* msg = "x";
  EXPECT_EQ(CodeOf([&] { off.Serialize(ar); }, &msg), 10);
  EXPECT_STREQ(msg, "CSMOffset::Serialize [storing]");
  EXPECT_EQ(CodeOf([&] { hello.Serialize(ar); }, &msg), 10);
  EXPECT_EQ(msg, nullptr);
  ar.Close();
  fclose(out);

  // A closed archiver: nothing happens.
  CSMOffset untouched;
  untouched.Set(1, 2);
  untouched.Serialize(ar);
  EXPECT_EQ(untouched.m_nValue, 0x20000002u);
}

TEST(RecordPrimitivesTest, HugeLengthsFailWithoutAllocating) {
  TempDir dir;
  dir.Write("s", std::vector<uint8_t>{0xF0, 0xFF, 0xFF, 0xFF} + Text("abc"));
  dir.Write("a", std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F} + Zeros(16));
  FILE* f = fopen(dir.file("s").c_str(), "rb");
  CArchiver ar;
  ar.Open(f, 1);
  CSMString s;
  EXPECT_EQ(CodeOf([&] { s.Serialize(ar); }), 6);
  EXPECT_EQ(s.m_pszText, nullptr);
  ar.Close();
  fclose(f);

  f = fopen(dir.file("a").c_str(), "rb");
  ar.Open(f, 1);
  CSMArray<CSMOffset> array;
  EXPECT_EQ(CodeOf([&] { array.Serialize(ar); }), 6);
  EXPECT_EQ(array.m_pData, nullptr);
  ar.Close();
  fclose(f);
}

TEST(RecordPrimitivesTest, ArrayIndexAndReload) {
  TempDir dir;
  dir.Write("a", std::vector<uint8_t>{2, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0} + std::vector<uint8_t>{3, 0, 0, 0, 9, 9});
  FILE* f = fopen(dir.file("a").c_str(), "rb");
  CArchiver ar;
  ar.Open(f, 1);
  CSMArray<CSMOffset> array;
  array.Serialize(ar);
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
  EXPECT_EQ(CodeOf([&] { array.Serialize(ar); }), 6);
  ASSERT_EQ(array.GetCount(), 3);
  EXPECT_FALSE(array[1].IsValid());
  EXPECT_FALSE(array[2].IsValid());
  ar.Close();
  fclose(f);
}

}  // namespace
