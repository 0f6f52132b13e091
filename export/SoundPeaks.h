// A picture's worth of a decoded sound: the smallest and largest sample of every channel over
// runs of frames, decoded as extraction decodes it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "export/SoundFileInfo.h"

struct SoundPeaks {
  int nChannels = 0;
  uint32_t nSamplesPerSec = 0;
  uint64_t nFrames = 0;           // decoded sample frames per channel
  uint64_t nFramesPerBucket = 0;  // bucket b holds frames b * nFramesPerBucket onwards (the last may hold fewer)
  std::vector<int16_t> mins;      // per bucket, one per channel: [bucket * nChannels + channel]
  std::vector<int16_t> maxs;
  std::string problem;            // why nothing was decoded; empty when the sound was

  size_t BucketCount() const { return nChannels > 0 ? mins.size() / static_cast<size_t>(nChannels) : 0; }
  double Duration() const { return nSamplesPerSec ? static_cast<double>(nFrames) / nSamplesPerSec : 0.0; }
  // The extremes of a channel over frames [first, end); false when that holds no frame.
  bool Range(int nChannel, uint64_t first, uint64_t end, int& nMin, int& nMax) const;
};

// Buckets kept per channel: between this many and twice as many once the sound is that long.
inline constexpr size_t kPeakBuckets = 2048;

// Decodes the sound through its WAVE or Ogg Vorbis source and the conversion chain to 16-bit
// PCM at its own rate and channel count, and keeps the extremes per bucket. When audio has not
// registered the ACM drivers, they are registered for the time of the decoding.
SoundPeaks ComputePeaks(const StoredSoundBytes& sound, size_t nBuckets = kPeakBuckets);
