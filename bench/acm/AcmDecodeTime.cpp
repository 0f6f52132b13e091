// Decodes ten minutes of 44.1 kHz stereo Xbox ADPCM to PCM through the Audio Compression
// Manager in 512-block chunks, as playback does: msacm32 on Windows, our manager on Linux.
// Prints each run's time and a checksum of the PCM, so that two builds can be compared.
//   acm_decode_time [runs]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "codec/AcmDriverRegistration.h"
#include "codec/XboxAdpcm.h"

namespace {

constexpr int kChannels = 2, kRate = 44100, kBlockFrames = 64, kChunkBlocks = 512;
constexpr int kBlockBytes = 36 * kChannels;

// A chord that swells and fades on each side, with a little noise.
std::vector<int16_t> Music(size_t frames) {
  std::vector<int16_t> pcm(frames * kChannels);
  uint32_t noise = 1;
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    for (int c = 0; c < kChannels; ++c) {
      double v = 0;
      for (double f : {196.0, 246.94, 293.66, 392.0})
        v += (0.5 + 0.5 * std::sin(0.6 * t * f / 196 + c)) * std::sin(2 * M_PI * f * t);
      noise = noise * 1664525u + 1013904223u;
      pcm[i * kChannels + c] = static_cast<int16_t>(6000 * v + static_cast<int>(noise >> 24) - 128);
    }
  }
  return pcm;
}

struct XboxFormat {
  WAVEFORMATEX wfx;
  WORD wSamplesPerBlock;
};

bool Check(MMRESULT mmr, const char* what) {
  if (mmr == MMSYSERR_NOERROR) return true;
  std::fprintf(stderr, "acm_decode_time: %s failed (%u)\n", what, static_cast<unsigned>(mmr));
  return false;
}

// One decode of `blocks`; false on an ACM error. `sum` is the FNV-1a hash of the PCM.
bool Decode(HACMDRIVER had, const std::vector<uint8_t>& blocks, uint64_t& sum, size_t& bytes) {
  XboxFormat src{{WAVE_FORMAT_XBOX_ADPCM, kChannels, kRate, kRate / kBlockFrames * kBlockBytes, kBlockBytes, 4, 2},
                 kBlockFrames};
  WAVEFORMATEX dst{WAVE_FORMAT_PCM, kChannels, kRate, kRate * 2 * kChannels, 2 * kChannels, 16, 0};
  HACMSTREAM has = nullptr;
  if (!Check(acmStreamOpen(&has, had, &src.wfx, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), "acmStreamOpen"))
    return false;
  std::vector<BYTE> in(kChunkBlocks * kBlockBytes);
  DWORD cbDst = 0;
  bool ok = Check(acmStreamSize(has, static_cast<DWORD>(in.size()), &cbDst, ACM_STREAMSIZEF_SOURCE), "acmStreamSize");
  std::vector<BYTE> out(cbDst);
  ACMSTREAMHEADER ash{};
  ash.cbStruct = sizeof ash;
  ash.pbSrc = in.data();
  ash.cbSrcLength = static_cast<DWORD>(in.size());
  ash.pbDst = out.data();
  ash.cbDstLength = cbDst;
  ok = ok && Check(acmStreamPrepareHeader(has, &ash, 0), "acmStreamPrepareHeader");
  sum = 14695981039346656037ull;
  bytes = 0;
  for (size_t at = 0; ok && at < blocks.size(); at += in.size()) {
    const size_t n = std::min(in.size(), blocks.size() - at);
    std::copy(blocks.begin() + at, blocks.begin() + at + n, in.begin());
    ash.cbSrcLength = static_cast<DWORD>(n);
    ok = Check(acmStreamConvert(has, &ash, ACM_STREAMCONVERTF_BLOCKALIGN), "acmStreamConvert");
    for (DWORD i = 0; ok && i < ash.cbDstLengthUsed; ++i) sum = (sum ^ out[i]) * 1099511628211ull;
    bytes += ash.cbDstLengthUsed;
  }
  ash.cbSrcLength = static_cast<DWORD>(in.size());
  if (ash.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) acmStreamUnprepareHeader(has, &ash, 0);
  acmStreamClose(has, 0);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const size_t frames = size_t(kRate) * 600 / kBlockFrames * kBlockFrames;
  const std::vector<uint8_t> blocks = XboxAdpcmEncode(Music(frames), kChannels);
  if (!RegisterAcmDrivers()) {
    std::fprintf(stderr, "acm_decode_time: the Xbox ADPCM driver could not be registered\n");
    return 1;
  }
  HACMDRIVER had = nullptr;
  if (!Check(acmDriverOpen(&had, g_idXboxAdpcmDriver, 0), "acmDriverOpen")) return 1;
  int status = 0;
  for (int r = 0; r < runs && status == 0; ++r) {
    uint64_t sum = 0;
    size_t bytes = 0;
    const auto t0 = std::chrono::steady_clock::now();
    if (!Decode(had, blocks, sum, bytes)) status = 1;
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    if (status == 0)
      std::printf("run %d: %.1f ms, %zu PCM bytes, checksum %016llx\n", r + 1, ms, bytes,
                  static_cast<unsigned long long>(sum));
  }
  acmDriverClose(had, 0);
  RemoveAcmDrivers();
  return status;
}
