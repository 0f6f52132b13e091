// What one stored sound holds: its bytes read out of the metafile set, and what the sound
// sources make of them (container, format, length), or why they cannot be read.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "views/SoundListModel.h"

// The stored bytes of one list row's sound file, read whole as the export opens them.
struct StoredSoundBytes {
  const CSMSoundFile* pFile = nullptr;
  bool bOgg = false;           // the entry gives an Ogg Vorbis size
  uint32_t nStoredSize = 0;    // what the entry says is stored (its Ogg size, else its WAV size)
  std::vector<uint8_t> bytes;  // as many of them as the metafile holds
  std::string problem;         // why there is nothing to read; empty when bytes were read

  // A read-only stream over the bytes, at their start (the caller closes it); null when there
  // are none.
  FILE* OpenStream() const;
};

// Reads the row's stored bytes; at most nLimit of them (larger sounds are refused).
StoredSoundBytes ReadStoredSound(const CSoundListModel* pModel, const SoundListItem* pItem,
                            uint32_t nLimit = 256u << 20);

// Where the entry's bytes lie: "<metafile> at 0x<offset>", or that it has no location.
std::string SoundLocationText(const CSMSoundFile& file);

enum SoundContainer { CONTAINER_UNKNOWN, CONTAINER_WAVE, CONTAINER_OGG };

// The "fmt " chunk's name for a format tag: "PCM", "Xbox ADPCM", or null for any other.
const char* FormatTagName(uint16_t wFormatTag);

struct SoundFileInfo {
  SoundContainer container = CONTAINER_UNKNOWN;
  // The format the source reads: the "fmt " chunk of a WAVE sound; for Ogg Vorbis the
  // channels and rate of its stream (it decodes to 16 bits; the other fields stay 0).
  uint16_t wFormatTag = 0;
  uint16_t nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint32_t nAvgBytesPerSec = 0;
  uint16_t nBlockAlign = 0;
  uint16_t wBitsPerSample = 0;
  uint32_t nSamplesPerBlock = 0;  // per channel; 0 when the format has no blocks we know
  // WAVE: where the "data" chunk's bytes begin, how many it claims and how many are stored.
  uint32_t nDataOffset = 0;
  uint32_t nDataBytes = 0;
  uint32_t nDataStored = 0;
  // Ogg Vorbis: the comment header and the identification header's nominal bitrate (0: none).
  std::string vendor;               // UTF-8
  std::vector<std::string> comments;  // UTF-8, "NAME=value"
  long nNominalBitrate = 0;
  // Sample frames (per channel) that decoding delivers, and their length in seconds.
  uint64_t nFrames = 0;
  double dDuration = 0;
  // Why the sound cannot be read or decoded; empty when it can.
  std::string problem;
  // What is odd about a sound that can be read.
  std::vector<std::string> notes;
};

// Reads the stored bytes' header through the WAVE or Ogg Vorbis source, as playback and
// extraction would.
SoundFileInfo DescribeStoredSound(const StoredSoundBytes& sound);
