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
  HKEY program = nullptr;
  BYTE buf[4096];
  DWORD size = sizeof buf;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Quarn Vantor", 0, KEY_READ, &program) != ERROR_SUCCESS) return "";
  const LONG rc = RegQueryValueExA(program, "SchemaMetafile PATH", nullptr, nullptr, buf, &size);
  RegCloseKey(program);
  return rc == ERROR_SUCCESS ? std::string(buf, buf + size) : "";
}

struct Located {
  bool ok;
  std::string dir = "untouched";
  MetafileLocation where;
};
Located Locate(IMetafileDialog* dialog = nullptr) {
  Located l;
  l.ok = LocateMetafiles(l.dir, dialog, &l.where);
  return l;
}

using LocateTest = LocateFixture;

TEST_F(LocateTest, StoredSettingIsUsedWithoutWritingOrDialog) {
  std::string set = MakeSet(m_root + "/sets/a");
  MakePrefix(m_home + "/.wine", GameKey("C:\\\\Elsewhere"));
  // A trailing '/' kept or added, and a stored terminating zero tolerated.
  for (const std::string& text : {set + "/", set, set + "\\u0000"}) {
    WriteSettings(text);
    ScriptedDialog dialog;
    Located l = Locate(&dialog);
    ASSERT_TRUE(l.ok) << text;
    EXPECT_EQ(l.dir, set + "/");
    EXPECT_EQ(l.where.source, MetafileSource::StoredSetting);
    EXPECT_EQ(l.where.origin, m_settingsDir + "/settings.json");
    EXPECT_FALSE(l.where.stored);
    EXPECT_EQ(dialog.shown, 0u);
    EXPECT_EQ(Writes(), 0);
  }
}

TEST_F(LocateTest, StaleSettingFallsToGameRootThroughDriveCAndIsReplacedOnce) {
  WriteSettings(MakeSet(m_root + "/old") + "/gone/");
  std::string prefix = MakePrefix(m_home + "/.wine", GameKey("C:\\\\Games\\\\Quarn"));
  MakeSet(prefix + "/drive_c/games/QUARN/content/Qrn/SOUNDS",
          {"schemametafile_memory.csc", "SCHEMAMETAFILE_HARDDRIVE.CSC", "SchemaMetafile_dvd1.csc",
           "SchemaMetafile_DVD2.csc", "SchemaMetafile_DVD3.csc"});
  ScriptedDialog dialog;
  Located l = Locate(&dialog);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.dir, prefix + "/dosdevices/c:/games/QUARN/content/Qrn/SOUNDS/");
  EXPECT_EQ(l.where.source, MetafileSource::GameInstallation);
  EXPECT_EQ(l.where.origin, prefix);
  EXPECT_EQ(l.where.gameRoot, "C:\\Games\\Quarn");
  EXPECT_TRUE(l.where.stored);
  EXPECT_EQ(dialog.shown, 0u);
  EXPECT_EQ(Writes(), 1);
  EXPECT_EQ(StoredValue(), l.dir);  // no terminating zero stored
  EXPECT_EQ(std::distance(fs::directory_iterator(m_settingsDir), {}), 1);  // no temporary left

  // Next run: the stored directory is found first and nothing is written.
  EXPECT_EQ(Locate(&dialog).where.source, MetafileSource::StoredSetting);
  EXPECT_EQ(Writes(), 0);
}

TEST_F(LocateTest, GameRootWithSeparatorOnAnotherDriveIn32BitView) {
  std::string prefix = MakePrefix(m_root + "/pfx",
                                  "[software\\\\Wow6432Node\\\\FELDSPIRE\\\\quarnhold] 1700000000\n"
                                  "\"fel_root_pc\"=str(2):\"D:\\\\Qu\\x00e4rn\\\\\"\n");
  fs::create_symlink(m_root + "/disk", prefix + "/dosdevices/d:");
  std::string set = MakeSet(m_root + "/disk/Qu\xC3\xA4rn/Content/Qrn/Sounds");
  setenv("WINEPREFIX", prefix.c_str(), 1);
  Located l = Locate();
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.dir, prefix + "/dosdevices/d:/Qu\xC3\xA4rn/Content/Qrn/Sounds/");
  EXPECT_EQ(StoredValue(), l.dir);

  // A root that lacks one variant below it is not taken.
  fs::remove(set + "/SchemaMetafile_DVD3.csc");
  fs::remove(m_settingsDir + "/settings.json");
  l = Locate();
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(l.where.source, MetafileSource::None);
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
  EXPECT_EQ(Locate().where.origin, prefixes[1]);
  fs::remove(m_settingsDir + "/settings.json");

  setenv("WINEPREFIX", prefixes[0].c_str(), 1);
  for (const std::string& p : prefixes) {
    Located l = Locate();
    ASSERT_TRUE(l.ok) << p;
    EXPECT_EQ(l.where.origin, p);
    EXPECT_EQ(l.dir, p + "/dosdevices/c:/Q/Content/Qrn/Sounds/");
    fs::remove(p + "/system.reg");
    fs::remove(m_settingsDir + "/settings.json");
  }
  EXPECT_FALSE(Locate().ok);
}

TEST_F(LocateTest, WithoutSoftwareOnlyTheDialogIsAskedAndNothingStored) {
  std::string prefix = MakePrefix(m_root + "/pfx", GameKey("C:\\\\Q"));
  MakeSet(prefix + "/drive_c/Q/Content/Qrn/Sounds");
  std::string chosen = MakeSet(m_root + "/chosen");
  setenv("WINEPREFIX", prefix.c_str(), 1);
  unsetenv("HOME");  // no configuration directory: no SOFTWARE
  ScriptedDialog dialog;
  dialog.picks = {chosen + "/SchemaMetafile_DVD1.csc"};
  Located l = Locate(&dialog);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.dir, chosen + "/");
  EXPECT_EQ(l.where.source, MetafileSource::Dialog);
  EXPECT_FALSE(l.where.stored);
  EXPECT_EQ(dialog.shown, 1u);

  // A configuration folder that cannot hold settings: the game is found but not stored.
  Write(m_root + "/config-file", "");
  setenv("XDG_CONFIG_HOME", (m_root + "/config-file").c_str(), 1);
  l = Locate(&dialog);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(l.where.source, MetafileSource::GameInstallation);
  EXPECT_FALSE(l.where.stored);
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
  Located l = Locate(&cancel);
  EXPECT_FALSE(l.ok);
  EXPECT_EQ(cancel.shown, 3u);
  EXPECT_EQ(l.dir, "untouched");
  EXPECT_EQ(l.where.source, MetafileSource::None);
  EXPECT_EQ(Writes(), 0);
  EXPECT_FALSE(fs::exists(m_settingsDir + "/settings.json"));
  EXPECT_FALSE(Locate().ok);  // no dialog: a cancel

  ScriptedDialog dialog;
  dialog.picks = {partial + "/SchemaMetafile.csc", full + "/readme.txt", partial + "/SchemaMetafile.csc"};
  l = Locate(&dialog);
  ASSERT_TRUE(l.ok);
  EXPECT_EQ(dialog.shown, 2u);
  EXPECT_EQ(l.dir, full + "/");
  EXPECT_TRUE(l.where.stored);
  EXPECT_EQ(Writes(), 1);
  EXPECT_EQ(StoredValue(), full + "/");
}

TEST_F(LocateTest, DamagedSettingsReadAsAbsent) {
  std::string prefix = MakePrefix(m_home + "/.wine", GameKey("C:\\\\Q\\\\"));
  MakeSet(prefix + "/drive_c/Q/Content/Qrn/Sounds");
  for (std::string damaged : {"{\"keys\": {\"SOFTWARE\\\\Quarn Vantor\": {\"SchemaMetafile PATH\": {\"type\": 1, \"te",
                              "{\"keys\": []}", "\x89PNG\r\n\x1a\n\0\0", "{\"keys\": {\"k\": {\"v\": {\"type\": -1}}}}",
                              "{\"keys\": {\"SOFTWARE\\\\Quarn Vantor\": {\"SchemaMetafile PATH\": {\"type\": 1, "
                              "\"hex\": \"2fz\"}}}}"}) {
    Write(m_settingsDir + "/settings.json", damaged);
    Located l = Locate();
    ASSERT_TRUE(l.ok);
    EXPECT_EQ(l.where.source, MetafileSource::GameInstallation);
    EXPECT_TRUE(l.where.stored);  // replaced by a sound file
    EXPECT_EQ(StoredValue(), prefix + "/dosdevices/c:/Q/Content/Qrn/Sounds/");
  }
  // Reported on standard error once per process, however often it is read.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        Write(m_settingsDir + "/settings.json", "{");
        Locate();
        Locate();
        fs::remove_all(m_root);
        exit(0);
      },
      ::testing::ExitedWithCode(0), "^vantor: ignoring damaged settings file [^\n]*settings.json\n$");
}

TEST_F(LocateTest, SetStoresOnlyAUsableDirectory) {
  std::string set = MakeSet(m_root + "/set");
  std::string result;
  EXPECT_EQ(StoreMetafileDirectory(m_home.c_str(), result), StoreResult::NotAMetafileSet);  // no set in it
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
