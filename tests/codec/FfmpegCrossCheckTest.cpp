// Our decoder against FFmpeg's independent one, on files written by our encoder.
// FFmpeg yields 65 samples per 36-byte channel block (the last, unused nibble
// included); its 65th sample of every block is dropped before comparing.
#include <random>

#include "tests/audio/AudioTestSupport.h"

namespace {

constexpr int kRate = 22050;

// Five notes with harmonics under slow envelopes, or gently low-passed noise.
Samples Signal(int channels, int frames, bool music) {
  std::mt19937 rng(1234);
  std::normal_distribution<double> n(0, 1);
  Samples pcm(size_t(frames) * channels);
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

Samples FfmpegDecode(const std::string& wav) {
  const std::string cmd = "ffmpeg -nostdin -v error -i '" + wav + "' -f s16le -acodec pcm_s16le -";
  FILE* p = popen(cmd.c_str(), "r");
  Samples out;
  int16_t buf[4096];
  for (size_t n; p && (n = std::fread(buf, 2, 4096, p)) > 0;) out.insert(out.end(), buf, buf + n);
  EXPECT_EQ(p ? pclose(p) : -1, 0) << cmd;
  return out;
}

class FfmpegCrossCheck : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(FfmpegCrossCheck, AgreesWithinSixtyDecibels) {
  if (std::system("ffmpeg -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ffmpeg is not installed";
  const auto [channels, music] = GetParam();
  const Bytes data = AdpcmEncode(Signal(channels, 64 * 700, music), channels);
  TempDir dir;
  dir.Write("x.wav", AdpcmWave(WORD(channels), kRate, data));
  const Samples theirs = FfmpegDecode(dir.file("x.wav")), ours = AdpcmDecode(data, channels);
  const size_t block = 64 * size_t(channels), blocks = data.size() / (36 * channels);
  ASSERT_EQ(ours.size(), blocks * block);
  ASSERT_EQ(theirs.size(), blocks * 65 * channels);

  double sig = 0, diff = 0;
  for (size_t i = 0; i < ours.size(); ++i) {
    const double a = ours[i], f = theirs[i / block * 65 * channels + i % block];
    sig += a * a;
    diff += (a - f) * (a - f);
  }
  const double sdr = diff == 0 ? 200 : 10 * std::log10(sig / diff);
  RecordProperty("sdr_db", std::to_string(sdr));
  EXPECT_GE(sdr, 60.0) << channels << " channel(s), " << (music ? "music" : "noise");
}

INSTANTIATE_TEST_SUITE_P(Signals, FfmpegCrossCheck, ::testing::Combine(::testing::Values(1, 2), ::testing::Bool()));

}  // namespace
