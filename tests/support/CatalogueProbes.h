// Test probes around the metafile layer: a progress sink that records its calls, a catalogue that
// counts the metafiles it opens, the code of the error record a call throws, and short ways to
// load a set, read literal bytes and read a cell.
#pragma once

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"
#include "views/SoundListColumns.h"

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

// Writes `w` into `dir` and loads that set into `c`, printing no diagnostics.
inline bool WriteAndLoad(MetafileSetWriter& w, const TempDir& dir, CSoundCatalogue& c) {
  return w.Write(dir.path()) && c.Load(dir.dir().c_str(), nullptr, nullptr);
}

// Load's result and the diagnostics it printed.
struct LoadPrinted {
  bool ok;
  std::string printed;
};
inline LoadPrinted LoadPrinting(CSoundCatalogue& c, const std::string& path, IProgressSink* sink = nullptr) {
  FILE* out = tmpfile();
  const bool ok = c.Load(path.c_str(), sink, out);
  std::string text(static_cast<size_t>(ftell(out)), '\0');
  rewind(out);
  text.resize(fread(text.data(), 1, text.size(), out));
  fclose(out);
  return {ok, text};
}

// An archiver loading from literal bytes in a temporary file.
struct Loading {
  explicit Loading(const std::vector<uint8_t>& bytes) {
    dir.Write("r", bytes);
    file = fopen(dir.file("r").c_str(), "rb");
    ar.Open(file, CArchiver::MODE_LOAD);
  }
  ~Loading() {
    ar.Close();
    fclose(file);
  }
  TempDir dir;
  FILE* file = nullptr;
  CArchiver ar;
};

// The text of one cell of a list.
inline std::string CellText(const CSoundListModel& m, int64_t row, ColumnKind kind) {
  char text[kCellTextSize];
  GetCellText(&m, row, &kind, 1, 0, text, sizeof text);
  return text;
}
