#include "platform/Registry.h"
#include "platform/WineRegistry.h"
#include "tests/locate/LocateFixture.h"
#include "tests/support/Shell.h"

namespace {

using RegistryTest = LocateFixture;

TEST_F(RegistryTest, ProgramKeyFollowsWin32Rules) {
  HKEY software = nullptr, program = nullptr, again = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &software), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExA(software, "Quarn Vantor", 0, KEY_READ, &again), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(RegCreateKeyExA(software, "Quarn Vantor", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                            &program, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, DWORD(REG_CREATED_NEW_KEY));
  EXPECT_EQ(Writes(), 0);  // an empty key reaches the file with its first value

  const BYTE data[] = {'a', 'b', 'c', 0, 0xE9};  // bytes that are not UTF-8 survive too
  ASSERT_EQ(RegSetValueExA(program, "Name", 0, REG_BINARY, data, sizeof data), ERROR_SUCCESS);
  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(program, "NAME", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_BINARY));
  EXPECT_EQ(size, sizeof data);
  BYTE buf[8] = {};
  size = 2;
  EXPECT_EQ(RegQueryValueExA(program, "Name", nullptr, nullptr, buf, &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, sizeof data);
  size = sizeof buf;
  EXPECT_EQ(RegQueryValueExA(program, "Name", nullptr, nullptr, buf, &size), ERROR_SUCCESS);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), size), std::string(reinterpret_cast<const char*>(data), 5));
  EXPECT_EQ(RegQueryValueExA(program, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(program, "Name", nullptr, nullptr, buf, nullptr), ERROR_INVALID_PARAMETER);

  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\QUARN VANTOR", 0, KEY_READ, &again), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(again, "Name", 0, REG_SZ, data, 3), ERROR_ACCESS_DENIED);  // read access only
  EXPECT_EQ(RegCloseKey(again), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(again), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegQueryValueExA(again, "Name", nullptr, nullptr, nullptr, &size), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(program), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(software), ERROR_SUCCESS);
}

TEST_F(RegistryTest, WineKeysAreReadOnlyAndDecoded) {
  std::string prefix = MakePrefix(m_home + "/.wine",
                                  "[Software\\\\Feldspire\\\\Quarnhold] 1700000000\n"
                                  "\"Quote\"=\"say \\\"\\xe9t\\xe9\\\"\\t\\\\\\\\srv\\x20ac\"\n"
                                  "\"Octal\"=\"\\101\\18\"\n"
                                  "\"Hex\"=hex(1):51,00,e4,00,\\\n  00,00,41\n"
                                  "\"Count\"=dword:0000002a\n"
                                  "@=\"default\"\n\n"
                                  "[Software\\\\Feldspire\\\\Quarnhold\\\\Sub]\n\"Quote\"=\"other\"\n");
  HKEY game = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\FELDSPIRE\\Quarnhold", 0, KEY_READ, &game), ERROR_SUCCESS);
  auto read = [&](const char* name) {
    char buf[64] = {};
    DWORD size = sizeof buf;
    EXPECT_EQ(RegQueryValueExA(game, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
    return std::string(buf, size);
  };
  EXPECT_EQ(read("quote"), std::string("say \"\xC3\xA9t\xC3\xA9\"\t\\\\srv\xE2\x82\xAC") + '\0');
  EXPECT_EQ(read("Octal"), std::string("A\x01" "8") + '\0');  // up to three octal digits
  EXPECT_EQ(read("Hex"), std::string("Q\xC3\xA4") + '\0');      // the odd last byte is no character
  EXPECT_EQ(read("Count"), std::string("\x2a\0\0\0", 4));
  EXPECT_EQ(read(nullptr), std::string("default") + '\0');
  RegValueOrigin origin;
  EXPECT_EQ(RegQueryValueOrigin(game, "Quote", origin), ERROR_SUCCESS);
  EXPECT_TRUE(origin.winePrefix);
  EXPECT_EQ(origin.path, prefix);

  EXPECT_EQ(RegSetValueExA(game, "Quote", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 1), ERROR_ACCESS_DENIED);
  HKEY created = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Feldspire\\Quarnhold", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &created, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Feldspire\\Missing", 0, KEY_READ, &created),
            ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegCloseKey(game), ERROR_SUCCESS);
  EXPECT_NE(Slurp(prefix + "/system.reg").find("\"Quote\"=\"say"), std::string::npos);
}

TEST(WinePathsTest, SteamLibrariesAndDrives) {
  EXPECT_EQ(ParseSteamLibraryFolders("\"libraryfolders\" { \"contentstatsid\" \"-1\"\n"
                                     "\"0\" { \"path\" \"/home/u/.local/share/Steam\" \"apps\" { \"10\" \"5\" } }\n"
                                     "// comment \"path\" \"/no\"\n"
                                     "\"1\" { \"label\" \"\" \"path\" \"/mnt/My \\\"Games\\\"\" } }"),
            (std::vector<std::string>{"/home/u/.local/share/Steam", "/mnt/My \"Games\""}));
  EXPECT_EQ(ParseSteamLibraryFolders("\"LibraryFolders\" { \"TimeNextStatsReport\" \"1\" \"1\" \"/old/lib\" }"),
            (std::vector<std::string>{"/old/lib"}));
  EXPECT_EQ(MapWindowsPath("/nowhere", "\\\\server\\share"), "");
  EXPECT_EQ(MapWindowsPath("/nowhere", "Q:\\x"), "");
}

}  // namespace
