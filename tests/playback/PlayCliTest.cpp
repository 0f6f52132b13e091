// `vantor play` on the demo set through SDL's disk driver, and without a device.
#include <sys/wait.h>

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

namespace {

struct Result {
  int status;
  std::string err;
};

// Runs the command in `cwd` with the disk driver writing to `capture`.
Result RunIn(const std::string& cwd, const std::string& capture, const std::string& args) {
  const std::string cmd = "cd '" + cwd + "' && SDL_DISKAUDIOFILE='" + capture + "' SDL_DISKAUDIODELAY=2 " +
                          args + " >/dev/null 2>'" + capture + ".err'";
  const int st = system(cmd.c_str());
  std::ifstream err(capture + ".err");
  return {WIFEXITED(st) ? WEXITSTATUS(st) : -1, std::string(std::istreambuf_iterator<char>(err), {})};
}

TEST(PlayCommand, PlaysARowOfTheDemoSetAndFailsClearlyWithoutADevice) {
  TempDir set, cwd;
  const std::string capture = cwd.file("capture.raw"), vantor = std::string(VANTOR_BIN) + " play " + set.path();
  ASSERT_EQ(system((std::string(MKSET_BIN) + " --demo " + set.path() + " >/dev/null").c_str()), 0);

  const Result played = RunIn(cwd.path(), capture, vantor + " 1 --device disk");
  ASSERT_EQ(played.status, 0) << played.err;
  std::ifstream in(capture, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_GT(bytes.size(), 44100u);
  EXPECT_NE(bytes.find_first_not_of('\0'), std::string::npos) << "only silence was captured";
  EXPECT_FALSE(std::ifstream(cwd.file("Vantor.tmp")).good()) << "the playback file belongs elsewhere";

  const Result none = RunIn(cwd.path(), capture, vantor + " 1 --device no-such-device");
  EXPECT_EQ(none.status, 1);
  EXPECT_NE(none.err.find("no sound device could be opened"), std::string::npos) << none.err;
}

}  // namespace
