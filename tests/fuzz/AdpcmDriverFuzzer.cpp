// libFuzzer target: the Xbox ADPCM driver's stream size and stream convert messages with
// arbitrary formats, flags, sizes and buffers. The input's layout is in SoundHarness.h.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/fuzz/SoundHarness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string why;
  if (!RunAdpcmDriverInput(data, size, &why)) {
    fprintf(stderr, "driver input failed its check: %s\n", why.c_str());
    abort();
  }
  return 0;
}
