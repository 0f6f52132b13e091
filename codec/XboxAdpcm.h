// Xbox ADPCM block codec: 4-bit IMA-style ADPCM, one 4-byte header per channel and
// coded data interleaved by channel in 4-byte words. Free of platform headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Carried from block to block by a conversion stream; all zero at stream start.
struct AdpcmStreamState {
  int16_t nPredictor0;
  int16_t nStepIndex0;
  int16_t nPredictor1;
  int16_t nStepIndex1;
};

extern const int16_t g_adpcmStepTable[89];
extern const int16_t g_adpcmIndexTable[16];

// Samples per channel in a block of nBlockAlign bytes with nChannels channels.
constexpr int XboxAdpcmSamplesPerBlock(int nBlockAlign, int nChannels) {
  return 2 * (nBlockAlign - 4 * nChannels) / nChannels;
}

// Decodes one block into nSamples * nChannels interleaved 16-bit samples.
void XboxAdpcmDecodeBlock(const uint8_t* pBlock, int16_t* pPcm, int nSamples, int nChannels,
                          AdpcmStreamState* pState);

// Encodes nSamples * nChannels interleaved samples into one block of
// 4 * nChannels + nSamples * nChannels / 2 bytes.
void XboxAdpcmEncodeBlock(const int16_t* pPcm, uint8_t* pBlock, int nSamples, int nChannels,
                          AdpcmStreamState* pState);

// A stream of 64-sample blocks (36 * nChannels bytes each), every block carrying the state on;
// frames after the last whole block are dropped.
std::vector<uint8_t> XboxAdpcmEncode(const std::vector<int16_t>& pcm, int nChannels);
std::vector<int16_t> XboxAdpcmDecode(const std::vector<uint8_t>& blocks, int nChannels);
