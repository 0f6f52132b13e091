// The WAVE writers, checked byte by byte, and the Windows-1252 conversion.
#include <gtest/gtest.h>

#include <cmath>

#include "codec/XboxAdpcm.h"
#include "tests/support/TempDir.h"
#include "tools/AudioSets.h"
#include "tools/AudioWriters.h"

namespace {

using Bytes = std::vector<uint8_t>;

TEST(WaveWriterTest, PcmHeadersAndSamples) {
  // 8 bits, mono, odd data size: unsigned samples and a pad byte after "data".
  EXPECT_EQ(WriteWavePcm(Clip{11025, 1, {0.0f, 1.0f, -1.0f}}, 8),
            (Text("RIFF") + Le32(40) + Text("WAVEfmt ") + Le32(16) +
             Bytes{1, 0, 1, 0, 0x11, 0x2B, 0, 0, 0x11, 0x2B, 0, 0, 1, 0, 8, 0} + Text("data") + Le32(3) +
             Bytes{0x80, 0xFF, 0x01, 0x00}));

  // 16 bits, stereo, with a "LIST" INFO chunk (its odd name padded) between "fmt " and "data".
  const Clip stereo{22050, 2, {0.5f, -0.5f, 1.0f, -1.0f}};
  const Bytes sixteen = WriteWavePcm(stereo, 16, "ab");
  EXPECT_EQ(sixteen, (Text("RIFF") + Le32(68) + Text("WAVEfmt ") + Le32(16) +
                      Bytes{1, 0, 2, 0, 0x22, 0x56, 0, 0, 0x88, 0x58, 0x01, 0, 4, 0, 16, 0} + Text("LIST") + Le32(16) +
                      Text("INFOINAM") + Le32(3) + Bytes{'a', 'b', 0, 0} + Text("data") + Le32(8) +
                      Bytes{0x00, 0x40, 0x00, 0xC0, 0xFF, 0x7F, 0x01, 0x80}));

  Clip back;
  ASSERT_TRUE(ParseWavePcm(sixteen, &back));
  EXPECT_EQ(back.rate, 22050);
  EXPECT_EQ(back.channels, 2);
  ASSERT_EQ(back.samples.size(), 4u);
  for (size_t i = 0; i < 4; ++i) EXPECT_NEAR(back.samples[i], stereo.samples[i], 1.0 / 32768);
}

TEST(WaveWriterTest, XboxAdpcmHeaderAndBlocksDecodeBack) {
  const int frames = 100;
  std::vector<float> samples;
  for (int i = 0; i < frames; ++i) {
    // Slow enough for the step size to follow from its smallest value.
    double x = std::sin(M_PI * i / frames);
    samples.push_back(static_cast<float>(0.3 * x * x));
    samples.push_back(static_cast<float>(-0.2 * x * x));
  }
  const Bytes wave = WriteWaveXboxAdpcm(Clip{44100, 2, samples}, "t");
  const Bytes header = Text("RIFF") + Le32(218) + Text("WAVEfmt ") + Le32(20) +
                       Bytes{0x69, 0, 2, 0, 0x44, 0xAC, 0, 0, 0xCC, 0xC1, 0, 0, 72, 0, 4, 0, 2, 0, 64, 0} +
                       Text("fact") + Le32(4) + Le32(frames) + Text("LIST") + Le32(14) + Text("INFOINAM") + Le32(2) +
                       Bytes{'t', 0} + Text("data") + Le32(2 * 72);
  ASSERT_EQ(wave.size(), header.size() + 2 * 72);
  EXPECT_EQ(Bytes(wave.begin(), wave.begin() + header.size()), header);

  // The two blocks decode to the input, the padding to silence.
  std::vector<int16_t> pcm(2 * 64 * 2);
  AdpcmStreamState state{};
  for (int b = 0; b < 2; ++b) XboxAdpcmDecodeBlock(&wave[header.size() + b * 72], &pcm[b * 128], 64, 2, &state);
  EXPECT_EQ(pcm[0], static_cast<int16_t>(std::lround(samples[0] * 32767)));
  for (int i = 0; i < 256; ++i) EXPECT_NEAR(pcm[i] / 32768.0, i < 2 * frames ? samples[i] : 0.0, 0.02) << i;
}

TEST(TextTest, Utf8ToWindows1252) {
  EXPECT_EQ(Utf8ToWindows1252("\xC3\x89" "coutez \xC5\x93uvre \xE2\x82\xAC \xE2\x80\x93 \xE2\x80\x9Cx\xE2\x80\x9D"),
            "\xC9" "coutez \x9C" "uvre \x80 \x96 \x93x\x94");
  EXPECT_EQ(Utf8ToWindows1252("Gr\xC3\xBC\xC3\x9F \xC2\xBFs\xC3\xAD?"), "Gr\xFC\xDF \xBFs\xED?");
  // Characters Windows-1252 lacks, stray and cut sequences.
  EXPECT_EQ(Utf8ToWindows1252("a\xE2\x86\x92" "b\x80" "c\xC3("), "a?b?c?(");
}

}  // namespace
