#include "audio/AcmConverter.h"

#include <climits>
#include <cstring>
#include <vector>

#include "audio/SampleBuffer.h"
#include "codec/AcmDriverRegistration.h"

namespace {

// A buffer keeps only the 18 bytes through cbSize; the ACM reads 18 + cbSize bytes of a
// non-PCM format, so it is handed a copy whose extra bytes are zero.
std::vector<BYTE> FormatBlock(const WAVEFORMATEX& wfx) {
  std::vector<BYTE> v(sizeof(WAVEFORMATEX) + wfx.cbSize, 0);
  std::memcpy(v.data(), &wfx, sizeof(WAVEFORMATEX));
  return v;
}

LPWAVEFORMATEX AsFormat(std::vector<BYTE>& v) { return reinterpret_cast<LPWAVEFORMATEX>(v.data()); }

}  // namespace

CAcmConverter::~CAcmConverter() { Close(); }

void CAcmConverter::CloseHandles() {
  if (m_has) acmStreamClose(m_has, 0);
  if (m_had) acmDriverClose(m_had, 0);
  m_has = nullptr;
  m_had = nullptr;
  m_hadid = nullptr;
}

int CAcmConverter::Open(CSampleBuffer* pSource, CSampleBuffer* pDestination) {
  if (!pSource || !pDestination) return ACMCONV_BAD_ARGUMENT;
  if (m_hadid) return ACMCONV_ALREADY_OPEN;

  HACMDRIVERID hadid;
  if (pSource->m_wfx.wFormatTag == WAVE_FORMAT_PCM && pDestination->m_wfx.wFormatTag == WAVE_FORMAT_PCM)
    hadid = g_idPcmConverterDriver;
  else if (pSource->m_wfx.wFormatTag == WAVE_FORMAT_XBOX_ADPCM)
    hadid = g_idXboxAdpcmDriver;
  else
    return ACMCONV_NO_DRIVER;
  if (!hadid) return ACMCONV_DRIVER_ID_ZERO;

  HACMDRIVER had = nullptr;
  if (acmDriverOpen(&had, hadid, 0) != MMSYSERR_NOERROR) return ACMCONV_DRIVER_OPEN;
  m_hadid = hadid;
  m_had = had;

  // With every field fixed, the suggestion checks that the driver takes exactly this
  // pair, and completes the destination's derived fields.
  std::vector<BYTE> src = FormatBlock(pSource->m_wfx);
  WAVEFORMATEX dst = pDestination->m_wfx;
  const DWORD fix = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                    ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
  if (acmFormatSuggest(m_had, AsFormat(src), &dst, sizeof(WAVEFORMATEX), fix) != MMSYSERR_NOERROR) {
    CloseHandles();
    return ACMCONV_FORMAT_SUGGEST;
  }
  pDestination->m_wfx = dst;

  std::vector<BYTE> dstBlock = FormatBlock(dst);
  if (acmStreamOpen(&m_has, m_had, AsFormat(src), AsFormat(dstBlock), nullptr, 0, 0,
                    ACM_STREAMOPENF_NONREALTIME) != MMSYSERR_NOERROR) {
    m_has = nullptr;
    CloseHandles();
    return ACMCONV_STREAM_OPEN;
  }

  DWORD cbSource = 0;
  if (acmStreamSize(m_has, static_cast<DWORD>(pDestination->m_nCapacity), &cbSource,
                    ACM_STREAMSIZEF_DESTINATION) != MMSYSERR_NOERROR ||
      cbSource > static_cast<DWORD>(INT_MAX)) {
    CloseHandles();
    return ACMCONV_STREAM_SIZE;
  }

  pSource->Allocate(static_cast<int>(cbSource));
  m_pSource = pSource;
  m_pDestination = pDestination;
  if (pDestination->PrepareConversion(this) != MMSYSERR_NOERROR) {
    pDestination->UnprepareConversion(this);
    return ACMCONV_PREPARE;
  }
  return 0;
}

int CAcmConverter::Close() {
  if (m_pDestination && m_pDestination->m_pConverter == this) m_pDestination->UnprepareConversion(this);
  CloseHandles();
  m_pSource = nullptr;
  m_pDestination = nullptr;
  m_cbPreparedSrc = 0;
  return 0;
}

MMRESULT CAcmConverter::PrepareHeader(ACMSTREAMHEADER* pHeader) {
  if (!m_has) return MMSYSERR_INVALHANDLE;
  if (!m_pSource || !m_pDestination || !pHeader) return MMSYSERR_INVALPARAM;
  pHeader->cbStruct = sizeof(ACMSTREAMHEADER);
  pHeader->fdwStatus = 0;
  pHeader->dwUser = 0;
  pHeader->pbSrc = m_pSource->m_pData;
  pHeader->cbSrcLength = static_cast<DWORD>(m_pSource->m_nCapacity);
  pHeader->cbSrcLengthUsed = 0;
  pHeader->dwSrcUser = 0;
  pHeader->cbDstLengthUsed = 0;
  pHeader->dwDstUser = 0;
  m_cbPreparedSrc = pHeader->cbSrcLength;
  return acmStreamPrepareHeader(m_has, pHeader, 0);
}

MMRESULT CAcmConverter::UnprepareHeader(ACMSTREAMHEADER* pHeader) {
  if (!m_has) return MMSYSERR_INVALHANDLE;
  if (!pHeader) return MMSYSERR_INVALPARAM;
  // Convert shortens the source length; the header goes back as it was prepared.
  pHeader->cbSrcLength = m_cbPreparedSrc;
  return acmStreamUnprepareHeader(m_has, pHeader, 0);
}

void CAcmConverter::Convert() {
  if (!m_has || !m_pSource || !m_pDestination) return;
  ACMSTREAMHEADER* h = m_pDestination->m_pConvHeader;
  if (!h) return;
  DWORD fdwConvert;
  if (m_pSource->m_nValid > 0) {
    const DWORD n = static_cast<DWORD>(m_pSource->m_nValid);
    h->cbSrcLength = n < m_cbPreparedSrc ? n : m_cbPreparedSrc;
    fdwConvert = ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START;
  } else {
    // The source has ended: what the driver still holds (a rate converter's filter
    // tail) comes out now; once that is empty, so is the destination.
    h->cbSrcLength = 0;
    fdwConvert = ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_END;
  }
  if (acmStreamConvert(m_has, h, fdwConvert) != MMSYSERR_NOERROR) return;
  m_pDestination->m_nValid = static_cast<int>(h->cbDstLengthUsed);
}
