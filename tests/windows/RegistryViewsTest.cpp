// The registry on Windows: the game's key in the 32-bit view, and the setting kept for the
// current user when the machine's key refuses the write. Every key is made below a test key of
// its own and removed afterwards.
#include <gtest/gtest.h>

#include <string>

#include "catalogue/MetafileLocator.h"
#include "platform/Registry.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"
#include "tools/SetGenerator.h"

// Straight to advapi32 below: the test's own keys and checks.
#undef RegOpenKeyExA
#undef RegCreateKeyExA
#undef RegQueryValueExA
#undef RegSetValueExA
#undef RegCloseKey

namespace {

const char kGamePath[] = "SOFTWARE\\Feldspire\\Quarnhold";
const char kProgramPath[] = "SOFTWARE\\Quarn Vantor";

class RegistryViews : public ::testing::Test {
 protected:
  void SetUp() override { Clean(); }
  void TearDown() override {
    RegDenyMachineWrites(false);
    Clean();
  }
  static void Clean() {
    for (REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kGamePath, view, 0);
      RegDeleteKeyExA(HKEY_LOCAL_MACHINE, kProgramPath, view, 0);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quarn Vantor");
  }
  // Writes a string value straight through advapi32, into the given view.
  static void Put(HKEY root, const char* path, REGSAM view, const char* name, const std::string& text) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key, nullptr), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
    RegCloseKey(key);
  }
  static std::string Set(const TempDir& dir) {
    MetafileSetWriter writer;
    MakeBenchSet(writer, 5);
    EXPECT_TRUE(writer.Write(dir.path()));
    return dir.path();
  }
};

TEST_F(RegistryViews, TheGameIsFoundInThe32BitViewAndItsSetStored) {
  TempDir game;
  const std::filesystem::path sounds = std::filesystem::path(game.path()) / "Content" / "Qrn" / "Sounds";
  std::filesystem::create_directories(sounds);
  MetafileSetWriter writer;
  MakeBenchSet(writer, 5);
  ASSERT_TRUE(writer.Write(sounds.string()));
  Put(HKEY_LOCAL_MACHINE, kGamePath, KEY_WOW64_32KEY, kGameRootValue, game.path());

  std::string found;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(found, nullptr, &where));
  EXPECT_EQ(where.source, MetafileSource::GameInstallation);
  EXPECT_NE(where.origin.find("WOW6432Node"), std::string::npos) << where.origin;
  EXPECT_EQ(where.gameRoot, game.path());
  EXPECT_TRUE(where.stored);
  EXPECT_EQ(found.back(), '\\');
  // The next run finds the stored setting, in the machine's key.
  ASSERT_TRUE(LocateMetafiles(found, nullptr, &where));
  EXPECT_EQ(where.source, MetafileSource::StoredSetting);
  EXPECT_EQ(where.origin, std::string("HKEY_LOCAL_MACHINE\\") + kProgramPath);
}

TEST_F(RegistryViews, ARefusedMachineWriteKeepsTheSettingForTheUser) {
  TempDir set;
  Set(set);
  RegDenyMachineWrites(true);
  std::string result;
  ASSERT_EQ(StoreMetafileDirectory(set.path().c_str(), result), StoreResult::Stored);

  std::string found;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(found, nullptr, &where));
  EXPECT_EQ(where.source, MetafileSource::StoredSetting);
  EXPECT_EQ(where.origin, "HKEY_CURRENT_USER\\SOFTWARE\\Quarn Vantor");
  EXPECT_EQ(found, result);
  // Nothing reached the machine's key.
  HKEY machine = nullptr;
  if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProgramPath, 0, KEY_READ, &machine) == ERROR_SUCCESS) {
    EXPECT_NE(::RegQueryValueExA(machine, kMetafilePathValue, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
    RegCloseKey(machine);
  }
  // Once the machine takes writes again, its value wins and the user's goes.
  RegDenyMachineWrites(false);
  TempDir other;
  Set(other);
  ASSERT_EQ(StoreMetafileDirectory(other.path().c_str(), result), StoreResult::Stored);
  ASSERT_TRUE(LocateMetafiles(found, nullptr, &where));
  EXPECT_EQ(where.origin, std::string("HKEY_LOCAL_MACHINE\\") + kProgramPath);
  EXPECT_EQ(found, result);
}

}  // namespace
