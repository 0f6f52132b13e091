#include "platform/PcmResampler.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kHalfLow = 32;        // half-length in frames of the lower rate
constexpr double kCutoff = 0.91;    // of the lower Nyquist: the stop band starts at Nyquist
constexpr double kBeta = 8.96;      // Kaiser window for about 90 dB stop-band rejection
constexpr int kTablePerZero = 512;  // table entries per zero crossing

double BesselI0(double x) {
  double sum = 1, term = 1;
  for (int k = 1; k < 64; ++k) {
    term *= (x / (2 * k)) * (x / (2 * k));
    sum += term;
    if (term < sum * 1e-17) break;
  }
  return sum;
}

}  // namespace

PcmResampler::PcmResampler(uint32_t nRateIn, uint32_t nRateOut, int nChannels)
    : m_nRateIn(nRateIn), m_nRateOut(nRateOut), m_nChannels(nChannels) {
  const double down = nRateOut < nRateIn ? static_cast<double>(nRateOut) / nRateIn : 1.0;
  m_fScale = static_cast<float>(kCutoff * down);
  m_nHalf = static_cast<int>(std::ceil(kHalfLow / down));
  const double zeros = kHalfLow * kCutoff;  // zero crossings covered on each side
  const int n = static_cast<int>(std::ceil(zeros * kTablePerZero)) + 2;
  m_table.resize(n);
  const double i0b = BesselI0(kBeta);
  for (int i = 0; i < n; ++i) {
    const double u = static_cast<double>(i) / kTablePerZero;  // distance in zero crossings
    const double x = u / zeros;
    if (x >= 1) {
      m_table[i] = 0;
      continue;
    }
    const double sinc = u == 0 ? 1.0 : std::sin(M_PI * u) / (M_PI * u);
    m_table[i] = static_cast<float>(m_fScale * sinc * BesselI0(kBeta * std::sqrt(1 - x * x)) / i0b);
  }
  m_fTableStep = m_fScale * kTablePerZero;
  Reset();
}

void PcmResampler::Reset() {
  m_buf.assign(static_cast<size_t>(m_nHalf) * m_nChannels, 0.0f);
  m_nPos = m_nHalf;
  m_nFrac = 0;
  m_nEnd = m_nHalf;
  m_bFlushed = false;
}

void PcmResampler::Push(const float* pFrames, size_t nFrames) {
  if (m_bFlushed) Reset();
  m_buf.insert(m_buf.end(), pFrames, pFrames + nFrames * m_nChannels);
  m_nEnd += nFrames;
}

size_t PcmResampler::Pull(float* pOut, size_t nMax, bool bFlush) {
  if (bFlush && !m_bFlushed) {
    m_buf.resize(m_buf.size() + static_cast<size_t>(m_nHalf + 1) * m_nChannels, 0.0f);
    m_bFlushed = true;
  }
  const size_t frames = m_buf.size() / m_nChannels;
  const size_t last = m_bFlushed ? m_nEnd : frames;  // outputs must lie before this
  const int half = m_nHalf;
  const int nTable = static_cast<int>(m_table.size()) - 1;
  const float* table = m_table.data();
  size_t produced = 0;
  while (produced < nMax && m_nPos + half < frames && m_nPos < last) {
    const float f = static_cast<float>(static_cast<double>(m_nFrac) / m_nRateOut);
    const float* x = m_buf.data() + (m_nPos - half + 1) * m_nChannels;
    float acc0 = 0, acc1 = 0;
    // Tap k sits at distance d = (half - 1 - k) + f from the output position.
    for (int k = 0; k < 2 * half; ++k) {
      const float d = std::fabs(static_cast<float>(half - 1 - k) + f) * m_fTableStep;
      int i = static_cast<int>(d);
      if (i >= nTable) continue;
      const float t = d - static_cast<float>(i);
      const float w = table[i] + t * (table[i + 1] - table[i]);
      acc0 += w * x[k * m_nChannels];
      if (m_nChannels == 2) acc1 += w * x[k * 2 + 1];
    }
    pOut[produced * m_nChannels] = acc0;
    if (m_nChannels == 2) pOut[produced * 2 + 1] = acc1;
    ++produced;
    m_nFrac += m_nRateIn;
    m_nPos += m_nFrac / m_nRateOut;
    m_nFrac %= m_nRateOut;
  }
  // Drop input no later output can reach.
  const size_t keepFrom = m_nPos > static_cast<size_t>(half) ? std::min(m_nPos - half, frames) : 0;
  if (keepFrom > 0) {
    m_buf.erase(m_buf.begin(), m_buf.begin() + keepFrom * m_nChannels);
    m_nPos -= keepFrom;
    m_nEnd = m_nEnd > keepFrom ? m_nEnd - keepFrom : 0;
  }
  return produced;
}
