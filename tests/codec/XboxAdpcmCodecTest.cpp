// Block codec against vectors worked out by hand from the reconstruction rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <tuple>
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
  std::vector<uint8_t> block = {0x00, 0x01, 0, 0, 0x87};  // sample 256, index 0; code 7, then code 8
  block.resize(36);
  block[35] = 0xF0;  // the unused last nibble
  AdpcmStreamState st{};
  const auto pcm = Decode(block, 1, &st);
  std::vector<int16_t> want = {256, 267, 265, 266, 267, 268, 269, 270, 271, 272};
  want.resize(64, 272);
  EXPECT_EQ(pcm, want);
  EXPECT_EQ(st.nPredictor0, 272);
  EXPECT_EQ(st.nStepIndex0, 0);
  block[35] = 0x00;
  EXPECT_EQ(Decode(block, 1), pcm);
}

TEST(XboxAdpcmDecode, StepIndexAbove88AndClampingAtBothLimits) {
  // Index 200 is read as 88; +61436 -> 32767, -61436, -61436 -> -32768, then code 0.
  std::vector<uint8_t> block = {0, 0, 200, 0, 0xF7, 0x0F};
  block.resize(36);
  const auto pcm = Decode(block, 1);
  const std::vector<int16_t> head(pcm.begin(), pcm.begin() + 5);
  EXPECT_EQ(head, std::vector<int16_t>({0, 32767, -28669, -32768, -28673}));
  block[2] = 88;
  EXPECT_EQ(Decode(block, 1), pcm);
}

TEST(XboxAdpcmDecode, StereoHeadersAndInterleavedWords) {
  // Headers 100 (index 0) and -100 (index 10); the first words of channels 0 and 1 start with codes 4 and 12,
  // channel 0's second word with code 4 for sample 9.
  std::vector<uint8_t> block = {100, 0, 0, 0, 0x9C, 0xFF, 10, 0, 0x04, 0, 0, 0, 0x0C, 0, 0, 0, 0x04};
  block.resize(72);
  AdpcmStreamState st{};
  const auto pcm = Decode(block, 2, &st);
  ASSERT_EQ(pcm.size(), 128u);
  // {frame, left, right}; channel 1's second word is bytes 20-23, still zero.
  const int want[][3] = {{0, 100, -100}, {1, 107, -121}, {3, 109, -117}, {8, 109, -109}, {9, 116, -108}};
  for (const auto& w : want) {
    EXPECT_EQ(pcm[2 * w[0]], w[1]) << w[0];
    EXPECT_EQ(pcm[2 * w[0] + 1], w[2]) << w[0];
  }
  EXPECT_EQ(st.nPredictor0, pcm[2 * 63]);
  EXPECT_EQ(st.nPredictor1, pcm[2 * 63 + 1]);
}

TEST(XboxAdpcmEncode, SilenceIsAllZeroAndLimitsClampLikeTheDecoder) {
  std::vector<int16_t> pcm(64 * 2, 0);
  std::vector<uint8_t> block(72, 0xAA);
  AdpcmStreamState st{};
  XboxAdpcmEncodeBlock(pcm.data(), block.data(), 64, 2, &st);
  EXPECT_EQ(block, std::vector<uint8_t>(72, 0));

  pcm.assign(64, 32767);
  block.resize(36);
  st = {0, 88, 0, 0};
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
  // A difference equal to the step is coded with the step's bit: exact.
  pcm.assign(64, 7);
  pcm[0] = 0;
  st = {};
  XboxAdpcmEncodeBlock(pcm.data(), block.data(), 64, 1, &st);
  EXPECT_EQ(Decode(block, 1)[1], 7);
}

TEST(XboxAdpcmEncode, TracksTheDecoderAndCarriesTheStepIndex) {
  std::mt19937 rng(7);
  std::normal_distribution<double> noise(0, 3000);
  std::vector<int16_t> pcm(64 * 2 * 40);  // 40 stereo blocks
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<int16_t>(
        std::clamp(8000 * std::sin(i / 2 * 0.05 * (i % 2 + 1)) + noise(rng), -32768.0, 32767.0));
  AdpcmStreamState enc{};
  double sig = 0, err = 0;
  for (size_t b = 0; b < 40; ++b) {
    std::vector<uint8_t> block(72);
    const int16_t* in = pcm.data() + b * 128;
    const AdpcmStreamState before = enc;
    XboxAdpcmEncodeBlock(in, block.data(), 64, 2, &enc);
    EXPECT_EQ(block[2], before.nStepIndex0);
    EXPECT_EQ(block[6], before.nStepIndex1);
    EXPECT_EQ(block[67] >> 4 | block[71] >> 4, 0);  // last nibbles of channel 0 and channel 1
    AdpcmStreamState dec{};
    const auto out = Decode(block, 2, &dec);
    EXPECT_EQ(std::tie(dec.nPredictor0, dec.nStepIndex0, dec.nPredictor1, dec.nStepIndex1),
              std::tie(enc.nPredictor0, enc.nStepIndex0, enc.nPredictor1, enc.nStepIndex1));
    for (int i = 0; i < 128; ++i) {
      sig += double(in[i]) * in[i];
      err += double(in[i] - out[i]) * (in[i] - out[i]);
    }
  }
  EXPECT_GT(10 * std::log10(sig / err), 20.0);
}

}  // namespace
