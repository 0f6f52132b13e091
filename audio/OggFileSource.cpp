#include "audio/OggFileSource.h"

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <new>

namespace {

size_t ReadStream(void* p, size_t size, size_t count, void* stream) {
  return std::fread(p, size, count, static_cast<FILE*>(stream));
}

int SeekStream(void* stream, ogg_int64_t offset, int whence) {
  if (offset < INT32_MIN || offset > INT32_MAX) return -1;
  return std::fseek(static_cast<FILE*>(stream), static_cast<long>(offset), whence);
}

// The source closes the stream itself.
int CloseStream(void*) { return 0; }

long TellStream(void* stream) { return std::ftell(static_cast<FILE*>(stream)); }

}  // namespace

COggFileSource::~COggFileSource() { Close(); }

bool COggFileSource::OpenFormat() {
  if (!m_pStream) return false;
  const ov_callbacks callbacks = {ReadStream, SeekStream, CloseStream, TellStream};
  m_pVorbis = new (std::nothrow) OggVorbis_File;
  if (!m_pVorbis) return false;
  if (ov_open_callbacks(m_pStream, m_pVorbis, nullptr, 0, callbacks) < 0) {
    delete m_pVorbis;
    m_pVorbis = nullptr;
    return false;
  }
  const vorbis_info* vi = ov_info(m_pVorbis, -1);
  if (vi && ov_streams(m_pVorbis) == 1 && (vi->channels == 1 || vi->channels == 2) && vi->rate > 0) {
    WAVEFORMATEX wfx{};
    wfx.wFormatTag = WAVE_FORMAT_PCM;
    wfx.nChannels = static_cast<WORD>(vi->channels);
    wfx.nSamplesPerSec = static_cast<DWORD>(vi->rate);
    wfx.wBitsPerSample = 16;
    wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * 2);
    wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
    wfx.cbSize = 0;
    m_primary.SetFormat(&wfx);
    return true;
  }
  CloseFormat();
  return false;
}

bool COggFileSource::CloseFormat() {
  if (m_pVorbis) {
    ov_clear(m_pVorbis);
    delete m_pVorbis;
    m_pVorbis = nullptr;
  }
  return true;
}

int COggFileSource::Read(BYTE* pBuffer, int* pnLength) {
  if (!m_pVorbis) return -1;
  const int want = *pnLength;
  int total = 0;
  long last = 0;
  int bitstream = 0;
  while (total < want) {
    last = ov_read(m_pVorbis, reinterpret_cast<char*>(pBuffer) + total, want - total, 0, 2, 1, &bitstream);
    if (last <= 0) break;
    total += static_cast<int>(last);
  }
  *pnLength = total;
  return last < 0 ? static_cast<int>(last) : total;
}
