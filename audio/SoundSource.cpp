#include "audio/SoundSource.h"

#include <climits>
#include <initializer_list>
#include <cstring>

// ---- CSoundSource ----

CSoundSource::~CSoundSource() { Close(); }

bool CSoundSource::OpenFormat() { return true; }

bool CSoundSource::CloseFormat() { return true; }

int CSoundSource::Read(BYTE* pBuffer, int* pnLength) {
  *pnLength = 0;
  return 0;
}

bool CSoundSource::OpenFile(const char* pszPath) {
  if (m_pStream) return false;
  FILE* f = std::fopen(pszPath, "rb");
  if (!f) return false;
  m_pStream = f;
  m_bOwnsStream = 1;
  return OpenFormat();
}

bool CSoundSource::OpenStream(FILE* pStream) {
  if (m_pStream || !pStream) return false;
  m_pStream = pStream;
  m_bOwnsStream = 0;
  return OpenFormat();
}

void CSoundSource::Unlink() {
  if (!m_pWired) return;
  if (m_pWired->m_pUpstream == &m_primary || m_pWired->m_pUpstream == &m_intermediate)
    m_pWired->m_pUpstream = nullptr;
  m_pWired = nullptr;
}

bool CSoundSource::Close() {
  m_first.Close();
  m_second.Close();
  m_pTarget = nullptr;
  Unlink();
  m_primary.Free();
  m_intermediate.Free();
  const bool closed = CloseFormat();
  if (closed) {
    if (m_pStream && m_bOwnsStream) std::fclose(m_pStream);
    m_pStream = nullptr;
    m_bOwnsStream = 0;
  }
  return closed;
}

int CSoundSource::Connect(CSampleBuffer* pTarget) {
  m_first.Close();
  m_second.Close();
  if (!pTarget || pTarget->m_wfx.wFormatTag != WAVE_FORMAT_PCM ||
      (pTarget->m_wfx.nChannels != 1 && pTarget->m_wfx.nChannels != 2) || pTarget->m_nCapacity <= 0)
    return SOURCE_BAD_TARGET;
  const WAVEFORMATEX& native = m_primary.m_wfx;
  if (native.nChannels != 1 && native.nChannels != 2) return SOURCE_BAD_CHANNELS;

  Unlink();
  for (CSampleBuffer* b : {&m_primary, &m_intermediate}) {
    b->Free();
    b->m_pSource = nullptr;
    b->m_pUpstream = nullptr;
    b->m_pDownstream = nullptr;
  }
  m_pTarget = nullptr;

  const WAVEFORMATEX& out = pTarget->m_wfx;
  CSampleBuffer* x = &m_primary;
  const bool decode = native.wFormatTag != WAVE_FORMAT_PCM;
  if (decode) {
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = native.nChannels;
    wfx.nSamplesPerSec = native.nSamplesPerSec;
    wfx.wBitsPerSample = out.wBitsPerSample;
    wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * wfx.wBitsPerSample / 8);
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
    wfx.cbSize = 0;
    m_intermediate.SetFormat(&wfx);
    x = &m_intermediate;
  }
  // A copy needs whole frames of the target's layout; PCM whose block size disagrees
  // with its channels and bits goes to the converter, which refuses it.
  const bool convert = x->m_wfx.nSamplesPerSec != out.nSamplesPerSec || x->m_wfx.nChannels != out.nChannels ||
                       x->m_wfx.wBitsPerSample != out.wBitsPerSample ||
                       (!decode && native.nBlockAlign != native.nChannels * native.wBitsPerSample / 8);

  pTarget->m_pDownstream = nullptr;
  m_pWired = pTarget;
  if (decode && convert) {
    // The second converter first: opening it sizes the intermediate buffer that the
    // first one fills.
    if (m_second.Open(&m_intermediate, pTarget) != 0) {
      Unlink();
      return SOURCE_SECOND_CONVERTER;
    }
    pTarget->m_pUpstream = &m_intermediate;
    pTarget->m_pSource = nullptr;
    m_intermediate.m_pDownstream = pTarget;
    if (m_first.Open(&m_primary, &m_intermediate) != 0) {
      Unlink();
      return SOURCE_FIRST_CONVERTER;
    }
    m_intermediate.m_pUpstream = &m_primary;
    m_intermediate.m_pSource = nullptr;
    m_primary.m_pDownstream = &m_intermediate;
    m_primary.m_pSource = this;
    m_primary.m_pUpstream = nullptr;
    return 0;
  }
  if (decode || convert) {
    CAcmConverter& c = decode ? m_first : m_second;
    if (c.Open(&m_primary, pTarget) != 0) {
      Unlink();
      return SOURCE_CONVERTER;
    }
  } else {
    m_primary.Allocate(pTarget->m_nCapacity);
  }
  pTarget->m_pSource = nullptr;
  pTarget->m_pUpstream = &m_primary;
  m_primary.m_pDownstream = pTarget;
  m_primary.m_pSource = this;
  m_primary.m_pUpstream = nullptr;
  return 0;
}

int CSoundSource::Attach(CSampleBuffer* pTarget) {
  const int r = Connect(pTarget);
  if (r != 0) return r;
  m_pTarget = pTarget;
  return 0;
}

void CSoundSource::FillPrimary() {
  int n = m_primary.m_nCapacity;
  if (n <= 0 || !m_primary.m_pData) {
    m_primary.m_nValid = 0;
    return;
  }
  Read(m_primary.m_pData, &n);
  m_primary.m_nValid = n < 0 ? 0 : n > m_primary.m_nCapacity ? m_primary.m_nCapacity : n;
}

// ---- CWaveFileSource ----

namespace {

uint32_t LoadU32(const BYTE* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

bool IsId(const BYTE* p, const char* id) { return std::memcmp(p, id, 4) == 0; }

}  // namespace

CWaveFileSource::~CWaveFileSource() { Close(); }

bool CWaveFileSource::ReadStored(void* p, uint32_t cb) {
  if (m_nStoredLeft >= 0 && cb > m_nStoredLeft) return false;
  if (std::fread(p, 1, cb, m_pStream) != cb) return false;
  if (m_nStoredLeft >= 0) m_nStoredLeft -= cb;
  return true;
}

bool CWaveFileSource::SkipStored(uint64_t cb) {
  if (cb == 0) return true;
  if (m_nStoredLeft >= 0 && cb > static_cast<uint64_t>(m_nStoredLeft)) return false;
  if (cb > static_cast<uint64_t>(LONG_MAX) || std::fseek(m_pStream, static_cast<long>(cb), SEEK_CUR) != 0)
    return false;
  if (m_nStoredLeft >= 0) m_nStoredLeft -= static_cast<int64_t>(cb);
  return true;
}

bool CWaveFileSource::OpenFormat() {
  if (!m_pStream) return false;
  BYTE riff[12];
  if (!ReadStored(riff, 12) || !IsId(riff, "RIFF") || !IsId(riff + 8, "WAVE")) return false;

  BYTE chunk[8];
  if (!ReadStored(chunk, 8) || !IsId(chunk, "fmt ")) return false;
  const uint32_t cbFmt = LoadU32(chunk + 4);
  if (cbFmt < 16) return false;
  WAVEFORMATEX wfx{};
  const uint32_t cbRead = cbFmt >= sizeof(WAVEFORMATEX) ? sizeof(WAVEFORMATEX) : 16;
  if (!ReadStored(&wfx, cbRead)) return false;
  if (cbRead == 16) wfx.cbSize = 0;
  // The chunk's own size says where it ends, whatever cbSize claims; the extra format
  // bytes are not kept.
  if (!SkipStored(uint64_t{cbFmt} - cbRead + (cbFmt & 1))) return false;

  uint32_t cbData;
  for (;;) {
    if (!ReadStored(chunk, 8)) return false;
    const uint32_t cb = LoadU32(chunk + 4);
    if (IsId(chunk, "data")) {
      cbData = cb;
      break;
    }
    if (!SkipStored(uint64_t{cb} + (cb & 1))) return false;
  }
  if (wfx.nBlockAlign == 0) return false;
  m_nRemaining = cbData > static_cast<uint32_t>(INT_MAX) ? INT_MAX : static_cast<int>(cbData);
  m_primary.SetFormat(&wfx);
  return true;
}

bool CWaveFileSource::CloseFormat() {
  m_nRemaining = 0;
  return true;
}

int CWaveFileSource::Read(BYTE* pBuffer, int* pnLength) {
  if (m_nRemaining <= 0 || !m_pStream) {
    *pnLength = 0;
    return -1;
  }
  const int align = m_primary.m_wfx.nBlockAlign ? m_primary.m_wfx.nBlockAlign : 1;
  int want = *pnLength < 0 ? 0 : *pnLength;
  if (want > m_nRemaining) want = m_nRemaining;
  // A data chunk that claims more than is stored ends with the stored bytes: what follows
  // them belongs to other sounds.
  if (m_nStoredLeft >= 0 && want > m_nStoredLeft) want = static_cast<int>(m_nStoredLeft);
  want -= want % align;
  const int got = want > 0 ? static_cast<int>(std::fread(pBuffer, 1, want, m_pStream)) : 0;
  m_nRemaining -= got;
  if (m_nStoredLeft >= 0) m_nStoredLeft -= got;
  // A short read at the end of a cut file leaves no partial block behind.
  *pnLength = got - got % align;
  return *pnLength;
}
