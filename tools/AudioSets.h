// Metafile sets with real stored audio: the demo set and the audio benchmark set.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/MetafileSetWriter.h"
#include "tools/SoundSynth.h"

enum class AudioKind { Pcm8, Pcm16, XboxAdpcm, Ogg };

struct AudioFormat {
  AudioKind kind;
  int rate;
  int channels;
};

// One block of encoded sound data added to the writer.
struct StoredSound {
  int handle;  // the writer's data item
  std::string name;
  AudioFormat format;
  size_t frames;  // per channel, before any block padding
  size_t bytes;
};

struct AudioSetManifest {
  std::vector<StoredSound> sounds;
};

// Resamples, mixes down or spreads the clip to the format and encodes it.
std::vector<uint8_t> EncodeClip(const Clip& clip, const AudioFormat& format, const std::string& title = "");
Clip ConformClip(const Clip& clip, const AudioFormat& format);

// Text from UTF-8 to Windows-1252; characters it lacks become '?'.
std::string Utf8ToWindows1252(const std::string& utf8);

// A small, lifelike set: a dozen tags, about sixty tagged and forty mission sounds with spoken
// lines subtitled in five languages, every kind of stored audio, shared records and data,
// missing files and files named "none".
void MakeDemoSet(MetafileSetWriter& writer, AudioSetManifest* manifest = nullptr);

// The benchmark set's shape (n tagged and n mission sounds, 255 tags) with real audio: every file
// gets its own copy of one of a pool of encoded clips of 1 to 10 s until 320 MiB are stored, later
// files share those copies.
void MakeAudioBenchSet(MetafileSetWriter& writer, int n, uint32_t seed = 1, AudioSetManifest* manifest = nullptr);
