#include "audio/SampleBuffer.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "audio/AcmConverter.h"
#include "audio/SoundSource.h"

// ---- CSampleBuffer ----

CSampleBuffer::~CSampleBuffer() {
  delete[] m_pData;
  delete m_pConvHeader;
}

void CSampleBuffer::SetFormat(const WAVEFORMATEX* pwfx) { std::memcpy(&m_wfx, pwfx, sizeof(WAVEFORMATEX)); }

void CSampleBuffer::Allocate(int nSize) {
  Free();
  if (nSize < 1) return;
  m_pData = new (std::nothrow) BYTE[nSize]();
  if (!m_pData) return;
  m_nCapacity = nSize;
  Silence();
}

int CSampleBuffer::Free() {
  delete[] m_pData;
  m_pData = nullptr;
  m_nCapacity = 0;
  m_nValid = 0;
  return 0;
}

BYTE CSampleBuffer::SilenceValue() const {
  return m_wfx.wFormatTag == WAVE_FORMAT_PCM && m_wfx.wBitsPerSample == 8 ? 0x80 : 0;
}

void CSampleBuffer::Silence() {
  if (m_pData && m_nValid >= 1) std::memset(m_pData, SilenceValue(), std::min(m_nValid, m_nCapacity));
}

MMRESULT CSampleBuffer::PrepareConversion(CAcmConverter* pConverter) {
  if (m_pConvHeader) UnprepareConversion(m_pConverter);
  m_pConverter = pConverter;
  m_pConvHeader = new (std::nothrow) ACMSTREAMHEADER();
  if (!m_pConvHeader) return MMSYSERR_NOMEM;
  m_pConvHeader->pbDst = m_pData;
  m_pConvHeader->cbDstLength = static_cast<DWORD>(m_nCapacity);
  return pConverter ? pConverter->PrepareHeader(m_pConvHeader) : MMSYSERR_INVALPARAM;
}

MMRESULT CSampleBuffer::UnprepareConversion(CAcmConverter* pConverter) {
  MMRESULT mmr = MMSYSERR_NOERROR;
  if (m_pConvHeader) {
    mmr = pConverter ? pConverter->UnprepareHeader(m_pConvHeader) : MMSYSERR_INVALHANDLE;
    delete m_pConvHeader;
    m_pConvHeader = nullptr;
  }
  m_pConverter = nullptr;
  return mmr;
}

void CSampleBuffer::Fill() {
  m_nValid = 0;
  if (!m_pData || m_nCapacity <= 0) return;
  if (m_pUpstream) {
    m_pUpstream->Fill();
    if (m_pConverter) {
      m_pConverter->Convert();
    } else {
      const int n = std::clamp(m_pUpstream->m_nValid, 0, m_nCapacity);
      if (n > 0 && m_pUpstream->m_pData) std::memcpy(m_pData, m_pUpstream->m_pData, n);
      m_nValid = n;
    }
  } else if (m_pSource) {
    m_pSource->FillPrimary();
  }
}

// ---- CWaveBufferRing ----

CWaveBufferRing::~CWaveBufferRing() {
  Free();
  delete[] m_pConvHeaders;
  m_pConvHeaders = nullptr;
}

void CWaveBufferRing::ReleaseSlotStorage() {
  for (int i = 0; m_pSlots && i < m_nCount; ++i) {
    delete[] m_pSlots[i].pData;
    m_pSlots[i] = Slot{};
  }
  // Nothing may point into released storage.
  m_pData = nullptr;
  m_nValid = 0;
  m_pCurrentHeader = nullptr;
}

void CWaveBufferRing::Allocate(int nSize) {
  ReleaseSlotStorage();
  m_nCapacity = 0;
  if (nSize <= 0) return;
  for (int i = 0; m_pSlots && i < m_nCount; ++i) {
    Slot& s = m_pSlots[i];
    s.pData = new (std::nothrow) BYTE[nSize];
    if (!s.pData) continue;
    s.hdr.lpData = reinterpret_cast<LPSTR>(s.pData);
    s.hdr.dwBufferLength = static_cast<DWORD>(nSize);
  }
  m_nCapacity = nSize;
  Silence();
}

int CWaveBufferRing::Free() {
  ReleaseSlotStorage();
  delete[] m_pSlots;
  m_pSlots = nullptr;
  m_nCount = 0;
  m_nCapacity = 0;
  m_nCurrent = 0;
  m_pData = nullptr;
  m_nValid = 0;
  m_pConvHeader = nullptr;
  m_pCurrentHeader = nullptr;
  return 0;
}

void CWaveBufferRing::Silence() {
  const BYTE v = SilenceValue();
  for (int i = 0; m_pSlots && i < m_nCount; ++i)
    if (m_pSlots[i].pData && m_nCapacity > 0) std::memset(m_pSlots[i].pData, v, m_nCapacity);
}

MMRESULT CWaveBufferRing::PrepareConversion(CAcmConverter* pConverter) {
  if (m_pConvHeaders) UnprepareConversion(m_pConverter);
  m_pConverter = pConverter;
  if (m_nCount == 0 || !m_pSlots) return MMSYSERR_INVALPARAM;
  m_pConvHeaders = new (std::nothrow) ACMSTREAMHEADER[m_nCount]();
  if (!m_pConvHeaders) return MMSYSERR_NOMEM;
  MMRESULT last = MMSYSERR_NOERROR;
  for (int i = 0; i < m_nCount; ++i) {
    ACMSTREAMHEADER& h = m_pConvHeaders[i];
    h.pbDst = m_pSlots[i].pData;
    h.cbDstLength = static_cast<DWORD>(m_nCapacity);
    const MMRESULT mmr = pConverter ? pConverter->PrepareHeader(&h) : MMSYSERR_INVALPARAM;
    if (mmr != MMSYSERR_NOERROR) last = mmr;
  }
  return last;
}

MMRESULT CWaveBufferRing::UnprepareConversion(CAcmConverter* pConverter) {
  MMRESULT last = MMSYSERR_NOERROR;
  if (m_pConvHeaders) {
    for (int i = 0; i < m_nCount; ++i) {
      const MMRESULT mmr = pConverter ? pConverter->UnprepareHeader(&m_pConvHeaders[i]) : MMSYSERR_INVALHANDLE;
      if (mmr != MMSYSERR_NOERROR) last = mmr;
    }
    delete[] m_pConvHeaders;
    m_pConvHeaders = nullptr;
  }
  m_pConvHeader = nullptr;
  m_pConverter = nullptr;
  return last;
}

void CWaveBufferRing::Fill() {
  m_pData = nullptr;
  m_nValid = 0;
  m_pConvHeader = nullptr;
  m_pCurrentHeader = nullptr;
  if (!m_pSlots || m_nCount <= 0 || m_nCurrent < 0 || m_nCurrent >= m_nCount) return;
  Slot& s = m_pSlots[m_nCurrent];
  m_pData = s.pData;
  m_pConvHeader = m_pConvHeaders ? &m_pConvHeaders[m_nCurrent] : nullptr;
  m_pCurrentHeader = &s.hdr;
  if (!s.pData) return;
  CSampleBuffer::Fill();
  s.nLength = m_nValid;
  s.hdr.dwBufferLength = static_cast<DWORD>(m_nValid);
  m_nCurrent = (m_nCurrent + 1) % m_nCount;
}

void CWaveBufferRing::Create(int nCount, int nSize) {
  Free();
  if (nCount > 0) {
    m_pSlots = new (std::nothrow) Slot[nCount]();
    if (m_pSlots) m_nCount = nCount;
  }
  Allocate(nSize);
}

MMRESULT CWaveBufferRing::ForEachWaveHeader(HWAVEOUT hwo, MMRESULT (*call)(HWAVEOUT, LPWAVEHDR, UINT)) {
  MMRESULT last = MMSYSERR_NOERROR;
  for (int i = 0; m_pSlots && i < m_nCount; ++i) {
    const MMRESULT mmr = call(hwo, &m_pSlots[i].hdr, sizeof(WAVEHDR));
    if (mmr != MMSYSERR_NOERROR) last = mmr;
  }
  return last;
}

MMRESULT CWaveBufferRing::PrepareWaveHeaders(HWAVEOUT hwo) { return ForEachWaveHeader(hwo, waveOutPrepareHeader); }

MMRESULT CWaveBufferRing::UnprepareWaveHeaders(HWAVEOUT hwo) { return ForEachWaveHeader(hwo, waveOutUnprepareHeader); }

MMRESULT CWaveBufferRing::WriteCurrent(HWAVEOUT hwo) {
  if (!m_pData || m_nValid < 0 || !m_pCurrentHeader) return MMSYSERR_ERROR;
  const MMRESULT mmr = m_nValid >= 1 ? waveOutWrite(hwo, m_pCurrentHeader, sizeof(WAVEHDR)) : MMSYSERR_ERROR;
  m_pData = nullptr;
  m_nValid = 0;
  m_pConvHeader = nullptr;
  m_pCurrentHeader = nullptr;
  return mmr;
}
