// extract_bench_set SET_DIR PEER_DIR [MIB]: a metafile set of about MIB (default 256) MiB of
// Xbox ADPCM WAVE sounds of 1 to 10 s, mono and stereo at 22050 and 44100 Hz, one row each;
// and in PEER_DIR, per format, one WAVE file holding all the stored blocks of that format in
// the same order, for other decoders to decode the same data.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "codec/XboxAdpcm.h"
#include "tools/MetafileSetWriter.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Format {
  int channels;
  uint32_t rate;
};

// A few seconds of notes with harmonics, a slow tremolo and a little noise.
std::vector<int16_t> Synthesize(const Format& f, double seconds, std::mt19937& rng) {
  const size_t frames = size_t(seconds * f.rate) / 64 * 64;
  std::vector<int16_t> pcm(frames * f.channels);
  std::normal_distribution<double> noise(0, 300);
  const double base = 110.0 * std::pow(2.0, double(rng() % 24) / 12);
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / f.rate;
    for (int c = 0; c < f.channels; ++c) {
      double v = 0;
      for (int h = 1; h <= 5; ++h) v += std::sin(2 * M_PI * base * h * (1 + 0.002 * c) * t) / h;
      v *= 7000 * (0.6 + 0.4 * std::sin(2 * M_PI * 0.5 * t));
      pcm[i * f.channels + c] = int16_t(std::clamp(v + noise(rng), -32768.0, 32767.0));
    }
  }
  return pcm;
}

// RIFF WAVE with the 20-byte Xbox ADPCM "fmt " chunk.
Bytes Wave(const Format& f, const Bytes& blocks) {
  Bytes w;
  w.reserve(48 + blocks.size());
  auto put = [&](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) w.push_back(uint8_t(v >> 8 * i));
  };
  auto id = [&](const char* s) {
    for (int i = 0; i < 4; ++i) w.push_back(uint8_t(s[i]));
  };
  id("RIFF");
  put(uint32_t(4 + 28 + 8 + blocks.size()), 4);
  id("WAVE");
  id("fmt ");
  put(20, 4);
  put(0x0069, 2);
  put(f.channels, 2);
  put(f.rate, 4);
  put(f.rate * 36 * f.channels / 64, 4);
  put(36 * f.channels, 2);
  put(4, 2);
  put(2, 2);
  put(64, 2);
  id("data");
  put(uint32_t(blocks.size()), 4);
  w.insert(w.end(), blocks.begin(), blocks.end());
  return w;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: extract_bench_set SET_DIR PEER_DIR [MIB]\n");
    return 2;
  }
  const std::string setDir = argv[1], peerDir = argv[2];
  const uint64_t target = uint64_t(argc > 3 ? atoi(argv[3]) : 256) << 20;
  std::mt19937 rng(7);
  const Format formats[] = {{1, 22050}, {2, 22050}, {1, 44100}, {2, 44100}};

  // A pool of encoded clips; every row stores its own copy of one of them.
  struct Clip {
    int format;
    Bytes blocks;
  };
  std::vector<Clip> pool;
  for (int i = 0; i < 24; ++i) {
    const int fi = i % 4;
    pool.push_back({fi, XboxAdpcmEncode(Synthesize(formats[fi], 1 + rng() % 10, rng), formats[fi].channels)});
  }

  MetafileSetWriter w;
  w.tags.push_back({"_bench", 0, {}});
  std::map<int, Bytes> peer;  // format -> blocks of every row of that format, in row order
  uint64_t stored = 0;
  for (int row = 0; stored < target; ++row) {
    const Clip& clip = pool[rng() % pool.size()];
    const Bytes wave = Wave(formats[clip.format], clip.blocks);
    MetafileSetWriter::SoundInfo info;
    MetafileSetWriter::SoundFile f;
    f.name = "bench_" + std::to_string(row);
    f.data = MetafileSetWriter::Address::Item(w.AddData(1 + row % 5, wave));
    f.wavSize = uint32_t(wave.size());
    info.files.push_back(std::move(f));
    w.taggedSounds.push_back({{{0, MetafileSetWriter::kInvalid}}, MetafileSetWriter::Address::Item(w.AddRecord(2, info))});
    Bytes& all = peer[clip.format];
    all.insert(all.end(), clip.blocks.begin(), clip.blocks.end());
    stored += wave.size();
  }
  std::string error;
  if (!w.Write(setDir, &error)) {
    fprintf(stderr, "extract_bench_set: %s\n", error.c_str());
    return 1;
  }
  for (const auto& [fi, blocks] : peer) {
    const std::string path = peerDir + "/adpcm-" + std::to_string(formats[fi].channels) + "ch-" +
                             std::to_string(formats[fi].rate) + ".wav";
    const Bytes wave = Wave(formats[fi], blocks);
    FILE* out = fopen(path.c_str(), "wb");
    if (!out || fwrite(wave.data(), 1, wave.size(), out) != wave.size() || fclose(out) != 0) {
      fprintf(stderr, "extract_bench_set: cannot write %s\n", path.c_str());
      return 1;
    }
  }
  printf("%zu rows, %llu stored bytes\n", w.taggedSounds.size(), static_cast<unsigned long long>(stored));
  return 0;
}
