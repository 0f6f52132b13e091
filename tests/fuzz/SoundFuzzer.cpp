// libFuzzer target: a stored sound through the WAVE and Ogg Vorbis sources, the conversion
// chains to the playback ring and to other formats, and the export writer. The input's layout
// is in SoundHarness.h.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/SoundHarness.h"

namespace {

std::string g_dir;  // per-process directory for the export writer's file

void RemoveDirectory() {
  if (!g_dir.empty()) rmdir(g_dir.c_str());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantor-sound-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    perror("mkdtemp");
    abort();
  }
  g_dir = pattern;
  atexit(RemoveDirectory);
  SoundHarnessInit();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  if (!RunSoundInput(data, size, g_dir, &why)) {
    fprintf(stderr, "sound input failed its check: %s\n", why.c_str());
    abort();
  }
  return 0;
}
