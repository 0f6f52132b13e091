// libFuzzer target: loads a whole metafile set from the input and walks everything the list
// shows of it.
//
// Input: the bytes of the metafiles joined by kSeparator, in the order 2, 0, 1, 3, 4, 5 (the
// tables' file first). Files without a piece are absent. Bytes 0..5 of file 2 lie before the
// tables and pick a second filter: show flags, mission flags, tag, sub-tag.
#include <dirent.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "catalogue/SoundCatalogue.h"
#include "views/SoundListColumns.h"
#include "views/SoundListModel.h"

namespace {

const char kSeparator[] = "@@QVSEP@@";
const size_t kSeparatorSize = sizeof kSeparator - 1;
const int kFileOrder[6] = {2, 0, 1, 3, 4, 5};

std::string g_dir;  // per-process directory, with a trailing '/'
FILE* g_null = nullptr;
volatile size_t g_sink;

void RemoveDirectory() {
  if (g_dir.empty()) return;
  if (DIR* d = opendir(g_dir.c_str())) {
    while (dirent* e = readdir(d)) {
      if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0) unlink((g_dir + e->d_name).c_str());
    }
    closedir(d);
  }
  rmdir(g_dir.c_str());
  g_dir.clear();
}

class CountingSink : public IProgressSink {
 public:
  void SetStage(int32_t lower, int32_t upper, const char* text) override {
    position = lower;
    if (text) g_sink = g_sink + strlen(text);
  }
  void Step(int32_t delta) override { position += delta ? delta : 1; }
  int64_t position = 0;
};

void WalkCells(const CSoundListModel& model) {
  static const ColumnKind kAll[COL_KIND_COUNT] = {COL_NUMBER,          COL_ID,
                                                  COL_FILENAME,        COL_LOCATION,
                                                  COL_SIZE,            COL_SUBTITLE,
                                                  COL_SUBTITLE_FRENCH, COL_SUBTITLE_ITALIAN,
                                                  COL_SUBTITLE_GERMAN, COL_SUBTITLE_SPANISH};
  char cell[kCellTextSize];
  for (int64_t row = 0; row < static_cast<int64_t>(model.nCount); ++row) {
    for (int32_t c = 0; c < COL_KIND_COUNT; ++c) {
      if (GetCellText(&model, row, kAll, COL_KIND_COUNT, c, cell, sizeof cell) != CELL_OK) abort();
      size_t n = strlen(cell);
      if (n >= sizeof cell) abort();
      g_sink = g_sink + n;
    }
    const SoundListItem* item = model.ItemAt(row);
    if (item->kind == ITEM_TAGGED) {
      // The whole tag list, beyond what a cell holds.
      const auto& sound = *static_cast<const CSMTaggedSound*>(item->pRecord);
      size_t total = FormatTagList(model, sound, nullptr, 0);
      std::string text(total + 1, '\0');
      if (FormatTagList(model, sound, text.data(), text.size()) != total || strlen(text.c_str()) != total) abort();
    }
  }
}

void Exercise(CSoundCatalogue& catalogue, const uint8_t* header, size_t headerSize) {
  for (int32_t t = 0; t < catalogue.m_soundTags.GetCount(); ++t) {
    const CSMSoundTag& tag = catalogue.m_soundTags[t];
    for (int32_t s = -1; s < tag.m_nSubCount; ++s) g_sink = g_sink + tag.GetSubName(s).size();
  }

  CSoundListModel& model = catalogue.m_listModel;
  model.Rebuild();
  WalkCells(model);
  for (int kind = COL_NUMBER; kind < COL_KIND_COUNT; ++kind) {
    for (bool descending : {false, true}) {
      model.SetSort(static_cast<ColumnKind>(kind), descending);
      model.Sort();
      if (model.nCount > 0) {
        char cell[kCellTextSize];
        static const ColumnKind kNumber = COL_NUMBER;
        GetCellText(&model, 0, &kNumber, 1, 0, cell, sizeof cell);
        GetCellText(&model, model.nCount - 1, &kNumber, 1, 0, cell, sizeof cell);
      }
    }
  }

  if (headerSize >= 6) {
    model.SetShowFlags(1, static_cast<uint16_t>(~(header[0] | header[1] << 8)));
    model.SetMissionFlags(1, static_cast<uint16_t>(~(header[2] | header[3] << 8)));
    model.SetTagFilter(0, {header[4], header[5] == 0xFF ? -1 : header[5]});
    model.SetSort(static_cast<ColumnKind>(header[4] % COL_KIND_COUNT), header[5] & 1);
    model.Rebuild();
    model.Sort();
    WalkCells(model);
  }

  // The lists of the "Meta Sound" dialog for the first row.
  if (const SoundListItem* first = model.ItemAt(0)) {
    SoundListItem item = *first;
    CSoundListModel files;
    files.AttachLike(model);
    files.LoadFileList(item);
    WalkCells(files);
    for (uint8_t byFile : {0, 1}) {
      CSoundListModel refs;
      refs.AttachLike(model);
      refs.pReference = item.pInfo;
      refs.bMatchByFile = byFile;
      refs.Rebuild();
      WalkCells(refs);
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* tmp = getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vantor-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    perror("mkdtemp");
    abort();
  }
  g_dir = pattern + "/";
  atexit(RemoveDirectory);
  g_null = fopen("/dev/null", "w");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t* end = data + size;
  const uint8_t* piece = data;
  const uint8_t* header = nullptr;
  size_t headerSize = 0;
  for (int k = 0; k < 6; ++k) {
    std::string path = g_dir + CSoundCatalogue::GetMetafileName(kFileOrder[k]);
    if (!piece) {
      unlink(path.c_str());
      continue;
    }
    const uint8_t* stop = static_cast<const uint8_t*>(memmem(piece, end - piece, kSeparator, kSeparatorSize));
    const uint8_t* pieceEnd = stop ? stop : end;
    if (k == 0) {
      header = piece;
      headerSize = pieceEnd - piece;
    }
    FILE* f = fopen(path.c_str(), "wb");
    if (!f || (pieceEnd > piece && fwrite(piece, pieceEnd - piece, 1, f) != 1) || fclose(f) != 0) {
      perror(path.c_str());
      abort();
    }
    piece = stop ? stop + kSeparatorSize : nullptr;
  }

  CSoundCatalogue catalogue;
  CountingSink progress;
  // The base path takes the directory or any file in it; alternate the two.
  std::string path = (size & 1) ? g_dir : g_dir + CSoundCatalogue::GetMetafileName(2);
  catalogue.Load(path.c_str(), &progress, g_null);
  Exercise(catalogue, header, headerSize);
  catalogue.Clear();
  return 0;
}
