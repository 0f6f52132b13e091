#include "export/SoundPeaks.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>

#include "audio/OggFileSource.h"
#include "audio/SoundSource.h"
#include "codec/AcmDriverRegistration.h"

namespace {

// Bytes per fill of the chain's end: whole frames of 16-bit mono and stereo.
constexpr int kTargetBytes = 64 * 1024;

// The codec and the PCM converter for one decoding, unless audio holds them already.
class CAcmDriversForDecoding {
 public:
  CAcmDriversForDecoding() : m_bOwn(g_idXboxAdpcmDriver == nullptr) {
    if (m_bOwn) RegisterAcmDrivers();
  }
  ~CAcmDriversForDecoding() {
    if (m_bOwn) RemoveAcmDrivers();
  }
  CAcmDriversForDecoding(const CAcmDriversForDecoding&) = delete;
  CAcmDriversForDecoding& operator=(const CAcmDriversForDecoding&) = delete;

 private:
  bool m_bOwn;
};

// Gathers extremes into buckets of a doubling size, so that at most 2 * nBuckets are kept.
class CPeakGatherer {
 public:
  CPeakGatherer(SoundPeaks& peaks, size_t nBuckets)
      : m_peaks(peaks), m_nLimit(2 * std::max<size_t>(nBuckets, 1)), m_lo(peaks.nChannels), m_hi(peaks.nChannels) {
    m_peaks.nFramesPerBucket = 1;
    Reset();
  }

  void Add(const int16_t* pFrames, size_t nFrames) {
    const int ch = m_peaks.nChannels;
    for (size_t i = 0; i < nFrames; ++i, pFrames += ch) {
      for (int c = 0; c < ch; ++c) {
        m_lo[c] = std::min(m_lo[c], pFrames[c]);
        m_hi[c] = std::max(m_hi[c], pFrames[c]);
      }
      if (++m_nInBucket == m_peaks.nFramesPerBucket) Close();
    }
    m_peaks.nFrames += nFrames;
  }

  void Finish() {
    if (m_nInBucket > 0) Close();
  }

 private:
  void Reset() {
    std::fill(m_lo.begin(), m_lo.end(), INT16_MAX);
    std::fill(m_hi.begin(), m_hi.end(), INT16_MIN);
    m_nInBucket = 0;
  }

  void Close() {
    m_peaks.mins.insert(m_peaks.mins.end(), m_lo.begin(), m_lo.end());
    m_peaks.maxs.insert(m_peaks.maxs.end(), m_hi.begin(), m_hi.end());
    Reset();
    if (m_peaks.BucketCount() == m_nLimit) Halve();
  }

  // Joins neighbouring buckets: half as many, each twice as long.
  void Halve() {
    const size_t ch = static_cast<size_t>(m_peaks.nChannels);
    const size_t n = m_peaks.BucketCount() / 2;
    for (size_t b = 0; b < n; ++b)
      for (size_t c = 0; c < ch; ++c) {
        m_peaks.mins[b * ch + c] = std::min(m_peaks.mins[2 * b * ch + c], m_peaks.mins[(2 * b + 1) * ch + c]);
        m_peaks.maxs[b * ch + c] = std::max(m_peaks.maxs[2 * b * ch + c], m_peaks.maxs[(2 * b + 1) * ch + c]);
      }
    m_peaks.mins.resize(n * ch);
    m_peaks.maxs.resize(n * ch);
    m_peaks.nFramesPerBucket *= 2;
  }

  SoundPeaks& m_peaks;
  const size_t m_nLimit;
  std::vector<int16_t> m_lo, m_hi;
  uint64_t m_nInBucket = 0;
};

// Decodes through the source's chain into the gatherer; the problem, or empty.
std::string Decode(CSoundSource& source, bool bOgg, SoundPeaks& peaks, size_t nBuckets) {
  const WAVEFORMATEX& native = source.m_primary.m_wfx;
  if (!bOgg && native.wFormatTag != WAVE_FORMAT_PCM && native.wFormatTag != WAVE_FORMAT_XBOX_ADPCM)
    return "the format is neither PCM nor Xbox ADPCM: it is not decoded";
  WAVEFORMATEX wfx{};
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = native.nChannels;
  wfx.nSamplesPerSec = native.nSamplesPerSec;
  wfx.wBitsPerSample = 16;
  wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * 2);
  wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
  // The target outlives the source's wiring: the caller's source is closed before it goes.
  CSampleBuffer target;
  target.SetFormat(&wfx);
  target.Allocate(kTargetBytes);
  std::optional<CAcmDriversForDecoding> drivers;
  if (native.wFormatTag != WAVE_FORMAT_PCM || native.wBitsPerSample != 16) drivers.emplace();
  if (source.Connect(&target) != 0) {
    source.Close();
    return "the conversion to 16-bit PCM cannot be set up for this format";
  }
  peaks.nChannels = wfx.nChannels;
  peaks.nSamplesPerSec = wfx.nSamplesPerSec;
  CPeakGatherer gatherer(peaks, nBuckets);
  for (target.Fill(); target.m_nValid > 0; target.Fill())
    gatherer.Add(reinterpret_cast<const int16_t*>(target.m_pData), static_cast<size_t>(target.m_nValid) / wfx.nBlockAlign);
  gatherer.Finish();
  source.Close();
  return peaks.nFrames > 0 ? std::string() : "decoding delivers no samples";
}

}  // namespace

bool SoundPeaks::Range(int nChannel, uint64_t first, uint64_t end, int& nMin, int& nMax) const {
  const size_t buckets = BucketCount();
  if (nChannel < 0 || nChannel >= nChannels || nFramesPerBucket == 0 || first >= end || buckets == 0) return false;
  const uint64_t b0 = first / nFramesPerBucket;
  const uint64_t b1 = std::min<uint64_t>((end + nFramesPerBucket - 1) / nFramesPerBucket, buckets);
  if (b0 >= b1) return false;
  nMin = INT16_MAX;
  nMax = INT16_MIN;
  for (uint64_t b = b0; b < b1; ++b) {
    nMin = std::min<int>(nMin, mins[b * nChannels + nChannel]);
    nMax = std::max<int>(nMax, maxs[b * nChannels + nChannel]);
  }
  return true;
}

SoundPeaks ComputePeaks(const StoredSoundBytes& sound, size_t nBuckets) {
  SoundPeaks peaks;
  if (!sound.problem.empty()) {
    peaks.problem = sound.problem;
    return peaks;
  }
  FILE* stream = sound.OpenStream();
  if (!stream) {
    peaks.problem = "the stored bytes cannot be opened as a stream";
    return peaks;
  }
  std::unique_ptr<CSoundSource> source;
  if (sound.bOgg)
    source = std::make_unique<COggFileSource>();
  else
    source = std::make_unique<CWaveFileSource>();
  if (!source->OpenStream(stream))
    peaks.problem = sound.bOgg ? "vorbisfile cannot open the stream" : "the WAVE header does not parse";
  else
    peaks.problem = Decode(*source, sound.bOgg, peaks, nBuckets);
  source.reset();
  std::fclose(stream);
  if (!peaks.problem.empty()) {
    peaks.mins.clear();
    peaks.maxs.clear();
    peaks.nFrames = 0;
  }
  return peaks;
}
