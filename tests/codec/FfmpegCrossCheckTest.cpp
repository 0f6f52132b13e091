// Our decoder against FFmpeg's independent one, on files written by our encoder.
// FFmpeg yields 65 samples per 36-byte channel block (the last, unused nibble
// included); its 65th sample of every block is dropped before comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "codec/XboxAdpcm.h"

namespace {

constexpr int kRate = 22050;

// Five notes with harmonics under slow envelopes, or gently low-passed noise.
std::vector<int16_t> Signal(int channels, int frames, bool music) {
  std::mt19937 rng(1234);
  std::normal_distribution<double> n(0, 1);
  std::vector<int16_t> pcm(size_t(frames) * channels);
  std::vector<double> y(channels, 0.0);
  const double notes[] = {220, 277.18, 329.63, 440, 554.37};
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      const double t = double(i) / kRate;
      double v = 0;
      for (int k = 0; music && k < 5; ++k) {
        const double env = 0.5 + 0.5 * std::sin(2 * M_PI * (0.7 + 0.3 * k) * t + c);
        for (int h = 1; h <= 4; ++h) v += env * std::sin(2 * M_PI * notes[k] * h * t + c * 0.3) / (h * h);
      }
      if (!music) v = y[c] = 0.6 * y[c] + n(rng);
      pcm[size_t(i) * channels + c] = static_cast<int16_t>(std::clamp((music ? 5500 : 4000) * v, -32768.0, 32767.0));
    }
  return pcm;
}

// Encodes whole blocks and writes a RIFF WAVE file with format tag 0x0069; returns the block data.
std::vector<uint8_t> WriteAdpcmWave(const std::string& path, const std::vector<int16_t>& pcm, int channels) {
  const uint32_t align = 36 * channels;
  std::vector<uint8_t> data = XboxAdpcmEncode(pcm, channels);
  std::string f = "RIFF";
  auto put = [&f](uint32_t v) { f.append(reinterpret_cast<const char*>(&v), 4); };
  put(4 + 8 + 20 + 8 + data.size());
  f += "WAVEfmt ";
  // fmt size; tag, channels; rate; bytes per second; block align, bits; extra size, samples per block
  for (uint32_t v : {20u, 0x0069u | channels << 16, uint32_t(kRate), kRate * align / 64, align | 4u << 16,
                     2u | 64u << 16})
    put(v);
  f += "data";
  put(data.size());
  f.append(data.begin(), data.end());
  std::ofstream(path, std::ios::binary) << f;
  return data;
}

std::vector<int16_t> FfmpegDecode(const std::string& wav) {
  const std::string cmd = "ffmpeg -nostdin -v error -i '" + wav + "' -f s16le -acodec pcm_s16le -";
  FILE* p = popen(cmd.c_str(), "r");
  std::vector<int16_t> out;
  int16_t buf[4096];
  for (size_t n; p && (n = std::fread(buf, 2, 4096, p)) > 0;) out.insert(out.end(), buf, buf + n);
  EXPECT_EQ(p ? pclose(p) : -1, 0) << cmd;
  return out;
}

class FfmpegCrossCheck : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(FfmpegCrossCheck, AgreesWithinSixtyDecibels) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  const auto [channels, music] = GetParam();
  const auto pcm = Signal(channels, 64 * 700, music);
  const std::string wav = ::testing::TempDir() + "xbadpcm_" + std::to_string(channels) + (music ? "m" : "n") + ".wav";
  const auto data = WriteAdpcmWave(wav, pcm, channels);
  const auto theirs = FfmpegDecode(wav);
  std::remove(wav.c_str());
  const size_t blocks = data.size() / (36 * channels);
  ASSERT_EQ(theirs.size(), blocks * 65 * channels);

  double sig = 0, diff = 0;
  std::vector<int16_t> ours(64 * channels);
  for (size_t b = 0; b < blocks; ++b) {
    AdpcmStreamState st{};
    XboxAdpcmDecodeBlock(data.data() + b * 36 * channels, ours.data(), 64, channels, &st);
    for (int i = 0; i < 64 * channels; ++i) {
      const double a = ours[i], f = theirs[b * 65 * channels + i];
      sig += a * a;
      diff += (a - f) * (a - f);
    }
  }
  const double sdr = diff == 0 ? 200 : 10 * std::log10(sig / diff);
  RecordProperty("sdr_db", std::to_string(sdr));
  EXPECT_GE(sdr, 60.0) << channels << " channel(s), " << (music ? "music" : "noise");
}

INSTANTIATE_TEST_SUITE_P(Signals, FfmpegCrossCheck, ::testing::Combine(::testing::Values(1, 2), ::testing::Bool()));

}  // namespace
