#include "catalogue/MetafileLocator.h"
#include "platform/Registry.h"
#include "tests/locate/LocateFixture.h"

namespace {

struct ScriptedDialog : IMetafileDialog {
  std::vector<std::string> picks;  // then cancel
  size_t shown = 0;
  bool DoModal(std::string& path) override {
    if (shown++ >= picks.size()) return false;
    path = picks[shown - 1];
    return true;
  }
};

// The stored setting's bytes as the registry returns them.
std::string StoredValue() {
  HKEY software = nullptr, program = nullptr;
  std::string text;
  DWORD size = 0;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &software) == ERROR_SUCCESS &&
      RegOpenKeyExA(software, "Quarn Vantor", 0, KEY_READ, &program) == ERROR_SUCCESS &&
      RegQueryValueExA(program, "SchemaMetafile PATH", nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
    text.resize(size);
    RegQueryValueExA(program, "SchemaMetafile PATH", nullptr, nullptr, reinterpret_cast<BYTE*>(text.data()), &size);
  }
  if (program) RegCloseKey(program);
  if (software) RegCloseKey(software);
  return text;
}

class LocateTest : public LocateFixture {};

TEST_F(LocateTest, StoredSettingIsUsedWithoutWritingOrDialog) {
  std::string set = MakeSet(m_root + "/sets/a");
  MakePrefix(m_home + "/.wine", GameKey("C:\\\\Elsewhere"));
  // Trailing '/' kept, none added to, and a stored terminating zero tolerated.
  for (auto [json, expected] : {std::pair("{\"type\": 1, \"text\": \"" + set + "/\"}", set + "/"),
                                std::pair("{\"type\": 1, \"text\": \"" + set + "\"}", set + "/"),
                                std::pair("{\"type\": 1, \"text\": \"" + set + "\\u0000\"}", set + "/")}) {
    WriteSettings(json);
    ScriptedDialog dialog;
    std::string result;
    MetafileLocation where;
    ASSERT_TRUE(LocateMetafiles(result, &dialog, &where)) << json;
    EXPECT_EQ(result, expected);
    EXPECT_EQ(where.source, MetafileSource::StoredSetting);
    EXPECT_EQ(where.origin, m_settingsDir + "/settings.json");
    EXPECT_FALSE(where.stored);
    EXPECT_EQ(dialog.shown, 0u);
    EXPECT_EQ(Writes(), 0);
  }
}

TEST_F(LocateTest, StaleSettingFallsToGameRootThroughDriveCAndIsReplacedOnce) {
  WriteSettings("{\"type\": 1, \"text\": \"" + MakeSet(m_root + "/old") + "/gone/\"}");
  std::string prefix = MakePrefix(m_home + "/.wine", GameKey("C:\\\\Games\\\\Quarn"));
  MakeSet(prefix + "/drive_c/games/QUARN/content/Qrn/SOUNDS",
          {"schemametafile_memory.csc", "SCHEMAMETAFILE_HARDDRIVE.CSC", "SchemaMetafile_dvd1.csc",
           "SchemaMetafile_DVD2.csc", "SchemaMetafile_DVD3.csc"});
  ScriptedDialog dialog;
  std::string result;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(result, &dialog, &where));
  EXPECT_EQ(result, prefix + "/dosdevices/c:/games/QUARN/content/Qrn/SOUNDS/");
  EXPECT_EQ(where.source, MetafileSource::GameInstallation);
  EXPECT_EQ(where.origin, prefix);
  EXPECT_EQ(where.gameRoot, "C:\\Games\\Quarn");
  EXPECT_TRUE(where.stored);
  EXPECT_EQ(dialog.shown, 0u);
  EXPECT_EQ(Writes(), 1);
  EXPECT_EQ(StoredValue(), result);  // no terminating zero stored
  EXPECT_EQ(fs::directory_iterator(m_settingsDir)->path().filename(), "settings.json");
  EXPECT_EQ(std::distance(fs::directory_iterator(m_settingsDir), {}), 1);  // no temporary left

  // Next run: the stored directory is found first and nothing is written.
  ASSERT_TRUE(LocateMetafiles(result, &dialog, &where));
  EXPECT_EQ(where.source, MetafileSource::StoredSetting);
  EXPECT_EQ(Writes(), 0);
}

TEST_F(LocateTest, GameRootWithSeparatorOnAnotherDriveIn32BitView) {
  std::string prefix = MakePrefix(m_root + "/pfx",
                                  "[software\\\\Wow6432Node\\\\FELDSPIRE\\\\quarnhold] 1700000000\n"
                                  "\"fel_root_pc\"=str(2):\"D:\\\\Qu\\x00e4rn\\\\\"\n");
  fs::create_symlink(m_root + "/disk", prefix + "/dosdevices/d:");
  std::string set = MakeSet(m_root + "/disk/Qu\xC3\xA4rn/Content/Qrn/Sounds");
  setenv("WINEPREFIX", prefix.c_str(), 1);
  std::string result;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(result, nullptr, &where));
  EXPECT_EQ(result, prefix + "/dosdevices/d:/Qu\xC3\xA4rn/Content/Qrn/Sounds/");
  EXPECT_EQ(StoredValue(), result);

  // A root that lacks one variant below it is not taken.
  fs::remove(set + "/SchemaMetafile_DVD3.csc");
  fs::remove(m_settingsDir + "/settings.json");
  EXPECT_FALSE(LocateMetafiles(result, nullptr, &where));
  EXPECT_EQ(where.source, MetafileSource::None);
}

TEST_F(LocateTest, PrefixesAreSearchedInOrder) {
  std::string steam = m_home + "/.local/share/Steam";
  std::string library = m_root + "/games/SteamLibrary";
  Write(steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam +
                                                     "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library +
                                                     "\"\n\t\t\"apps\" { \"42\" \"1\" }\n\t}\n}\n");
  MakePrefix(steam + "/steamapps/compatdata/7/pfx", "[Software\\\\Other]\n\"X\"=\"1\"\n");
  std::vector<std::string> prefixes = {m_root + "/env", m_home + "/.wine", library + "/steamapps/compatdata/42/pfx"};
  for (const std::string& p : prefixes) {
    MakePrefix(p, GameKey("C:\\\\Q"));
    MakeSet(p + "/drive_c/Q/Content/Qrn/Sounds");
  }
  // A prefix with the key but without the value is passed over.
  MakePrefix(m_root + "/no-game", "[Software\\\\Feldspire\\\\Quarnhold]\n\"Other\"=\"C:\\\\Q\"\n");
  setenv("WINEPREFIX", (m_root + "/no-game").c_str(), 1);
  std::string result;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(result, nullptr, &where));
  EXPECT_EQ(where.origin, prefixes[1]);
  fs::remove(m_settingsDir + "/settings.json");

  setenv("WINEPREFIX", prefixes[0].c_str(), 1);
  for (const std::string& p : prefixes) {
    ASSERT_TRUE(LocateMetafiles(result, nullptr, &where)) << p;
    EXPECT_EQ(where.origin, p);
    EXPECT_EQ(result, p + "/dosdevices/c:/Q/Content/Qrn/Sounds/");
    fs::remove(p + "/system.reg");
    fs::remove(m_settingsDir + "/settings.json");
  }
  EXPECT_FALSE(LocateMetafiles(result));
}

TEST_F(LocateTest, WithoutSoftwareOnlyTheDialogIsAskedAndNothingStored) {
  std::string prefix = MakePrefix(m_root + "/pfx", GameKey("C:\\\\Q"));
  MakeSet(prefix + "/drive_c/Q/Content/Qrn/Sounds");
  std::string chosen = MakeSet(m_root + "/chosen");
  setenv("WINEPREFIX", prefix.c_str(), 1);
  unsetenv("HOME");  // no configuration directory: no SOFTWARE
  ScriptedDialog dialog;
  dialog.picks = {chosen + "/SchemaMetafile_DVD1.csc"};
  std::string result;
  MetafileLocation where;
  ASSERT_TRUE(LocateMetafiles(result, &dialog, &where));
  EXPECT_EQ(result, chosen + "/");
  EXPECT_EQ(where.source, MetafileSource::Dialog);
  EXPECT_FALSE(where.stored);
  EXPECT_EQ(dialog.shown, 1u);

  // A configuration folder that cannot hold settings: the game is found but not stored.
  Write(m_root + "/config-file", "");
  setenv("XDG_CONFIG_HOME", (m_root + "/config-file").c_str(), 1);
  ASSERT_TRUE(LocateMetafiles(result, &dialog, &where));
  EXPECT_EQ(where.source, MetafileSource::GameInstallation);
  EXPECT_FALSE(where.stored);
}

TEST_F(LocateTest, DialogRepeatsUntilUsableDirectoryAndCancelWritesNothing) {
  std::string partial = MakeSet(m_root + "/partial", {"SchemaMetafile.csc", "SchemaMetafile_Memory.csc",
                                                       "SchemaMetafile_HardDrive.csc", "SchemaMetafile_DVD1.csc",
                                                       "SchemaMetafile_DVD3.csc"});
  std::string full = MakeSet(m_root + "/full");
  Write(full + "/readme.txt", "any file will do");
  fs::create_directories(m_root + "/dir/SchemaMetafile_Memory.csc");  // a folder is no metafile
  MakeSet(m_root + "/dir", {"SchemaMetafile_HardDrive.csc", "SchemaMetafile_DVD1.csc", "SchemaMetafile_DVD2.csc",
                            "SchemaMetafile_DVD3.csc"});

  ScriptedDialog cancel;
  cancel.picks = {partial + "/SchemaMetafile.csc", m_root + "/dir/SchemaMetafile_DVD1.csc"};
  std::string result = "unchanged";
  MetafileLocation where;
  EXPECT_FALSE(LocateMetafiles(result, &cancel, &where));
  EXPECT_EQ(cancel.shown, 3u);
  EXPECT_EQ(result, "unchanged");
  EXPECT_EQ(where.source, MetafileSource::None);
  EXPECT_EQ(Writes(), 0);
  EXPECT_FALSE(fs::exists(m_settingsDir + "/settings.json"));
  EXPECT_FALSE(LocateMetafiles(result, nullptr, &where));  // no dialog: a cancel

  ScriptedDialog dialog;
  dialog.picks = {partial + "/SchemaMetafile.csc", full + "/readme.txt", partial + "/SchemaMetafile.csc"};
  ASSERT_TRUE(LocateMetafiles(result, &dialog, &where));
  EXPECT_EQ(dialog.shown, 2u);
  EXPECT_EQ(result, full + "/");
  EXPECT_TRUE(where.stored);
  EXPECT_EQ(Writes(), 1);
  EXPECT_EQ(StoredValue(), full + "/");
}

TEST_F(LocateTest, DamagedSettingsReadAsAbsent) {
  std::string prefix = MakePrefix(m_home + "/.wine", GameKey("C:\\\\Q\\\\"));
  MakeSet(prefix + "/drive_c/Q/Content/Qrn/Sounds");
  std::string set = MakeSet(m_root + "/set");
  for (std::string damaged : {"{\"keys\": {\"SOFTWARE\\\\Quarn Vantor\": {\"SchemaMetafile PATH\": {\"type\": 1, \"te",
                              "{\"keys\": []}", "\x89PNG\r\n\x1a\n\0\0", "{\"keys\": {\"k\": {\"v\": {\"type\": -1}}}}",
                              "{\"keys\": {\"SOFTWARE\\\\Quarn Vantor\": {\"SchemaMetafile PATH\": {\"type\": 1, "
                              "\"hex\": \"2fz\"}}}}"}) {
    Write(m_settingsDir + "/settings.json", damaged);
    std::string result;
    MetafileLocation where;
    ASSERT_TRUE(LocateMetafiles(result, nullptr, &where));
    EXPECT_EQ(where.source, MetafileSource::GameInstallation);
    EXPECT_TRUE(where.stored);  // replaced by a sound file
    EXPECT_EQ(StoredValue(), prefix + "/dosdevices/c:/Q/Content/Qrn/Sounds/");
  }
  // Reported on standard error once per process, however often it is read.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Write(m_settingsDir + "/settings.json", "{");
        std::string result;
        LocateMetafiles(result);
        LocateMetafiles(result);
        fs::remove_all(m_root);
        exit(0);
      },
      ::testing::ExitedWithCode(0), "^vantor: ignoring damaged settings file [^\n]*settings.json\n$");
}

TEST_F(LocateTest, SetStoresOnlyAUsableDirectory) {
  std::string set = MakeSet(m_root + "/set");
  std::string result;
  EXPECT_EQ(StoreMetafileDirectory((m_root + "/partial").c_str(), result), StoreResult::NotAMetafileSet);
  EXPECT_EQ(StoreMetafileDirectory((set + "/missing").c_str(), result), StoreResult::NotAMetafileSet);
  EXPECT_EQ(Writes(), 0);
  ASSERT_EQ(chdir(m_root.c_str()), 0);
  EXPECT_EQ(StoreMetafileDirectory("set", result), StoreResult::Stored);
  EXPECT_EQ(StoredValue(), set + "/");
  EXPECT_EQ(StoreMetafileDirectory((set + "/SchemaMetafile_DVD2.csc").c_str(), result), StoreResult::Stored);
  EXPECT_EQ(StoredValue(), set + "/");
  EXPECT_EQ(Writes(), 2);
  ASSERT_EQ(chdir("/"), 0);
}

}  // namespace
