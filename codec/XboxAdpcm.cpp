#include "codec/XboxAdpcm.h"

const int16_t g_adpcmStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,   253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,   876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

const int16_t g_adpcmIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

namespace {

// One reconstruction step: applies code to the predictor and step index.
inline void Reconstruct(int& p, int& i, int code) {
  const int step = g_adpcmStepTable[i];
  int diff = step >> 3;
  if (code & 4) diff += step;
  if (code & 2) diff += step >> 1;
  if (code & 1) diff += step >> 2;
  if (code & 8) {
    p -= diff;
    if (p < -32768) p = -32768;
  } else {
    p += diff;
    if (p > 32767) p = 32767;
  }
  i += g_adpcmIndexTable[code];
  if (i > 88) i = 88;
  if (i < 0) i = 0;
}

inline void StoreState(AdpcmStreamState* pState, int j, int p, int i) {
  if (!pState) return;
  if (j == 0) {
    pState->nPredictor0 = static_cast<int16_t>(p);
    pState->nStepIndex0 = static_cast<int16_t>(i);
  } else if (j == 1) {
    pState->nPredictor1 = static_cast<int16_t>(p);
    pState->nStepIndex1 = static_cast<int16_t>(i);
  }
}

}  // namespace

void XboxAdpcmDecodeBlock(const uint8_t* pBlock, int16_t* pPcm, int nSamples, int nChannels,
                          AdpcmStreamState* pState) {
  const int skip = 4 * nChannels - 4;
  for (int j = 0; j < nChannels; ++j) {
    const uint8_t* h = pBlock + 4 * j;
    int p = static_cast<int16_t>(h[0] | (h[1] << 8));
    int i = h[2] > 88 ? 88 : h[2];
    int16_t* out = pPcm + j;
    out[0] = static_cast<int16_t>(p);
    const uint8_t* src = pBlock + 4 * nChannels + 4 * j;
    for (int n = 1; n < nSamples; ++n) {
      int code;
      if (n & 1) {
        code = *src & 0x0F;
      } else {
        code = *src >> 4;
        ++src;
        if ((n & 7) == 0) src += skip;
      }
      Reconstruct(p, i, code);
      out[n * nChannels] = static_cast<int16_t>(p);
    }
    StoreState(pState, j, p, i);
  }
}

void XboxAdpcmEncodeBlock(const int16_t* pPcm, uint8_t* pBlock, int nSamples, int nChannels,
                          AdpcmStreamState* pState) {
  const int skip = 4 * nChannels - 4;
  for (int j = 0; j < nChannels; ++j) {
    int i = 0;
    if (pState && j < 2) i = j == 0 ? pState->nStepIndex0 : pState->nStepIndex1;
    if (i < 0) i = 0;
    if (i > 88) i = 88;
    int p = pPcm[j];
    uint8_t* h = pBlock + 4 * j;
    h[0] = static_cast<uint8_t>(p & 0xFF);
    h[1] = static_cast<uint8_t>((p >> 8) & 0xFF);
    h[2] = static_cast<uint8_t>(i);
    h[3] = 0;
    uint8_t* dst = pBlock + 4 * nChannels + 4 * j;
    for (int n = 1; n < nSamples; ++n) {
      int d = static_cast<int>(pPcm[n * nChannels + j]) - p;
      int code = 0;
      if (d < 0) {
        code = 8;
        d = -d;
      }
      const int step = g_adpcmStepTable[i];
      if (d >= step) {
        code |= 4;
        d -= step;
      }
      if (d >= (step >> 1)) {
        code |= 2;
        d -= step >> 1;
      }
      if (d >= (step >> 2)) code |= 1;
      if (n & 1) {
        *dst = static_cast<uint8_t>(code);
      } else {
        *dst = static_cast<uint8_t>(*dst | (code << 4));
        ++dst;
        if ((n & 7) == 0) dst += skip;
      }
      Reconstruct(p, i, code);
    }
    StoreState(pState, j, p, i);
  }
}

std::vector<uint8_t> XboxAdpcmEncode(const std::vector<int16_t>& pcm, int nChannels) {
  const size_t blocks = pcm.size() / (64 * nChannels), align = 36 * nChannels;
  std::vector<uint8_t> out(blocks * align);
  AdpcmStreamState state{};
  for (size_t b = 0; b < blocks; ++b)
    XboxAdpcmEncodeBlock(&pcm[b * 64 * nChannels], &out[b * align], 64, nChannels, &state);
  return out;
}

std::vector<int16_t> XboxAdpcmDecode(const std::vector<uint8_t>& blocks, int nChannels) {
  const size_t count = blocks.size() / (36 * nChannels);
  std::vector<int16_t> out(count * 64 * nChannels);
  AdpcmStreamState state{};
  for (size_t b = 0; b < count; ++b)
    XboxAdpcmDecodeBlock(&blocks[b * 36 * nChannels], &out[b * 64 * nChannels], 64, nChannels, &state);
  return out;
}
