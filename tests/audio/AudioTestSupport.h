// Shared pieces of the audio tests: formats, WAVE bytes, streams, a recording wave
// output backend, and draining a chain.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "audio/SoundSource.h"
#include "codec/AcmDriverRegistration.h"
#include "codec/XboxAdpcm.h"
#include "tests/support/TempDir.h"

using Bytes = std::vector<uint8_t>;
using Samples = std::vector<int16_t>;

inline WAVEFORMATEX Pcm(WORD ch, DWORD rate, WORD bits = 16) {
  const WORD align = WORD(ch * bits / 8);
  return {WAVE_FORMAT_PCM, ch, rate, rate * align, align, bits, 0};
}
// WAVE pieces, joined with `+`: little-endian numbers, chunks with their pad byte, a "fmt " body.
inline Bytes Le(uint32_t v, int n) {
  const uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  return Bytes(b, b + n);
}
inline Bytes Chunk(const char* id, const Bytes& body) {
  Bytes c = Text(id) + Le(uint32_t(body.size()), 4) + body;
  if (body.size() % 2) c.push_back(0);
  return c;
}
inline Bytes Fmt(WORD tag, WORD ch, DWORD rate, WORD align, WORD bits) {
  return Le(tag, 2) + Le(ch, 2) + Le(rate, 4) + Le(rate * align, 4) + Le(align, 2) + Le(bits, 2);
}
inline Bytes Riff(const Bytes& chunks) {
  return Text("RIFF") + Le(uint32_t(chunks.size() + 4), 4) + Text("WAVE") + chunks;
}
inline Bytes PcmWave(const WAVEFORMATEX& f, const Bytes& data) {
  const Bytes fmt = Fmt(1, f.nChannels, f.nSamplesPerSec, f.nBlockAlign, f.wBitsPerSample);
  return Riff(Chunk("fmt ", fmt) + Chunk("data", data));
}
// As the codec writes it: a 20-byte "fmt " chunk (cbSize 2), and chunks before "data".
inline Bytes AdpcmWave(WORD ch, DWORD rate, const Bytes& data) {
  const Bytes fmt = Fmt(WAVE_FORMAT_XBOX_ADPCM, ch, rate, WORD(36 * ch), 4) + Le(2, 2) + Le(64, 2);
  return Riff(Chunk("fmt ", fmt) + Chunk("fact", Le(0, 4)) + Chunk("LIST", Text("INFO")) + Chunk("data", data));
}

inline Bytes AsBytes(const Samples& s) {
  const auto* p = reinterpret_cast<const uint8_t*>(s.data());
  return Bytes(p, p + s.size() * 2);
}
inline Samples AsSamples(const Bytes& b) {
  Samples s(b.size() / 2);
  std::memcpy(s.data(), b.data(), s.size() * 2);
  return s;
}
// A tone per channel (channel c at (c + 1) * hz), interleaved.
inline Samples Tone(int frames, int ch, double rate, double hz) {
  Samples s(size_t(frames) * ch);
  for (size_t i = 0; i < s.size(); ++i)
    s[i] = int16_t(12000 * std::sin(2 * M_PI * hz * double(i % ch + 1) * double(i / ch) / rate));
  return s;
}
// Whole blocks of 64 samples per channel through the codec, one way or the other.
inline Bytes AdpcmEncode(const Samples& pcm, int ch) { return XboxAdpcmEncode(pcm, ch); }
inline Samples AdpcmDecode(const Bytes& blocks, int ch) { return XboxAdpcmDecode(blocks, ch); }

inline Bytes ReadFileBytes(const std::string& path) {
  Bytes b;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) b.insert(b.end(), buf, buf + n);
    std::fclose(f);
  }
  return b;
}

// A stdio stream holding the bytes, at their start.
struct MemStream {
  FILE* f = std::tmpfile();
  explicit MemStream(const Bytes& b) {
    if (!b.empty()) std::fwrite(b.data(), 1, b.size(), f);
    std::rewind(f);
  }
  ~MemStream() { std::fclose(f); }
};

// The codec and the converter registered for each test.
struct AcmTest : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(RegisterAcmDrivers()); }
  void TearDown() override { RemoveAcmDrivers(); }
};

// Fills the target until a fill comes back empty; what the fills delivered.
inline Bytes Drain(CSampleBuffer& target) {
  Bytes out;
  for (int i = 0; i < 100000; ++i) {
    target.Fill();
    if (target.m_nValid <= 0) return out;
    out.insert(out.end(), target.m_pData, target.m_pData + target.m_nValid);
  }
  ADD_FAILURE() << "the chain never came back empty";
  return out;
}

// A whole sound file through a chain of the Source kind into fills of `size` bytes of `out`.
template <class Source = CWaveFileSource>
Bytes DecodeFile(const std::string& path, const WAVEFORMATEX& out, int size = 8192) {
  CSampleBuffer target;
  target.SetFormat(&out);
  target.Allocate(size);
  Source s;
  EXPECT_TRUE(s.OpenFile(path.c_str()));
  EXPECT_FALSE(s.OpenFile(path.c_str()));  // one file per source
  EXPECT_EQ(s.Attach(&target), 0);
  return Drain(target);
}

#ifndef _WIN32  // replaces the wave output stand-in's header calls
// Wave output that records the prepared headers and what is written.
struct RecordingWaveOut {
  static inline std::vector<LPWAVEHDR> prepared;
  static inline std::vector<Bytes> written;
  static inline MMRESULT result;
  static MMRESULT Prepare(HWAVEOUT, LPWAVEHDR p, UINT cb) {
    prepared.push_back(p);
    return cb == sizeof(WAVEHDR) ? result : MMSYSERR_INVALPARAM;
  }
  static MMRESULT Unprepare(HWAVEOUT, LPWAVEHDR, UINT) { return result; }
  static MMRESULT Write(HWAVEOUT, LPWAVEHDR p, UINT cb) {
    written.emplace_back(p->lpData, p->lpData + p->dwBufferLength);
    return cb == sizeof(WAVEHDR) ? result : MMSYSERR_INVALPARAM;
  }
  static constexpr WaveOutBackend kTable{Prepare, Unprepare, Write};
  const WaveOutBackend* previous = SetWaveOutBackend(&kTable);
  RecordingWaveOut() { prepared.clear(), written.clear(), result = MMSYSERR_NOERROR; }
  ~RecordingWaveOut() { SetWaveOutBackend(previous); }
  static Bytes Played() {
    Bytes all;
    for (const Bytes& b : written) all.insert(all.end(), b.begin(), b.end());
    return all;
  }
};
#endif
