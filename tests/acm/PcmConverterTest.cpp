// The installed PCM converter, used chunk by chunk with START on every call.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "codec/AcmDriverRegistration.h"

namespace {

WAVEFORMATEX Pcm(WORD ch, DWORD rate, WORD bits = 16) {
  const WORD align = WORD(ch * bits / 8);
  return {WAVE_FORMAT_PCM, ch, rate, rate * align, align, bits, 0};
}

// Converts src through the converter in destination-sized chunks; returns the output bytes.
std::vector<BYTE> ConvertChunked(WAVEFORMATEX src, WAVEFORMATEX dst, const std::vector<BYTE>& in,
                                 DWORD dstChunk, std::vector<size_t>* joins = nullptr) {
  std::vector<BYTE> out;
  HACMDRIVER had;
  EXPECT_EQ(acmDriverOpen(&had, g_idPcmConverterDriver, 0), 0u);
  EXPECT_EQ(acmFormatSuggest(had, &src, &dst, 18, 0xF0000), 0u);
  HACMSTREAM has;
  EXPECT_EQ(acmStreamOpen(&has, had, &src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
  DWORD srcChunk = 0;
  EXPECT_EQ(acmStreamSize(has, dstChunk, &srcChunk, ACM_STREAMSIZEF_DESTINATION), 0u);
  std::vector<BYTE> s(srcChunk), d(dstChunk);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = s.data();
  h.cbSrcLength = srcChunk;
  h.pbDst = d.data();
  h.cbDstLength = dstChunk;
  EXPECT_EQ(acmStreamPrepareHeader(has, &h, 0), 0u);
  for (size_t pos = 0; pos < in.size(); pos += srcChunk) {
    const DWORD n = static_cast<DWORD>(std::min<size_t>(srcChunk, in.size() - pos));
    std::memcpy(s.data(), in.data() + pos, n);
    h.cbSrcLength = n;
    EXPECT_EQ(acmStreamConvert(has, &h, ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START), 0u);
    EXPECT_EQ(h.cbSrcLengthUsed, n);  // nothing is dropped
    EXPECT_LE(h.cbDstLengthUsed, dstChunk);
    if (joins && !out.empty()) joins->push_back(out.size());
    out.insert(out.end(), d.begin(), d.begin() + h.cbDstLengthUsed);
  }
  h.cbSrcLength = srcChunk;
  EXPECT_EQ(acmStreamUnprepareHeader(has, &h, 0), 0u);
  EXPECT_EQ(acmStreamClose(has, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
  return out;
}

std::vector<BYTE> Tone16(WORD ch, DWORD rate, double freq, size_t frames, double amp = 20000) {
  std::vector<BYTE> b(frames * ch * 2);
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < ch; ++c) {
      const int16_t v = static_cast<int16_t>(std::lrint(amp * std::sin(2 * M_PI * freq * i / rate)));
      std::memcpy(b.data() + (i * ch + c) * 2, &v, 2);
    }
  return b;
}

int16_t At(const std::vector<BYTE>& b, size_t i) {
  int16_t v;
  std::memcpy(&v, b.data() + 2 * i, 2);
  return v;
}

struct Converter : ::testing::Test {
  void SetUp() override {
    ASSERT_TRUE(RegisterAcmDrivers());
    ASSERT_NE(g_idPcmConverterDriver, nullptr);
  }
  void TearDown() override { RemoveAcmDrivers(); }
};

TEST_F(Converter, RatesKeepPitchLengthAndJoinChunksSmoothly) {
  for (DWORD rate : {8000u, 11025u, 22050u, 32000u, 48000u}) {
    for (WORD ch : {1, 2}) {
      const size_t frames = rate * 2;  // two seconds
      std::vector<size_t> joins;
      const auto out = ConvertChunked(Pcm(ch, rate), Pcm(2, 44100), Tone16(ch, rate, 1000, frames), 16384, &joins);
      const size_t outFrames = out.size() / 4;
      const double delay = 32 * 44100.0 / std::min(rate, 44100u);  // the tail held back by the filter
      EXPECT_NEAR(double(outFrames), frames * 44100.0 / rate - delay, 3) << rate;
      // Pitch: rising zero crossings of the left channel over the steady part.
      int rises = 0;
      for (size_t i = 4411; i < 4410 + 44100; ++i) rises += At(out, 2 * (i - 1)) < 0 && At(out, 2 * i) >= 0;
      EXPECT_NEAR(rises, 1000, 1) << rate;
      // Joins: no step larger than the largest step inside the chunks.
      int inside = 0, atJoin = 0;
      for (size_t i = 4410; i + 1 < outFrames; ++i) inside = std::max(inside, std::abs(At(out, 2 * i) - At(out, 2 * i - 2)));
      for (size_t j : joins)
        if (j / 4 > 4410 && j / 4 < outFrames) atJoin = std::max(atJoin, std::abs(At(out, j / 2) - At(out, j / 2 - 2)));
      EXPECT_LE(atJoin, inside) << rate << " Hz, " << ch << " ch";
      EXPECT_NEAR(inside, 20000 * 2 * M_PI * 1000 / 44100, 60) << rate;
      for (size_t i = 0; i < outFrames; ++i) EXPECT_EQ(At(out, 2 * i), At(out, 2 * i + 1));
    }
  }
}

TEST_F(Converter, ChannelsAndBitsAtEqualRates) {
  // 8-bit mono to 16-bit stereo is exact.
  std::vector<BYTE> u8 = {0, 1, 127, 128, 129, 255};
  auto out = ConvertChunked(Pcm(1, 11025, 8), Pcm(2, 11025, 16), u8, 16384);
  ASSERT_EQ(out.size(), u8.size() * 4);
  for (size_t i = 0; i < u8.size(); ++i) {
    EXPECT_EQ(At(out, 2 * i), (int(u8[i]) - 128) * 256);
    EXPECT_EQ(At(out, 2 * i + 1), (int(u8[i]) - 128) * 256);
  }
  // 16-bit stereo to 8-bit mono averages and rounds.
  std::vector<BYTE> s16(4 * 3);
  const int16_t v[] = {1000, 3000, -32768, -32768, 32767, 32767};
  std::memcpy(s16.data(), v, sizeof v);
  out = ConvertChunked(Pcm(2, 8000, 16), Pcm(1, 8000, 8), s16, 16384);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[0], 128 + 8);  // 2000 / 256 = 7.8
  EXPECT_EQ(out[1], 0);
  EXPECT_EQ(out[2], 255);
}

TEST_F(Converter, RefusesWhatItCannotConvertAndFlushesAtEnd) {
  HACMDRIVER had;
  ASSERT_EQ(acmDriverOpen(&had, g_idPcmConverterDriver, 0), 0u);
  WAVEFORMATEX src = Pcm(1, 22050), dst = Pcm(2, 44100);
  WAVEFORMATEX low = Pcm(1, 999), wide = Pcm(1, 22050, 24);
  HACMSTREAM has;
  EXPECT_EQ(acmStreamOpen(&has, had, &low, &dst, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(acmStreamOpen(&has, had, &src, &wide, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  WAVEFORMATEX adpcm{WAVE_FORMAT_XBOX_ADPCM, 1, 22050, 12403, 36, 4, 0};
  EXPECT_EQ(acmFormatSuggest(had, &src, &adpcm, 18, ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
  WAVEFORMATEX sug{};
  ASSERT_EQ(acmFormatSuggest(had, &src, &sug, 18, 0), 0u);
  EXPECT_EQ(sug.nSamplesPerSec, 22050u);
  EXPECT_EQ(sug.nAvgBytesPerSec, 44100u);

  // One call flagged END delivers the filter tail: 1000 frames in, 2000 out.
  ASSERT_EQ(acmStreamOpen(&has, had, &src, &dst, nullptr, 0, 0, 0), 0u);
  std::vector<BYTE> in = Tone16(1, 22050, 440, 1000), out(2000 * 4 + 64);
  ACMSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = in.data();
  h.cbSrcLength = DWORD(in.size());
  h.pbDst = out.data();
  h.cbDstLength = DWORD(out.size());
  ASSERT_EQ(acmStreamPrepareHeader(has, &h, 0), 0u);
  ASSERT_EQ(acmStreamConvert(has, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END), 0u);
  EXPECT_EQ(h.cbDstLengthUsed, 2000u * 4);
  ASSERT_EQ(acmStreamUnprepareHeader(has, &h, 0), 0u);
  EXPECT_EQ(acmStreamClose(has, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
}

}  // namespace
