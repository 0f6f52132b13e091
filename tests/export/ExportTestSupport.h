// A metafile set of given stored sounds, loaded into a catalogue whose list holds one row
// per sound in the given order, and a working directory for the files a test writes.
#pragma once

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

#include "catalogue/SoundCatalogue.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"

struct SetSound {
  std::string name;
  Bytes bytes;
  bool ogg = false;
  int file = 1;            // metafile holding the bytes; a sound alone in its file may be cut
  int64_t declared = -1;   // stored size claimed by the record, when not the byte count
  bool missing = false;    // no data address
};

inline void WriteSoundSet(const std::vector<SetSound>& sounds, const std::string& dir) {
  MetafileSetWriter w;
  w.tags.push_back({"_export", 0, {}});
  MetafileSetWriter::SoundInfo info;
  for (const SetSound& s : sounds) {
    MetafileSetWriter::SoundFile f;
    f.name = s.name;
    f.data = s.missing ? MetafileSetWriter::Address::Raw(MetafileSetWriter::kInvalid)
                       : MetafileSetWriter::Address::Item(w.AddData(s.file, s.bytes));
    const uint32_t size = uint32_t(s.declared >= 0 ? s.declared : int64_t(s.bytes.size()));
    (s.ogg ? f.oggSize : f.wavSize) = size;
    info.files.push_back(std::move(f));
  }
  w.taggedSounds.push_back({{{0, MetafileSetWriter::kInvalid}}, MetafileSetWriter::Address::Item(w.AddRecord(2, info))});
  ASSERT_TRUE(w.Write(dir));
}

// The bytes of a WAVE file's "data" chunk.
inline Bytes DataChunk(const Bytes& wave) {
  for (size_t at = 12; at + 8 <= wave.size();) {
    const uint32_t size = wave[at + 4] | wave[at + 5] << 8 | wave[at + 6] << 16 | uint32_t(wave[at + 7]) << 24;
    if (std::memcmp(&wave[at], "data", 4) == 0) return Bytes(wave.begin() + at + 8, wave.begin() + at + 8 + size);
    at += 8 + size + (size & 1);
  }
  return {};
}

struct LoadedSoundSet {
  TempDir dir;
  std::unique_ptr<CSoundCatalogue> catalogue = std::make_unique<CSoundCatalogue>();
  explicit LoadedSoundSet(const std::vector<SetSound>& sounds) {
    WriteSoundSet(sounds, dir.path());
    EXPECT_TRUE(catalogue->Load(dir.dir().c_str(), nullptr, stderr));
    catalogue->m_listModel.Rebuild();
    EXPECT_EQ(model().nCount, sounds.size());
  }
  CSoundListModel& model() { return catalogue->m_listModel; }
  const SoundListItem* item(int row) { return model().ItemAt(row); }
};

// The current directory moves into a temporary one for the test's lifetime.
struct InTempDir : TempDir {
  std::filesystem::path previous = std::filesystem::current_path();
  InTempDir() { std::filesystem::current_path(path()); }
  ~InTempDir() { std::filesystem::current_path(previous); }
};
