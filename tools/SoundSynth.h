// Synthesized sounds for generated metafile sets: tones, chords, bells and effect-like noises,
// and spoken lines through espeak-ng. Everything but the spoken lines is deterministic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Interleaved samples in [-1, 1].
struct Clip {
  int rate = 22050;
  int channels = 1;
  std::vector<float> samples;

  size_t Frames() const { return samples.size() / static_cast<size_t>(channels); }
  double Seconds() const { return static_cast<double>(Frames()) / rate; }
};

namespace synth {

// Mono generators. `seed` picks the noise; the same arguments give the same samples.
Clip Tone(double freq, double seconds, int rate);
Clip Chord(std::initializer_list<double> freqs, double seconds, int rate);
// Notes of `noteSeconds` each, frequencies in Hz (0 is a rest).
Clip Melody(std::initializer_list<double> freqs, double noteSeconds, int rate);
Clip Bell(double freq, double seconds, int rate);
Clip Wind(double seconds, int rate, uint32_t seed, double strength = 1.0);
Clip Rain(double seconds, int rate, uint32_t seed);
Clip Thunder(double seconds, int rate, uint32_t seed);
Clip Water(double seconds, int rate, uint32_t seed);
Clip Fire(double seconds, int rate, uint32_t seed);
Clip DoorCreak(double seconds, int rate, uint32_t seed, bool iron);
Clip DoorSlam(int rate, uint32_t seed);
Clip Footsteps(int steps, double interval, int rate, uint32_t seed, bool soft);
Clip Hooves(double seconds, int rate, uint32_t seed);
Clip SwordClash(int rate, uint32_t seed, double pitch = 1.0);
Clip Whoosh(double seconds, int rate, uint32_t seed);
Clip Anvil(int hits, int rate, uint32_t seed);
Clip Howl(double seconds, int rate);
Clip Sparkle(double seconds, int rate, uint32_t seed);
Clip Crowd(double seconds, int rate, uint32_t seed);
Clip Click(int rate);

// Spoken text (espeak-ng, voice such as "en+m3" or "en+f3"), resampled to `rate`. When
// espeak-ng is missing or fails, a short tone stands in and a note goes to standard error.
Clip Speech(const std::string& text, const std::string& voice, int rate);

// Finishing: remove DC, scale to `peak`, fade in and out so the ends do not click.
void Finish(Clip& clip, float peak = 0.7f, double fadeIn = 0.005, double fadeOut = 0.03);
// Two channels from one: `pan` in [-1, 1], `width` in [0, 1] mixes in a slightly delayed copy.
Clip Stereo(const Clip& mono, double pan = 0.0, double width = 0.3);
// Two channels from two clips of the same rate (the shorter is padded with silence).
Clip Stereo(const Clip& left, const Clip& right);
Clip Resample(const Clip& clip, int rate);
// Sum of clips (same rate and channels), each starting at its offset in seconds.
Clip Mix(const std::vector<std::pair<double, Clip>>& parts);

}  // namespace synth
