// Decoding speed against FFmpeg, encoder quality, and the PCM converter's THD+N and
// chunk joins when driven chunk by chunk with START on every call.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "codec/AcmDriverRegistration.h"
#include "codec/XboxAdpcm.h"

namespace {

using Clock = std::chrono::steady_clock;

std::vector<int16_t> Music(int ch, size_t frames, int rate) {
  std::vector<int16_t> pcm(frames * ch);
  const double notes[] = {196, 246.94, 293.66, 392, 493.88};
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    for (int c = 0; c < ch; ++c) {
      double v = 0;
      for (int k = 0; k < 5; ++k) {
        const double env = 0.5 + 0.5 * std::sin(2 * M_PI * (0.4 + 0.2 * k) * t + c);
        for (int h = 1; h <= 5; ++h) v += env * std::sin(2 * M_PI * notes[k] * h * t + c) / (h * h);
      }
      pcm[i * ch + c] = static_cast<int16_t>(std::clamp(5000 * v, -32768.0, 32767.0));
    }
  }
  return pcm;
}

// Pulse train through three formant resonators, in syllables of changing pitch.
std::vector<int16_t> Speech(size_t frames, int rate) {
  std::vector<int16_t> pcm(frames);
  const double formants[3][2] = {{700, 1200}, {1100, 1900}, {2500, 2700}};
  double y1[3] = {0}, y2[3] = {0}, phase = 0;
  std::mt19937 rng(5);
  std::normal_distribution<double> noise(0, 0.05);
  for (size_t i = 0; i < frames; ++i) {
    const double t = double(i) / rate;
    const double syl = std::fmod(t, 0.25) / 0.25;
    const double f0 = 110 + 30 * std::sin(2 * M_PI * 0.7 * t);
    phase += f0 / rate;
    const double src = (phase >= 1 ? (phase -= 1, 1.0) : 0.0) + noise(rng);
    double out = 0;
    for (int k = 0; k < 3; ++k) {
      const double f = formants[k][0] + (formants[k][1] - formants[k][0]) * syl;
      const double r = 0.97, w = 2 * M_PI * f / rate;
      const double y = src + 2 * r * std::cos(w) * y1[k] - r * r * y2[k];
      y2[k] = y1[k];
      y1[k] = y;
      out += y / (k + 1);
    }
    const double env = std::sin(M_PI * syl);
    pcm[i] = static_cast<int16_t>(std::clamp(900 * env * out, -32768.0, 32767.0));
  }
  return pcm;
}

double SnrDb(const std::vector<int16_t>& a, const std::vector<int16_t>& b) {
  double s = 0, e = 0;
  for (size_t i = 0; i < b.size(); ++i) {
    s += double(a[i]) * a[i];
    e += double(a[i] - b[i]) * (a[i] - b[i]);
  }
  return 10 * std::log10(s / e);
}

void DecodeVsFfmpeg(benchmark::State& state) {
  const int ch = 2, rate = 44100;
  const size_t frames = size_t(rate) * 600 / 64 * 64;  // ten minutes
  const auto data = XboxAdpcmEncode(Music(ch, frames, rate), ch);
  const std::string path = "/tmp/vantor_bench_xbadpcm.wav";
  {
    FILE* f = std::fopen(path.c_str(), "wb");
    auto p32 = [&](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto p16 = [&](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    p32(uint32_t(4 + 28 + 8 + data.size()));
    std::fwrite("WAVEfmt ", 1, 8, f);
    p32(20), p16(0x69), p16(ch), p32(rate), p32(rate * 72 / 64), p16(72), p16(4), p16(2), p16(64);
    std::fwrite("data", 1, 4, f);
    p32(uint32_t(data.size()));
    std::fwrite(data.data(), 1, data.size(), f);
    std::fclose(f);
  }
  double ours = 0, theirs = 0;
  for (auto _ : state) {
    auto t0 = Clock::now();
    auto pcm = XboxAdpcmDecode(data, ch);
    benchmark::DoNotOptimize(pcm.data());
    auto t1 = Clock::now();
    const std::string cmd = "ffmpeg -nostdin -v error -threads 1 -i " + path + " -f s16le -y /dev/null";
    if (std::system(cmd.c_str()) != 0) state.SkipWithError("ffmpeg failed");
    auto t2 = Clock::now();
    ours += std::chrono::duration<double>(t1 - t0).count();
    theirs += std::chrono::duration<double>(t2 - t1).count();
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
  }
  std::remove(path.c_str());
  state.counters["ours_s"] = ours / state.iterations();
  state.counters["ffmpeg_s"] = theirs / state.iterations();
  state.counters["ffmpeg_over_ours"] = theirs / ours;
  state.counters["x_realtime"] = 600.0 / (ours / state.iterations());
}
BENCHMARK(DecodeVsFfmpeg)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

void EncoderSnr(benchmark::State& state) {
  const int rate = 22050;
  const bool speech = state.range(0) == 0;
  const auto pcm = speech ? Speech(size_t(rate) * 20 / 64 * 64, rate) : Music(1, size_t(rate) * 20 / 64 * 64, rate);
  std::vector<uint8_t> data;
  for (auto _ : state) {
    data = XboxAdpcmEncode(pcm, 1);
    benchmark::DoNotOptimize(data.data());
  }
  state.SetLabel(speech ? "speech-like" : "music-like");
  state.counters["snr_db"] = SnrDb(pcm, XboxAdpcmDecode(data, 1));
}
BENCHMARK(EncoderSnr)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// THD+N of a 1 kHz tone converted chunk by chunk to 44100 Hz stereo, and the largest
// sample step at chunk joins against the largest inside chunks.
void ConverterThdN(benchmark::State& state) {
  const DWORD rate = static_cast<DWORD>(state.range(0));
  const WORD ch = static_cast<WORD>(state.range(1));
  if (!RegisterAcmDrivers()) {
    state.SkipWithError("no drivers");
    return;
  }
  WAVEFORMATEX src{WAVE_FORMAT_PCM, ch, rate, rate * ch * 2, WORD(ch * 2), 16, 0};
  WAVEFORMATEX dst{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  const size_t frames = rate * 3;
  std::vector<int16_t> in(frames * ch);
  for (size_t i = 0; i < frames; ++i)
    for (int c = 0; c < ch; ++c) in[i * ch + c] = static_cast<int16_t>(std::lrint(16384 * std::sin(2 * M_PI * 1000.0 * i / rate)));
  std::vector<int16_t> out;
  std::vector<size_t> joins;
  for (auto _ : state) {
    out.clear();
    joins.clear();
    HACMDRIVER had;
    HACMSTREAM has;
    acmDriverOpen(&had, g_idPcmConverterDriver, 0);
    acmFormatSuggest(had, &src, &dst, 18, 0xF0000);
    acmStreamOpen(&has, had, &src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME);
    DWORD srcBytes = 0;
    acmStreamSize(has, 16384, &srcBytes, ACM_STREAMSIZEF_DESTINATION);
    std::vector<BYTE> s(srcBytes), d(16384);
    ACMSTREAMHEADER h{};
    h.cbStruct = sizeof h;
    h.pbSrc = s.data();
    h.cbSrcLength = srcBytes;
    h.pbDst = d.data();
    h.cbDstLength = 16384;
    acmStreamPrepareHeader(has, &h, 0);
    const size_t total = in.size() * 2;
    for (size_t pos = 0; pos < total; pos += srcBytes) {
      const DWORD n = DWORD(std::min<size_t>(srcBytes, total - pos));
      std::memcpy(s.data(), reinterpret_cast<const BYTE*>(in.data()) + pos, n);
      h.cbSrcLength = n;
      acmStreamConvert(has, &h, ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START);
      if (!out.empty()) joins.push_back(out.size() / 2);
      const auto* p = reinterpret_cast<const int16_t*>(d.data());
      out.insert(out.end(), p, p + h.cbDstLengthUsed / 2);
    }
    h.cbSrcLength = srcBytes;
    acmStreamUnprepareHeader(has, &h, 0);
    acmStreamClose(has, 0);
    acmDriverClose(had, 0);
  }
  RemoveAcmDrivers();

  // Least-squares fit of DC + 1 kHz over the steady middle; the rest is THD+N.
  const size_t n0 = 4410, n1 = out.size() / 2 - 4410;
  double worst = -300;
  for (int c = 0; c < 2; ++c) {
    double sc = 0, ss = 0, cc = 0, sn = 0, cs = 0, m = 0;
    for (size_t i = n0; i < n1; ++i) m += out[2 * i + c];
    m /= double(n1 - n0);
    for (size_t i = n0; i < n1; ++i) {
      const double w = 2 * M_PI * 1000.0 * i / 44100, x = out[2 * i + c] - m;
      sn += x * std::sin(w), cs += x * std::cos(w), ss += std::sin(w) * std::sin(w), cc += std::cos(w) * std::cos(w),
          sc += std::sin(w) * std::cos(w);
    }
    const double det = ss * cc - sc * sc, a = (sn * cc - cs * sc) / det, b = (cs * ss - sn * sc) / det;
    double sig = 0, res = 0;
    for (size_t i = n0; i < n1; ++i) {
      const double w = 2 * M_PI * 1000.0 * i / 44100, fit = a * std::sin(w) + b * std::cos(w);
      const double x = out[2 * i + c] - m;
      sig += fit * fit;
      res += (x - fit) * (x - fit);
    }
    worst = std::max(worst, 10 * std::log10(res / sig));
  }
  int inside = 0, atJoin = 0;
  std::vector<bool> isJoin(out.size() / 2 + 1, false);
  for (size_t j : joins) isJoin[j] = true;
  for (size_t i = n0; i < out.size() / 2; ++i) {
    const int step = std::abs(out[2 * i] - out[2 * i - 2]);
    (isJoin[i] ? atJoin : inside) = std::max(isJoin[i] ? atJoin : inside, step);
  }
  state.counters["thdn_db"] = worst;
  state.counters["join_step"] = atJoin;
  state.counters["inside_step"] = inside;
  state.counters["chunks"] = double(joins.size() + 1);
}
BENCHMARK(ConverterThdN)
    ->ArgsProduct({{8000, 11025, 22050, 32000, 48000}, {1, 2}})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
