#include "tools/SoundSynth.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tools/AudioWriters.h"

extern char** environ;

namespace synth {
namespace {

constexpr double kPi = 3.14159265358979323846;

// Small deterministic generator (xorshift32), independent of the standard library.
struct Noise {
  uint32_t s;
  explicit Noise(uint32_t seed) : s(seed * 2654435761u + 0x9E3779B9u) {
    if (s == 0) s = 1;
  }
  uint32_t Next() {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return s;
  }
  double Uniform() { return (Next() >> 8) * (1.0 / 16777216.0); }  // [0, 1)
  double White() { return 2.0 * Uniform() - 1.0; }
};

// Second-order section (cookbook band-pass and low-pass).
struct Biquad {
  double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0, x1 = 0, x2 = 0, y1 = 0, y2 = 0;
  void BandPass(double f, double q, int rate) {
    double w = 2 * kPi * f / rate, alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
    b0 = alpha / a0;
    b1 = 0;
    b2 = -alpha / a0;
    a1 = -2 * std::cos(w) / a0;
    a2 = (1 - alpha) / a0;
  }
  void LowPass(double f, double q, int rate) {
    double w = 2 * kPi * f / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    b0 = (1 - c) / 2 / a0;
    b1 = (1 - c) / a0;
    b2 = b0;
    a1 = -2 * c / a0;
    a2 = (1 - alpha) / a0;
  }
  void HighPass(double f, double q, int rate) {
    double w = 2 * kPi * f / rate, alpha = std::sin(w) / (2 * q), c = std::cos(w), a0 = 1 + alpha;
    b0 = (1 + c) / 2 / a0;
    b1 = -(1 + c) / a0;
    b2 = b0;
    a1 = -2 * c / a0;
    a2 = (1 - alpha) / a0;
  }
  double operator()(double x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return y;
  }
};

Clip Empty(double seconds, int rate) {
  Clip c;
  c.rate = rate;
  c.channels = 1;
  c.samples.assign(static_cast<size_t>(std::lround(seconds * rate)), 0.0f);
  return c;
}

// A soft instrument tone: a few harmonics under an attack-decay-release envelope.
void AddNote(Clip& c, double start, double freq, double seconds, double gain) {
  if (freq <= 0) return;
  size_t from = static_cast<size_t>(start * c.rate), n = static_cast<size_t>(seconds * c.rate);
  const double harmonics[] = {1.0, 0.45, 0.22, 0.1, 0.05};
  for (size_t i = 0; i < n && from + i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / c.rate;
    double env = std::min(1.0, t / 0.02) * std::exp(-1.6 * t) * std::min(1.0, (seconds - t) / 0.08);
    double v = 0;
    for (int h = 0; h < 5; ++h) {
      double f = freq * (h + 1);
      if (f < c.rate / 2.2) v += harmonics[h] * std::sin(2 * kPi * f * t);
    }
    c.samples[from + i] += static_cast<float>(gain * env * v);
  }
}

// A struck metal body: inharmonic partials, the higher ones dying faster.
void AddStrike(Clip& c, double start, double freq, const std::vector<double>& ratios, double decay, double gain) {
  size_t from = static_cast<size_t>(start * c.rate);
  for (size_t k = 0; k < ratios.size(); ++k) {
    double f = freq * ratios[k];
    if (f >= c.rate / 2.2) continue;
    double tau = decay / (1.0 + 0.6 * k), amp = gain / (1.0 + 0.5 * k);
    for (size_t i = from; i < c.samples.size(); ++i) {
      double t = static_cast<double>(i - from) / c.rate;
      double env = std::exp(-t / tau) * std::min(1.0, t / 0.002);
      if (t > 0.01 && env < 1e-4) break;
      c.samples[i] += static_cast<float>(amp * env * std::sin(2 * kPi * f * t));
    }
  }
}

// A burst of filtered noise with an exponential decay.
void AddBurst(Clip& c, double start, double seconds, double decay, Biquad filter, Noise& rng, double gain) {
  size_t from = static_cast<size_t>(start * c.rate), n = static_cast<size_t>(seconds * c.rate);
  for (size_t i = 0; i < n && from + i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / c.rate;
    double env = std::exp(-t / decay) * std::min(1.0, t / 0.001);
    c.samples[from + i] += static_cast<float>(gain * env * filter(rng.White()));
  }
}

}  // namespace

Clip Tone(double freq, double seconds, int rate) {
  Clip c = Empty(seconds, rate);
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    double env = std::min(1.0, t / 0.02) * std::min(1.0, (seconds - t) / 0.05);
    c.samples[i] = static_cast<float>(env * (std::sin(2 * kPi * freq * t) + 0.2 * std::sin(4 * kPi * freq * t)));
  }
  Finish(c);
  return c;
}

Clip Chord(std::initializer_list<double> freqs, double seconds, int rate) {
  Clip c = Empty(seconds, rate);
  double delay = 0;
  for (double f : freqs) {
    AddNote(c, delay, f, seconds - delay, 1.0);
    delay += 0.03;  // a gentle strum
  }
  Finish(c);
  return c;
}

Clip Melody(std::initializer_list<double> freqs, double noteSeconds, int rate) {
  Clip c = Empty(noteSeconds * freqs.size() + 0.4, rate);
  double at = 0;
  for (double f : freqs) {
    AddNote(c, at, f, noteSeconds + 0.35, 1.0);
    AddNote(c, at, f / 2, noteSeconds + 0.35, 0.3);
    at += noteSeconds;
  }
  Finish(c);
  return c;
}

Clip Bell(double freq, double seconds, int rate) {
  Clip c = Empty(seconds, rate);
  // Partials of a church bell: hum, prime, minor third, fifth, nominal and above.
  AddStrike(c, 0, freq, {0.5, 1.0, 1.183, 1.506, 2.0, 2.514, 2.662, 3.011}, seconds / 2.5, 1.0);
  Finish(c, 0.7f, 0.001, 0.2);
  return c;
}

Clip Wind(double seconds, int rate, uint32_t seed, double strength) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad band;
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    double gust = 0.55 + 0.3 * std::sin(2 * kPi * 0.23 * t + seed) + 0.15 * std::sin(2 * kPi * 0.61 * t);
    if (i % 64 == 0) band.BandPass(std::min(rate / 3.0, 250 + 500 * strength * gust), 2.5, rate);
    c.samples[i] = static_cast<float>(gust * band(rng.White()));
  }
  Finish(c, 0.6f, 0.4, 0.6);
  return c;
}

Clip Rain(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad hiss;
  hiss.BandPass(std::min(rate / 3.0, 3000.0), 0.7, rate);
  for (size_t i = 0; i < c.samples.size(); ++i) c.samples[i] = static_cast<float>(0.25 * hiss(rng.White()));
  int drops = static_cast<int>(seconds * 40);
  for (int d = 0; d < drops; ++d) {
    double at = rng.Uniform() * (seconds - 0.05);
    AddStrike(c, at, 1200 + 2500 * rng.Uniform(), {1.0}, 0.008, 0.3 + 0.3 * rng.Uniform());
  }
  Finish(c, 0.6f, 0.3, 0.5);
  return c;
}

Clip Thunder(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad low;
  low.LowPass(120, 0.8, rate);
  double brown = 0;
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / rate;
    brown = 0.995 * brown + 0.1 * rng.White();
    double env = std::min(1.0, t / 0.08) * std::exp(-t / (seconds / 3)) * (0.7 + 0.3 * std::sin(2 * kPi * 3.1 * t));
    c.samples[i] = static_cast<float>(env * low(brown));
  }
  Biquad crack;
  crack.BandPass(900, 0.6, rate);
  AddBurst(c, 0.02, 0.4, 0.08, crack, rng, 0.05);
  Finish(c, 0.75f, 0.01, 0.4);
  return c;
}

Clip Water(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad murmur;
  murmur.BandPass(500, 0.8, rate);
  for (size_t i = 0; i < c.samples.size(); ++i) c.samples[i] = static_cast<float>(0.15 * murmur(rng.White()));
  // Bubbles: short sine chirps rising in pitch.
  int bubbles = static_cast<int>(seconds * 12);
  for (int b = 0; b < bubbles; ++b) {
    double at = rng.Uniform() * (seconds - 0.1), f0 = 400 + 900 * rng.Uniform(), amp = 0.2 + 0.3 * rng.Uniform();
    size_t from = static_cast<size_t>(at * rate), n = static_cast<size_t>(0.06 * rate);
    double phase = 0;
    for (size_t i = 0; i < n && from + i < c.samples.size(); ++i) {
      double t = static_cast<double>(i) / rate;
      phase += 2 * kPi * f0 * (1 + 8 * t) / rate;
      c.samples[from + i] += static_cast<float>(amp * std::exp(-t / 0.015) * std::sin(phase));
    }
  }
  Finish(c, 0.6f, 0.2, 0.4);
  return c;
}

Clip Fire(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad roar;
  roar.LowPass(300, 0.7, rate);
  for (size_t i = 0; i < c.samples.size(); ++i) c.samples[i] = static_cast<float>(0.5 * roar(rng.White()));
  int cracks = static_cast<int>(seconds * 15);
  for (int k = 0; k < cracks; ++k) {
    Biquad snap;
    snap.BandPass(std::min(rate / 3.0, 1500 + 2500 * rng.Uniform()), 1.5, rate);
    AddBurst(c, rng.Uniform() * (seconds - 0.05), 0.03, 0.004, snap, rng, 0.8 * rng.Uniform());
  }
  Finish(c, 0.6f, 0.2, 0.4);
  return c;
}

Clip DoorCreak(double seconds, int rate, uint32_t seed, bool iron) {
  Clip c = Empty(seconds + 0.5, rate);
  Noise rng(seed);
  // Stick-slip pulses whose rate glides, exciting two body resonances.
  Biquad body1, body2;
  body1.BandPass(iron ? 520 : 750, 8, rate);
  body2.BandPass(std::min(rate / 3.0, iron ? 1300.0 : 1900.0), 6, rate);
  double phase = 0;
  size_t n = static_cast<size_t>(seconds * rate);
  for (size_t i = 0; i < n; ++i) {
    double t = static_cast<double>(i) / rate, x = t / seconds;
    double pulseRate = (iron ? 35 : 60) + 70 * std::sin(kPi * x) + 10 * std::sin(2 * kPi * 3 * t);
    phase += pulseRate / rate;
    double pulse = 0;
    if (phase >= 1) {
      phase -= 1;
      pulse = 1 + 0.3 * rng.White();
    }
    double env = std::sin(kPi * std::min(1.0, x * 1.05));
    c.samples[i] = static_cast<float>(30.0 * env * (body1(pulse) + 0.6 * body2(pulse)));
  }
  // The door meets its frame.
  Biquad thud;
  thud.LowPass(180, 0.9, rate);
  AddBurst(c, seconds, 0.45, 0.09, thud, rng, 4.0);
  if (iron) AddStrike(c, seconds, 410, {1.0, 2.76, 5.4}, 0.25, 0.25);
  Finish(c);
  return c;
}

Clip DoorSlam(int rate, uint32_t seed) {
  Clip c = Empty(0.8, rate);
  Noise rng(seed);
  Biquad thud;
  thud.LowPass(200, 1.0, rate);
  AddBurst(c, 0.01, 0.6, 0.1, thud, rng, 6.0);
  Biquad rattle;
  rattle.BandPass(1100, 2, rate);
  AddBurst(c, 0.03, 0.3, 0.05, rattle, rng, 1.0);
  Finish(c, 0.75f, 0.001, 0.1);
  return c;
}

Clip Footsteps(int steps, double interval, int rate, uint32_t seed, bool soft) {
  Clip c = Empty(steps * interval + 0.3, rate);
  Noise rng(seed);
  for (int s = 0; s < steps; ++s) {
    double at = 0.05 + s * interval + 0.02 * rng.White();
    Biquad heel, toe;
    heel.LowPass(soft ? 500 : 900, 0.9, rate);
    toe.BandPass(std::min(rate / 3.0, soft ? 2500.0 : 1800.0), soft ? 0.6 : 1.2, rate);
    double level = s % 2 ? 0.85 : 1.0;
    AddBurst(c, at, 0.12, soft ? 0.035 : 0.02, heel, rng, 3.0 * level);
    AddBurst(c, at + 0.07, 0.1, soft ? 0.04 : 0.015, toe, rng, (soft ? 0.8 : 1.2) * level);
  }
  Finish(c);
  return c;
}

Clip Hooves(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  const double pattern[] = {0.0, 0.09, 0.2, 0.27};  // a gallop's four beats
  for (double bar = 0.05; bar + 0.4 < seconds; bar += 0.45) {
    for (double beat : pattern) {
      Biquad hoof;
      hoof.BandPass(350 + 100 * rng.Uniform(), 1.5, rate);
      AddBurst(c, bar + beat, 0.1, 0.02, hoof, rng, 4.0);
      AddStrike(c, bar + beat, 240, {1.0, 2.3}, 0.03, 0.3);
    }
  }
  Finish(c);
  return c;
}

Clip SwordClash(int rate, uint32_t seed, double pitch) {
  Clip c = Empty(1.2, rate);
  Noise rng(seed);
  Biquad scrape;
  scrape.HighPass(2000 * std::min(1.0, rate / 44100.0), 0.7, rate);
  AddBurst(c, 0.0, 0.08, 0.012, scrape, rng, 1.5);
  AddStrike(c, 0.0, 1180 * pitch, {1.0, 1.37, 2.41, 3.16, 4.42}, 0.45, 0.6);
  Finish(c, 0.7f, 0.001, 0.15);
  return c;
}

Clip Whoosh(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  Biquad band;
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double x = static_cast<double>(i) / c.samples.size();
    if (i % 32 == 0) band.BandPass(std::min(rate / 3.0, 400 + 3000 * x), 3, rate);
    c.samples[i] = static_cast<float>(std::sin(kPi * x) * std::sin(kPi * x) * band(rng.White()));
  }
  Finish(c);
  return c;
}

Clip Anvil(int hits, int rate, uint32_t seed) {
  Clip c = Empty(hits * 0.55 + 0.8, rate);
  Noise rng(seed);
  for (int h = 0; h < hits; ++h) {
    AddStrike(c, 0.05 + 0.55 * h, 880 + 10 * h, {1.0, 2.57, 4.18, 5.9}, 0.35, 1.0);
    Biquad knock;
    knock.LowPass(400, 1, rate);
    AddBurst(c, 0.05 + 0.55 * h, 0.1, 0.02, knock, rng, 2.0);
  }
  Finish(c, 0.7f, 0.001, 0.2);
  return c;
}

Clip Howl(double seconds, int rate) {
  Clip c = Empty(seconds, rate);
  double phase = 0;
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double t = static_cast<double>(i) / rate, x = t / seconds;
    double f = 420 + 260 * std::sin(kPi * std::min(1.0, x * 1.4)) + 6 * std::sin(2 * kPi * 5.5 * t);
    phase += 2 * kPi * f / rate;
    double env = std::sin(kPi * x);
    c.samples[i] = static_cast<float>(env * (std::sin(phase) + 0.3 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase)));
  }
  Finish(c, 0.7f, 0.1, 0.3);
  return c;
}

Clip Sparkle(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  double phase = 0;
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double x = static_cast<double>(i) / c.samples.size();
    phase += 2 * kPi * (300 + 900 * x * x) / rate;
    c.samples[i] = static_cast<float>(0.3 * std::sin(kPi * x) * std::sin(phase));
  }
  int chimes = static_cast<int>(seconds * 14);
  for (int k = 0; k < chimes; ++k) {
    double at = rng.Uniform() * (seconds - 0.2);
    AddStrike(c, at, std::min(rate / 3.0, 1800 + 2400 * rng.Uniform()), {1.0, 2.0}, 0.12, 0.25);
  }
  Finish(c, 0.7f, 0.02, 0.2);
  return c;
}

Clip Crowd(double seconds, int rate, uint32_t seed) {
  Clip c = Empty(seconds, rate);
  Noise rng(seed);
  // Murmur: noise through vowel-like formants whose levels wander.
  const double formants[][2] = {{700, 1200}, {400, 2000}, {300, 900}, {600, 1700}};
  Biquad f1[4], f2[4];
  double level[4] = {0, 0, 0, 0};
  for (int v = 0; v < 4; ++v) {
    f1[v].BandPass(formants[v][0], 5, rate);
    f2[v].BandPass(std::min(rate / 3.0, formants[v][1]), 6, rate);
  }
  for (size_t i = 0; i < c.samples.size(); ++i) {
    double x = 0, n = rng.White();
    for (int v = 0; v < 4; ++v) {
      if (i % 512 == 0) level[v] = 0.5 + 0.5 * rng.Uniform();
      x += level[v] * (f1[v](n) + 0.5 * f2[v](n));
    }
    c.samples[i] = static_cast<float>(x);
  }
  Finish(c, 0.6f, 0.3, 0.5);
  return c;
}

Clip Click(int rate) {
  Clip c = Empty(0.12, rate);
  AddStrike(c, 0.0, std::min(rate / 3.0, 2200.0), {1.0, 1.5}, 0.015, 1.0);
  Finish(c, 0.6f, 0.0005, 0.02);
  return c;
}

Clip Speech(const std::string& text, const std::string& voice, int rate) {
  char path[] = "/tmp/vantor-speech-XXXXXX";
  int fd = mkstemp(path);
  Clip spoken;
  bool ok = false;
  if (fd >= 0) {
    close(fd);
    std::string v = voice;
    std::string t = text;
    char* argv[] = {const_cast<char*>("espeak-ng"), const_cast<char*>("-v"), v.data(), const_cast<char*>("-w"),
                    path, t.data(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "espeak-ng", &actions, nullptr, argv, environ) == 0 && waitpid(pid, &status, 0) == pid &&
        WIFEXITED(status) && WEXITSTATUS(status) == 0)
      ok = ReadWave(path, &spoken) && spoken.Frames() > 0;
    posix_spawn_file_actions_destroy(&actions);
    unlink(path);
  }
  if (!ok) {
    static bool noted = false;  // one note per run
    if (!noted)
      fprintf(stderr, "note: espeak-ng could not speak \"%s\"; tones stand in for the lines it cannot speak\n",
              text.c_str());
    noted = true;
    return Tone(voice.find("+f") != std::string::npos ? 440.0 : 220.0, 1.0, rate);
  }
  if (spoken.channels == 2) {
    Clip mono;
    mono.rate = spoken.rate;
    for (size_t i = 0; i < spoken.Frames(); ++i)
      mono.samples.push_back(0.5f * (spoken.samples[2 * i] + spoken.samples[2 * i + 1]));
    spoken = std::move(mono);
  }
  // Trim the silence espeak-ng leaves at the ends, keeping a little air.
  size_t first = 0, last = spoken.samples.size();
  while (first < last && std::fabs(spoken.samples[first]) < 0.01f) ++first;
  while (last > first && std::fabs(spoken.samples[last - 1]) < 0.01f) --last;
  size_t pad = static_cast<size_t>(0.05 * spoken.rate);
  first = first > pad ? first - pad : 0;
  last = std::min(spoken.samples.size(), last + pad);
  spoken.samples = std::vector<float>(spoken.samples.begin() + first, spoken.samples.begin() + last);
  Clip out = Resample(spoken, rate);
  Finish(out, 0.7f, 0.01, 0.05);
  return out;
}

void Finish(Clip& c, float peak, double fadeIn, double fadeOut) {
  const size_t frames = c.Frames(), ch = static_cast<size_t>(c.channels);
  if (frames == 0) return;
  for (size_t k = 0; k < ch; ++k) {
    // DC blocker, then the mean of what is left.
    double x1 = 0, y1 = 0, r = 1.0 - 2 * kPi * 15.0 / c.rate, sum = 0;
    for (size_t i = 0; i < frames; ++i) {
      double x = c.samples[i * ch + k], y = x - x1 + r * y1;
      x1 = x;
      y1 = y;
      c.samples[i * ch + k] = static_cast<float>(y);
      sum += y;
    }
    float mean = static_cast<float>(sum / frames);
    for (size_t i = 0; i < frames; ++i) c.samples[i * ch + k] -= mean;
  }
  size_t in = std::min(frames / 2, static_cast<size_t>(fadeIn * c.rate));
  size_t out = std::min(frames / 2, static_cast<size_t>(fadeOut * c.rate));
  for (size_t i = 0; i < frames; ++i) {
    double g = 1.0;
    if (i < in) g = 0.5 - 0.5 * std::cos(kPi * i / in);
    if (i >= frames - out) g *= 0.5 - 0.5 * std::cos(kPi * (frames - 1 - i) / out);
    for (size_t k = 0; k < ch; ++k) c.samples[i * ch + k] *= static_cast<float>(g);
  }
  float max = 0;
  for (float s : c.samples) max = std::max(max, std::fabs(s));
  if (max > 0)
    for (float& s : c.samples) s *= peak / max;
}

Clip Stereo(const Clip& mono, double pan, double width) {
  Clip c;
  c.rate = mono.rate;
  c.channels = 2;
  double l = std::sqrt(0.5 * (1 - pan)), r = std::sqrt(0.5 * (1 + pan));
  size_t delay = static_cast<size_t>(0.011 * mono.rate), n = mono.samples.size();
  c.samples.resize(2 * n);
  for (size_t i = 0; i < n; ++i) {
    double d = i >= delay ? mono.samples[i - delay] : 0.0, x = mono.samples[i];
    c.samples[2 * i] = static_cast<float>(l * ((1 - width) * x + width * d));
    c.samples[2 * i + 1] = static_cast<float>(r * ((1 - width) * x - width * d));
  }
  Finish(c, 0.7f, 0.0, 0.02);
  return c;
}

Clip Stereo(const Clip& left, const Clip& right) {
  Clip c;
  c.rate = left.rate;
  c.channels = 2;
  size_t n = std::max(left.samples.size(), right.samples.size());
  c.samples.resize(2 * n);
  for (size_t i = 0; i < n; ++i) {
    c.samples[2 * i] = i < left.samples.size() ? left.samples[i] : 0.0f;
    c.samples[2 * i + 1] = i < right.samples.size() ? right.samples[i] : 0.0f;
  }
  Finish(c, 0.7f, 0.0, 0.02);
  return c;
}

Clip Resample(const Clip& clip, int rate) {
  if (clip.rate == rate) return clip;
  Clip c;
  c.rate = rate;
  c.channels = clip.channels;
  const size_t ch = static_cast<size_t>(clip.channels), inFrames = clip.Frames();
  const size_t frames = static_cast<size_t>(static_cast<double>(inFrames) * rate / clip.rate);
  // Windowed-sinc interpolation, cut off below the lower of the two Nyquist frequencies.
  const double step = static_cast<double>(clip.rate) / rate, cutoff = std::min(1.0, 1.0 / step);
  const int half = 16;
  c.samples.resize(frames * ch);
  for (size_t i = 0; i < frames; ++i) {
    double pos = i * step;
    long center = static_cast<long>(std::floor(pos));
    for (size_t k = 0; k < ch; ++k) {
      double acc = 0, norm = 0;
      for (long j = center - static_cast<long>(half / cutoff); j <= center + static_cast<long>(half / cutoff); ++j) {
        double x = (pos - j) * cutoff;
        double w = std::fabs(x) < 1e-9 ? 1.0 : std::sin(kPi * x) / (kPi * x);
        double win = std::fabs(x) < half ? 0.5 + 0.5 * std::cos(kPi * x / half) : 0.0;
        norm += w * win;
        if (j >= 0 && static_cast<size_t>(j) < inFrames) acc += w * win * clip.samples[static_cast<size_t>(j) * ch + k];
      }
      c.samples[i * ch + k] = static_cast<float>(norm != 0 ? acc / norm : 0.0);
    }
  }
  return c;
}

Clip Mix(const std::vector<std::pair<double, Clip>>& parts) {
  Clip c;
  if (parts.empty()) return c;
  c.rate = parts[0].second.rate;
  c.channels = parts[0].second.channels;
  const size_t ch = static_cast<size_t>(c.channels);
  for (const auto& [at, part] : parts) {
    size_t from = static_cast<size_t>(at * c.rate) * ch;
    if (c.samples.size() < from + part.samples.size()) c.samples.resize(from + part.samples.size(), 0.0f);
    for (size_t i = 0; i < part.samples.size(); ++i) c.samples[from + i] += part.samples[i];
  }
  Finish(c, 0.7f, 0.0, 0.02);
  return c;
}

}  // namespace synth
