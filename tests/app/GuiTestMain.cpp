// GoogleTest over a QApplication on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdlib>

#include "tests/support/PrivateRegistry.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
#ifdef VANTOR_TEST_FONT_DIR
  // On Windows the offscreen platform reads its fonts from a folder, not from the system.
  setenv("QT_QPA_FONTDIR", VANTOR_TEST_FONT_DIR, 0);
#endif
  // Settings and the cache live in a folder of the run's own, never the user's.
  QTemporaryDir home;
  if (!home.isValid()) return 1;
  setenv("HOME", home.path().toUtf8().constData(), 1);
  setenv("XDG_CONFIG_HOME", (home.path() + "/config").toUtf8().constData(), 1);
  setenv("XDG_CACHE_HOME", (home.path() + "/cache").toUtf8().constData(), 1);
#ifdef _WIN32
  PrivateRegistry registry;  // where Windows keeps them
  if (!registry.ok()) return 1;
#endif
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
