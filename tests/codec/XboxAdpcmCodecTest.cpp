// Block codec against vectors worked out by hand from the reconstruction rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "codec/XboxAdpcm.h"

namespace {

std::vector<int16_t> Decode(const std::vector<uint8_t>& block, int channels, AdpcmStreamState* st = nullptr) {
  const int s = XboxAdpcmSamplesPerBlock(static_cast<int>(block.size()), channels);
  std::vector<int16_t> pcm(s * channels, 0x7777);
  AdpcmStreamState local{};
  XboxAdpcmDecodeBlock(block.data(), pcm.data(), s, channels, st ? st : &local);
  return pcm;
}

TEST(XboxAdpcmDecode, MonoBlockStepsAndIgnoresLastNibble) {
  std::vector<uint8_t> block(36, 0);
  block[0] = 0x00;  // sample 256
  block[1] = 0x01;
  block[4] = 0x87;   // code 7, then code 8
  block[35] = 0xF0;  // the unused last nibble
  AdpcmStreamState st{};
  const auto pcm = Decode(block, 1, &st);
  ASSERT_EQ(pcm.size(), 64u);
  const int16_t head[] = {256, 267, 265, 266, 267, 268, 269, 270, 271, 272};
  for (int n = 0; n < 10; ++n) EXPECT_EQ(pcm[n], head[n]) << n;
  for (int n = 10; n < 64; ++n) EXPECT_EQ(pcm[n], 272) << n;
  EXPECT_EQ(st.nPredictor0, 272);
  EXPECT_EQ(st.nStepIndex0, 0);
  block[35] = 0x00;
  EXPECT_EQ(Decode(block, 1), pcm);
}

TEST(XboxAdpcmDecode, StepIndexAbove88AndClampingAtBothLimits) {
  std::vector<uint8_t> block(36, 0);
  block[2] = 200;   // read as 88
  block[4] = 0xF7;  // +61436 -> 32767, then -61436
  block[5] = 0x0F;  // -61436 -> -32768, then code 0
  const auto pcm = Decode(block, 1);
  EXPECT_EQ(pcm[0], 0);
  EXPECT_EQ(pcm[1], 32767);
  EXPECT_EQ(pcm[2], -28669);
  EXPECT_EQ(pcm[3], -32768);
  EXPECT_EQ(pcm[4], -28673);
  block[2] = 88;
  EXPECT_EQ(Decode(block, 1), pcm);
}

TEST(XboxAdpcmDecode, StereoHeadersAndInterleavedWords) {
  std::vector<uint8_t> block(72, 0);
  block[0] = 100;  // channel 0: 100, index 0
  block[4] = 0x9C;  // channel 1: -100, index 10
  block[5] = 0xFF;
  block[6] = 10;
  block[8] = 0x04;   // channel 0, word 0: code 4
  block[12] = 0x0C;  // channel 1, word 0: code 12
  block[16] = 0x04;  // channel 0, word 1: code 4 for sample 9
  AdpcmStreamState st{};
  const auto pcm = Decode(block, 2, &st);
  ASSERT_EQ(pcm.size(), 128u);
  EXPECT_EQ(pcm[0], 100);
  EXPECT_EQ(pcm[1], -100);
  EXPECT_EQ(pcm[2], 107);
  EXPECT_EQ(pcm[3], -121);
  EXPECT_EQ(pcm[2 * 3], 109);
  EXPECT_EQ(pcm[2 * 8], 109);
  EXPECT_EQ(pcm[2 * 9], 116);
  EXPECT_EQ(pcm[2 * 8 + 1], -109);
  EXPECT_EQ(pcm[2 * 9 + 1], -108);  // channel 1's second word is bytes 20-23, still zero
  EXPECT_EQ(st.nPredictor0, pcm[2 * 63]);
  EXPECT_EQ(st.nPredictor1, pcm[2 * 63 + 1]);
}

TEST(XboxAdpcmEncode, SilenceGivesAllZeroBlock) {
  std::vector<int16_t> pcm(64 * 2, 0);
  std::vector<uint8_t> block(72, 0xAA);
  AdpcmStreamState st{};
  XboxAdpcmEncodeBlock(pcm.data(), block.data(), 64, 2, &st);
  for (size_t i = 0; i < block.size(); ++i) EXPECT_EQ(block[i], 0) << i;
}

TEST(XboxAdpcmEncode, ClampsAtBothLimitsLikeTheDecoder) {
  std::vector<int16_t> pcm(64, 32767);
  std::vector<uint8_t> block(36);
  AdpcmStreamState st{0, 88, 0, 0};
  XboxAdpcmEncodeBlock(pcm.data(), block.data(), 64, 1, &st);
  EXPECT_EQ(block[2], 88);
  EXPECT_EQ(Decode(block, 1), pcm);  // every code 0 pushes up, and the limit holds
  EXPECT_EQ(st.nPredictor0, 32767);

  pcm.assign(64, -32768);
  pcm[0] = -30000;
  st = {0, 88, 0, 0};
  XboxAdpcmEncodeBlock(pcm.data(), block.data(), 64, 1, &st);
  EXPECT_EQ(block[4] & 0x0F, 8);
  const auto out = Decode(block, 1);
  EXPECT_EQ(out[1], -32768);
  EXPECT_EQ(out[63], st.nPredictor0);
}

TEST(XboxAdpcmEncode, TracksTheDecoderAndCarriesTheStepIndex) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 3000);
  const int channels = 2, blocks = 40;
  std::vector<int16_t> pcm(64 * channels * blocks);
  for (size_t i = 0; i < pcm.size() / channels; ++i)
    for (int c = 0; c < channels; ++c)
      pcm[i * channels + c] = static_cast<int16_t>(
          std::clamp(8000 * std::sin(i * 0.05 * (c + 1)) + noise(rng), -32768.0, 32767.0));
  AdpcmStreamState enc{};
  double sig = 0, err = 0;
  for (int b = 0; b < blocks; ++b) {
    std::vector<uint8_t> block(36 * channels);
    const int16_t* in = pcm.data() + b * 64 * channels;
    const AdpcmStreamState before = enc;
    XboxAdpcmEncodeBlock(in, block.data(), 64, channels, &enc);
    EXPECT_EQ(block[2], before.nStepIndex0);
    EXPECT_EQ(block[6], before.nStepIndex1);
    EXPECT_EQ(block[67] >> 4, 0);  // last nibbles of channel 0 and channel 1
    EXPECT_EQ(block[71] >> 4, 0);
    AdpcmStreamState dec{};
    const auto out = Decode(block, channels, &dec);
    EXPECT_EQ(dec.nPredictor0, enc.nPredictor0);
    EXPECT_EQ(dec.nStepIndex0, enc.nStepIndex0);
    EXPECT_EQ(dec.nPredictor1, enc.nPredictor1);
    EXPECT_EQ(dec.nStepIndex1, enc.nStepIndex1);
    for (int i = 0; i < 64 * channels; ++i) {
      sig += double(in[i]) * in[i];
      err += double(in[i] - out[i]) * (in[i] - out[i]);
    }
  }
  EXPECT_GT(10 * std::log10(sig / err), 20.0);
}

}  // namespace
