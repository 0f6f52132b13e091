// Test probes around the metafile layer: a progress sink that records its calls, a catalogue that
// counts the metafiles it opens, and the code of the error record a call throws.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/SoundCatalogue.h"

struct RecordingSink : IProgressSink {
  void SetStage(int32_t lo, int32_t hi, const char* text) override {
    calls.push_back("SetStage(" + std::to_string(lo) + "," + std::to_string(hi) + "," + (text ? text : "") + ")");
  }
  void Step(int32_t delta) override { calls.push_back("Step(" + std::to_string(delta) + ")"); }
  std::vector<std::string> calls;
};

class CountingCatalogue : public CSoundCatalogue {
 public:
  FILE* OpenMetafile(int32_t n) override {
    ++opens[n];
    return CSoundCatalogue::OpenMetafile(n);
  }
  std::map<int, int> opens;
};

// The code of the CArchiver::xArchiver that f throws (0 when none), and its message.
inline int CodeOf(const std::function<void()>& f, const char** message = nullptr) {
  try {
    f();
  } catch (const CArchiver::xArchiver& e) {
    if (message) *message = e.message;
    return e.code;
  }
  return 0;
}
