// Band-limited sample-rate conversion of interleaved float frames with a
// Kaiser-windowed sinc kernel, evaluated at any position from a fine table.
// Keeps its history and phase between calls, so consecutive chunks join seamlessly.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PcmResampler {
 public:
  PcmResampler(uint32_t nRateIn, uint32_t nRateOut, int nChannels);

  // Appends input frames.
  void Push(const float* pFrames, size_t nFrames);
  // Writes up to nMax output frames; with bFlush the input is taken to end here
  // (silence after it) and every output up to its end is produced.
  size_t Pull(float* pOut, size_t nMax, bool bFlush);
  // Input frames buffered beyond what the next output needs.
  size_t Buffered() const { return m_buf.size() / m_nChannels - m_nPos; }
  void Reset();

 private:
  uint32_t m_nRateIn, m_nRateOut;
  int m_nChannels;
  int m_nHalf;          // taps on each side, in input frames
  float m_fScale;       // kernel stretch: cutoff relative to the input Nyquist
  float m_fTableStep;   // table entries per input frame of distance
  std::vector<float> m_table;
  std::vector<float> m_buf;  // interleaved input, starting m_nHalf frames before m_nPos's oldest tap
  size_t m_nPos = 0;         // integer part of the next output position, in frames of m_buf
  uint64_t m_nFrac = 0;      // fractional part, in units of 1 / m_nRateOut
  size_t m_nEnd = 0;         // frames of real input in m_buf
  bool m_bFlushed = false;
};
