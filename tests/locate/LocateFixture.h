// Temporary home folders with settings files, Wine prefixes and metafile sets.
#pragma once

#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "tests/support/TempDir.h"

namespace fs = std::filesystem;

class LocateFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(m_settingsDir);
    setenv("HOME", m_home.c_str(), 1);
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("WINEPREFIX");
    m_watch = inotify_init1(IN_NONBLOCK);
    inotify_add_watch(m_watch, m_settingsDir.c_str(), IN_MOVED_TO | IN_CLOSE_WRITE);
  }
  void TearDown() override { close(m_watch); }

  static void Write(const std::string& path, const std::string& text) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << text;
  }

  // A metafile set: the base file and the five variants, or the names given.
  static std::string MakeSet(const std::string& dir,
                             std::vector<std::string> names = {"SchemaMetafile.csc", "SchemaMetafile_Memory.csc",
                                                               "SchemaMetafile_HardDrive.csc", "SchemaMetafile_DVD1.csc",
                                                               "SchemaMetafile_DVD2.csc", "SchemaMetafile_DVD3.csc"}) {
    for (const std::string& n : names) Write(dir + "/" + n, "CSC");
    return dir;
  }

  // A Wine prefix whose system.reg holds `body`, with drive c: linked as Wine links it.
  static std::string MakePrefix(const std::string& prefix, const std::string& body) {
    fs::create_directories(prefix + "/drive_c");
    fs::create_directories(prefix + "/dosdevices");
    fs::create_symlink("../drive_c", prefix + "/dosdevices/c:");
    Write(prefix + "/system.reg", "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n" + body);
    return prefix;
  }

  static std::string GameKey(const std::string& escapedRoot) {
    return "[Software\\\\Feldspire\\\\Quarnhold] 1700000000\n#time=1da0b2c3d4e5f60\n\"FEL_ROOT_PC\"=\"" + escapedRoot +
           "\"\n\n";
  }

  // The stored directory as a string value of the settings file; the write is not counted.
  void WriteSettings(const std::string& text) {
    Write(m_settingsDir + "/settings.json", "{\"keys\": {\"SOFTWARE\\\\Quarn Vantor\": {\"SchemaMetafile PATH\": "
                                            "{\"type\": 1, \"text\": \"" + text + "\"}}}}");
    Writes();
  }

  // Settings files completed in the settings folder since the last call.
  int Writes() {
    alignas(inotify_event) char buf[4096];
    int count = 0;
    for (ssize_t n; (n = read(m_watch, buf, sizeof buf)) > 0;)
      for (char* p = buf; p < buf + n; p += sizeof(inotify_event) + reinterpret_cast<inotify_event*>(p)->len) {
        const auto* e = reinterpret_cast<inotify_event*>(p);
        count += (e->mask & (IN_MOVED_TO | IN_CLOSE_WRITE)) && std::string(e->name) == "settings.json";
      }
    return count;
  }

  TempDir m_tmp;
  std::string m_root = m_tmp.path(), m_home = m_root + "/home", m_settingsDir = m_home + "/.config/quarn-vantor";
  int m_watch = -1;
};
