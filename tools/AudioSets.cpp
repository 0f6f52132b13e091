#include "tools/AudioSets.h"

#include <algorithm>
#include <random>

#include "tools/AudioWriters.h"
#include "tools/SetGenerator.h"

using Writer = MetafileSetWriter;

Clip ConformClip(const Clip& clip, const AudioFormat& format) {
  Clip c = synth::Resample(clip, format.rate);
  if (c.channels == format.channels) return c;
  if (format.channels == 2) return synth::Stereo(c, 0.0, 0.3);
  Clip mono;
  mono.rate = c.rate;
  mono.samples.resize(c.Frames());
  for (size_t i = 0; i < mono.samples.size(); ++i) mono.samples[i] = 0.5f * (c.samples[2 * i] + c.samples[2 * i + 1]);
  synth::Finish(mono, 0.7f, 0.0, 0.0);
  return mono;
}

std::vector<uint8_t> EncodeClip(const Clip& clip, const AudioFormat& format, const std::string& title) {
  Clip c = ConformClip(clip, format);
  switch (format.kind) {
    case AudioKind::Pcm8:
      return WriteWavePcm(c, 8, title);
    case AudioKind::Pcm16:
      return WriteWavePcm(c, 16, title);
    case AudioKind::XboxAdpcm:
      return WriteWaveXboxAdpcm(c, title.empty() ? "Quarn Vantor" : title);
    case AudioKind::Ogg:
      return WriteOggVorbis(c, format.rate <= 11025 ? 0.2f : 0.3f);
  }
  return {};
}

std::string Utf8ToWindows1252(const std::string& s) {
  // Code points of bytes 0x80 to 0x9F; zero where Windows-1252 has no character.
  static const uint16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                     0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
  std::string out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp = c;
    size_t len = 1;
    if (c >= 0xF0) {
      cp = c & 0x07;
      len = 4;
    } else if (c >= 0xE0) {
      cp = c & 0x0F;
      len = 3;
    } else if (c >= 0xC0) {
      cp = c & 0x1F;
      len = 2;
    } else if (c >= 0x80) {
      cp = 0xFFFD;  // a stray continuation byte
    }
    for (size_t k = 1; k < len; ++k) {
      unsigned char d = i + k < s.size() ? static_cast<unsigned char>(s[i + k]) : 0;
      if ((d & 0xC0) != 0x80) {
        cp = 0xFFFD;
        len = k;
        break;
      }
      cp = (cp << 6) | (d & 0x3F);
    }
    i += len;
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
      out += static_cast<char>(cp);
      continue;
    }
    char mapped = '?';
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] != 0 && kHigh[k] == cp) mapped = static_cast<char>(0x80 + k);
    out += mapped;
  }
  return out;
}

namespace {

// A pool of encoded clips of 1 to 10 seconds in every stored kind.
struct PoolClip {
  std::vector<uint8_t> bytes;
  AudioFormat format;
  size_t frames;
  bool ogg;
};

std::vector<PoolClip> MakePool(uint32_t seed) {
  using namespace synth;
  const AudioFormat formats[] = {
      {AudioKind::Pcm16, 22050, 1}, {AudioKind::XboxAdpcm, 44100, 2}, {AudioKind::Ogg, 44100, 2},
      {AudioKind::Pcm8, 11025, 1},  {AudioKind::XboxAdpcm, 22050, 1}, {AudioKind::Ogg, 22050, 1},
      {AudioKind::Pcm16, 44100, 2}, {AudioKind::XboxAdpcm, 22050, 2}, {AudioKind::Ogg, 11025, 1},
      {AudioKind::Pcm8, 22050, 2},  {AudioKind::XboxAdpcm, 44100, 1}, {AudioKind::Ogg, 22050, 2},
  };
  std::vector<PoolClip> pool;
  for (int i = 0; i < 36; ++i) {
    const AudioFormat& f = formats[i % 12];
    double seconds = 1.0 + (i * 7 % 10) * 0.9;  // 1 to 9.1 s
    uint32_t s = seed * 100 + static_cast<uint32_t>(i);
    Clip c;
    switch (i % 6) {
      case 0: c = Wind(seconds, f.rate, s, 0.5 + 0.1 * (i % 9)); break;
      case 1: c = Bell(110.0 * (2 + i % 5), seconds, f.rate); break;
      case 2: c = Rain(seconds, f.rate, s); break;
      case 3: c = Footsteps(static_cast<int>(seconds / 0.45), 0.45, f.rate, s, i % 2 != 0); break;
      case 4: c = Chord({220.0 + 10 * i, 277.2 + 10 * i, 329.6 + 10 * i}, seconds, f.rate); break;
      default: c = Water(seconds, f.rate, s); break;
    }
    Clip conformed = ConformClip(c, f);
    pool.push_back({EncodeClip(conformed, f), f, conformed.Frames(), f.kind == AudioKind::Ogg});
  }
  return pool;
}

constexpr uint64_t kStoredBudget = 320u << 20;

const char* const kPhrases[] = {"Halt! Who goes there?", "La porte est ferm\u00e9e jusqu'\u00e0 l'aube.",
                                "Il cancello \u00e8 chiuso.", "Gr\u00fc\u00df Gott, Wanderer.",
                                "\u00bfD\u00f3nde est\u00e1 el capit\u00e1n?", "We ride at first light."};

}  // namespace

void MakeAudioBenchSet(Writer& w, int n, uint32_t seed, AudioSetManifest* manifest) {
  std::mt19937 rng(seed);
  // Each file with data gets a stored copy of the next pool clip until the stored data reaches
  // kStoredBudget; later files share the copies at random.
  const std::vector<PoolClip> pool = MakePool(seed);
  struct Stored {
    int handle;
    const PoolClip* clip;
  };
  std::vector<Stored> stored;
  uint64_t total = 0;
  auto dataFor = [&]() -> const Stored& {
    if (total >= kStoredBudget && !stored.empty()) return stored[rng() % stored.size()];
    const size_t i = stored.size();
    const PoolClip& clip = pool[i % pool.size()];
    int handle = w.AddData(1 + static_cast<int>(i % 5), clip.bytes);
    stored.push_back({handle, &clip});
    total += clip.bytes.size();
    if (manifest)
      manifest->sounds.push_back({handle, "pool_" + std::to_string(i % pool.size()), clip.format, clip.frames,
                                  clip.bytes.size()});
    return stored.back();
  };

  std::vector<std::string> phrases;
  for (const char* p : kPhrases) phrases.push_back(Utf8ToWindows1252(p));
  MakeBenchShape(w, n, rng, [&](Writer::SoundFile& f, int r, int k) {
    if (rng() % 50 != 0) {
      const Stored& s = dataFor();
      f.data = Writer::Address::Item(s.handle);
      (s.clip->ogg ? f.oggSize : f.wavSize) = static_cast<uint32_t>(s.clip->bytes.size());
    }
    for (size_t lang = 0; lang < 5; ++lang) f.subtitles[lang] = phrases[(r + k + lang) % phrases.size()];
  });
}
