// Our decoder against FFmpeg's independent one, on files written by our encoder.
// FFmpeg yields 65 samples per 36-byte channel block (the last, unused nibble
// included); its 65th sample of every block is dropped before comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/XboxAdpcm.h"

namespace {

constexpr int kRate = 22050;

std::vector<int16_t> MusicLike(int channels, int frames) {
  std::vector<int16_t> pcm(size_t(frames) * channels);
  const double notes[] = {220, 277.18, 329.63, 440, 554.37};
  for (int i = 0; i < frames; ++i) {
    const double t = double(i) / kRate;
    for (int c = 0; c < channels; ++c) {
      double v = 0;
      for (int k = 0; k < 5; ++k) {
        const double env = 0.5 + 0.5 * std::sin(2 * M_PI * (0.7 + 0.3 * k) * t + c);
        for (int h = 1; h <= 4; ++h) v += env * std::sin(2 * M_PI * notes[k] * h * t + c * 0.3) / (h * h);
      }
      pcm[size_t(i) * channels + c] = static_cast<int16_t>(std::clamp(5500 * v, -32768.0, 32767.0));
    }
  }
  return pcm;
}

std::vector<int16_t> NoiseLike(int channels, int frames) {
  std::mt19937 rng(1234);
  std::normal_distribution<double> n(0, 1);
  std::vector<int16_t> pcm(size_t(frames) * channels);
  std::vector<double> y(channels, 0.0);
  for (int i = 0; i < frames; ++i)
    for (int c = 0; c < channels; ++c) {
      y[c] = 0.6 * y[c] + n(rng);  // gently low-passed noise
      pcm[size_t(i) * channels + c] = static_cast<int16_t>(std::clamp(4000 * y[c], -32768.0, 32767.0));
    }
  return pcm;
}

void Put16(std::string& s, uint16_t v) { s.append(reinterpret_cast<const char*>(&v), 2); }
void Put32(std::string& s, uint32_t v) { s.append(reinterpret_cast<const char*>(&v), 4); }

// Encodes whole blocks and writes a RIFF WAVE file with format tag 0x0069.
std::vector<uint8_t> WriteAdpcmWave(const std::string& path, const std::vector<int16_t>& pcm, int channels) {
  const int blockAlign = 36 * channels;
  const size_t blocks = pcm.size() / channels / 64;
  std::vector<uint8_t> data(blocks * blockAlign);
  AdpcmStreamState st{};
  for (size_t b = 0; b < blocks; ++b)
    XboxAdpcmEncodeBlock(pcm.data() + b * 64 * channels, data.data() + b * blockAlign, 64, channels, &st);
  std::string f = "RIFF";
  Put32(f, uint32_t(4 + 8 + 20 + 8 + data.size()));
  f += "WAVEfmt ";
  Put32(f, 20);
  Put16(f, 0x0069);
  Put16(f, uint16_t(channels));
  Put32(f, kRate);
  Put32(f, uint32_t(kRate * blockAlign / 64));
  Put16(f, uint16_t(blockAlign));
  Put16(f, 4);
  Put16(f, 2);
  Put16(f, 64);
  f += "data";
  Put32(f, uint32_t(data.size()));
  f.append(reinterpret_cast<const char*>(data.data()), data.size());
  FILE* fp = std::fopen(path.c_str(), "wb");
  EXPECT_NE(fp, nullptr);
  if (fp) {
    std::fwrite(f.data(), 1, f.size(), fp);
    std::fclose(fp);
  }
  return data;
}

std::vector<int16_t> FfmpegDecode(const std::string& wav) {
  const std::string raw = wav + ".raw";
  const std::string cmd = "ffmpeg -nostdin -v error -y -i '" + wav + "' -f s16le -acodec pcm_s16le '" + raw + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  std::vector<int16_t> out;
  if (FILE* fp = std::fopen(raw.c_str(), "rb")) {
    int16_t buf[4096];
    size_t n;
    while ((n = std::fread(buf, 2, 4096, fp)) > 0) out.insert(out.end(), buf, buf + n);
    std::fclose(fp);
  }
  std::remove(raw.c_str());
  return out;
}

class FfmpegCrossCheck : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(FfmpegCrossCheck, AgreesWithinSixtyDecibels) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  const auto [channels, music] = GetParam();
  const int frames = 64 * 700;
  const auto pcm = music ? MusicLike(channels, frames) : NoiseLike(channels, frames);
  const std::string wav = ::testing::TempDir() + "xbadpcm_" + std::to_string(channels) + (music ? "m" : "n") + ".wav";
  const auto data = WriteAdpcmWave(wav, pcm, channels);

  const size_t blocks = data.size() / (36 * channels);
  std::vector<int16_t> ours(blocks * 64 * channels);
  for (size_t b = 0; b < blocks; ++b) {
    AdpcmStreamState st{};
    XboxAdpcmDecodeBlock(data.data() + b * 36 * channels, ours.data() + b * 64 * channels, 64, channels, &st);
  }
  const auto theirs = FfmpegDecode(wav);
  std::remove(wav.c_str());
  ASSERT_EQ(theirs.size(), blocks * 65 * channels);

  double sig = 0, diff = 0;
  for (size_t b = 0; b < blocks; ++b)
    for (int n = 0; n < 64; ++n)
      for (int c = 0; c < channels; ++c) {
        const double a = ours[(b * 64 + n) * channels + c];
        const double f = theirs[(b * 65 + n) * channels + c];
        sig += a * a;
        diff += (a - f) * (a - f);
      }
  const double sdr = diff == 0 ? 200 : 10 * std::log10(sig / diff);
  RecordProperty("sdr_db", std::to_string(sdr));
  EXPECT_GE(sdr, 60.0) << channels << " channel(s), " << (music ? "music" : "noise");
}

INSTANTIATE_TEST_SUITE_P(Signals, FfmpegCrossCheck,
                         ::testing::Combine(::testing::Values(1, 2), ::testing::Bool()));

}  // namespace
