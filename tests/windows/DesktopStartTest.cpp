// The desktop program's start on Windows: its --help and --version text reaches a redirected
// output as the same bytes the Linux program writes; a folder counts as writable only when a
// file can be made in it (a folder's read-only attribute says nothing, and Program Files has
// none); the user's Documents folder takes the place of one that is not.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/DesktopStart.h"
#include "platform/WinTypes.h"
#include "tests/support/TempDir.h"

namespace {

TEST(WindowsDesktopStart, TextGoesToARedirectedOutputUnchanged) {
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, nullptr, 0));
  const HANDLE old = GetStdHandle(STD_OUTPUT_HANDLE);
  SetStdHandle(STD_OUTPUT_HANDLE, write);
  const std::string text = "quarn-vantor 1.0 BETA\nZo\xc3\xab\n";
  ShowStartupText(text, false);
  SetStdHandle(STD_OUTPUT_HANDLE, old);
  CloseHandle(write);
  std::string got(64, '\0');
  DWORD n = 0;
  ASSERT_TRUE(ReadFile(read, got.data(), static_cast<DWORD>(got.size()), &n, nullptr));
  CloseHandle(read);
  got.resize(n);
  EXPECT_EQ(got, text);
}

TEST(WindowsDesktopStart, WritableMeansAFileCanBeMadeAndDocumentsIsOne) {
  TempDir dir;
  EXPECT_TRUE(FolderWritable(dir.path()));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));  // the try leaves nothing behind
  EXPECT_FALSE(FolderWritable(dir.file("missing")));
  dir.Write("file", {1});
  EXPECT_FALSE(FolderWritable(dir.file("file")));

  const std::string documents = UserDocumentsFolder();
  ASSERT_FALSE(documents.empty());
  EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::u8path(documents))) << documents;
  EXPECT_TRUE(FolderWritable(documents)) << documents;
  EXPECT_TRUE(MissingDisplay().empty());
}

}  // namespace
