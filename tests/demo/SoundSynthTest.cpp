// The synthesizer's finishing, pitch, resampling and spoken lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/SoundSynth.h"

namespace {

double CrossingsPerSecond(const Clip& c) {
  size_t n = 0;
  for (size_t i = 1; i < c.samples.size(); ++i) n += (c.samples[i - 1] < 0) != (c.samples[i] < 0);
  return n / c.Seconds();
}

// Power of one frequency (Goertzel) over frames [from, to).
double PowerAt(const Clip& c, double freq, size_t from, size_t to) {
  double k = 2 * std::cos(2 * M_PI * freq / c.rate), s1 = 0, s2 = 0;
  for (size_t i = from; i < to; ++i) {
    double s = c.samples[i] + k * s1 - s2;
    s2 = s1;
    s1 = s;
  }
  return s1 * s1 + s2 * s2 - k * s1 * s2;
}

// Median voice pitch over the louder windows (autocorrelation between 70 and 450 Hz).
double MedianPitch(const Clip& c) {
  const size_t win = static_cast<size_t>(0.06 * c.rate);
  std::vector<double> pitches;
  for (size_t at = 0; at + 2 * win < c.samples.size(); at += win) {
    double energy = 0;
    for (size_t i = 0; i < win; ++i) energy += c.samples[at + i] * c.samples[at + i];
    if (energy / win < 0.003) continue;
    double best = 0;
    size_t bestLag = 0;
    for (size_t lag = static_cast<size_t>(c.rate / 450); lag <= static_cast<size_t>(c.rate / 70); ++lag) {
      double ac = 0;
      for (size_t i = 0; i < win; ++i) ac += c.samples[at + i] * c.samples[at + i + lag];
      if (ac > best) best = ac, bestLag = lag;
    }
    if (bestLag) pitches.push_back(static_cast<double>(c.rate) / bestLag);
  }
  if (pitches.empty()) return 0;
  std::sort(pitches.begin(), pitches.end());
  return pitches[pitches.size() / 2];
}

double Peak(const Clip& c) {
  double p = 0;
  for (float s : c.samples) p = std::max(p, static_cast<double>(std::fabs(s)));
  return p;
}

TEST(SynthTest, FinishRemovesOffsetScalesAndFades) {
  Clip c;
  c.rate = 8000;
  for (int i = 0; i < 8000; ++i) c.samples.push_back(static_cast<float>(0.3 + 0.5 * std::sin(2 * M_PI * 100 * i / 8000)));
  synth::Finish(c, 0.7f, 0.01, 0.05);
  double sum = 0;
  for (float s : c.samples) sum += s;
  EXPECT_NEAR(sum / c.samples.size(), 0.0, 0.002);
  EXPECT_FLOAT_EQ(static_cast<float>(Peak(c)), 0.7f);
  EXPECT_LT(std::fabs(c.samples.front()), 1e-3);
  EXPECT_LT(std::fabs(c.samples.back()), 1e-3);
}

TEST(SynthTest, ToneBellAndResampleKeepPitchAndLength) {
  Clip tone = synth::Tone(440, 1.0, 22050);
  EXPECT_EQ(tone.Frames(), 22050u);
  EXPECT_NEAR(CrossingsPerSecond(tone), 880, 6);
  for (int rate : {11025, 44100}) {
    Clip r = synth::Resample(tone, rate);
    EXPECT_EQ(r.Frames(), static_cast<size_t>(rate));
    EXPECT_NEAR(CrossingsPerSecond(r), 880, 6) << rate;
    EXPECT_NEAR(Peak(r), 0.7, 0.05) << rate;
  }

  // A bell rings at its partials and dies away.
  Clip bell = synth::Bell(261.63, 2.0, 22050);
  size_t tenth = bell.Frames() / 10;
  EXPECT_GT(PowerAt(bell, 261.63, 0, tenth), 50 * PowerAt(bell, 290, 0, tenth));
  EXPECT_GT(PowerAt(bell, 523.26, 0, tenth), 50 * PowerAt(bell, 560, 0, tenth));
  EXPECT_GT(PowerAt(bell, 261.63, 0, tenth), 20 * PowerAt(bell, 261.63, 8 * tenth, 9 * tenth));

  // Stereo from mono keeps the length; noise depends on the seed alone.
  Clip stereo = synth::Stereo(tone, 0.5);
  EXPECT_EQ(stereo.channels, 2);
  EXPECT_EQ(stereo.Frames(), tone.Frames());
  EXPECT_EQ(synth::Wind(0.5, 11025, 5).samples, synth::Wind(0.5, 11025, 5).samples);
  EXPECT_NE(synth::Wind(0.5, 11025, 5).samples, synth::Wind(0.5, 11025, 6).samples);
}

TEST(SynthTest, SpeechFromEspeakAndToneWithoutIt) {
  Clip spoken = synth::Speech("Halt! Who goes there?", "en+m3", 44100);
  EXPECT_EQ(spoken.rate, 44100);
  EXPECT_EQ(spoken.channels, 1);
  EXPECT_GT(spoken.Seconds(), 0.7);
  EXPECT_LT(spoken.Seconds(), 4.0);
  EXPECT_NEAR(Peak(spoken), 0.7, 0.01);
  // The female variant speaks clearly higher than the male one.
  Clip female = synth::Speech("Halt! Who goes there?", "en+f3", 22050);
  double low = MedianPitch(synth::Resample(spoken, 22050)), high = MedianPitch(female);
  EXPECT_GT(low, 70);
  EXPECT_GT(high, 1.4 * low);

  std::string path = getenv("PATH") ? getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);
  Clip stand = synth::Speech("Halt! Who goes there?", "en+f3", 22050);
  setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(stand.rate, 22050);
  EXPECT_NEAR(stand.Seconds(), 1.0, 0.01);
  EXPECT_NEAR(CrossingsPerSecond(stand), 880, 10);  // the female stand-in sings A4
}

}  // namespace
