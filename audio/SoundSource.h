// Sound sources: one encoded sound read from a stdio stream, delivered in its native
// format, and the chain of buffers and conversions that turns it into a consumer's format.
#pragma once

#include <cstdint>
#include <cstdio>

#include "audio/AcmConverter.h"
#include "audio/SampleBuffer.h"

// Connect's failures.
enum {
  SOURCE_BAD_TARGET = -1,
  SOURCE_BAD_CHANNELS = -2,
  SOURCE_SECOND_CONVERTER = -3,
  SOURCE_FIRST_CONVERTER = -4,
  SOURCE_CONVERTER = -5,
};

class CSoundSource {
 public:
  CSoundSource() = default;
  CSoundSource(const CSoundSource&) = delete;
  CSoundSource& operator=(const CSoundSource&) = delete;

  virtual ~CSoundSource();
  virtual bool OpenFormat();
  // True when the stream may be closed.
  virtual bool CloseFormat();
  // Reads up to *pnLength bytes; *pnLength becomes the count placed in pBuffer.
  virtual int Read(BYTE* pBuffer, int* pnLength);

  bool OpenFile(const char* pszPath);
  // Reads from the stream's current position; the stream stays the caller's.
  bool OpenStream(FILE* pStream);
  bool Close();
  // Wires primary buffer, conversions and target; 0 or a SOURCE_* code. The target
  // must outlive the source, or its wiring (Close, the next Connect or the destructor).
  int Connect(CSampleBuffer* pTarget);
  int Attach(CSampleBuffer* pTarget);
  // Asked by the primary buffer's Fill.
  void FillPrimary();

  FILE* m_pStream = nullptr;
  BYTE m_bOwnsStream = 0;
  CSampleBuffer m_primary;
  CSampleBuffer m_intermediate;
  CSampleBuffer* m_pTarget = nullptr;
  CAcmConverter m_first;   // Xbox ADPCM -> PCM
  CAcmConverter m_second;  // PCM -> PCM

 private:
  // The target wired by the last Connect loses its links into this source.
  void Unlink();
  CSampleBuffer* m_pWired = nullptr;
};

// RIFF WAVE data holding PCM or Xbox ADPCM.
class CWaveFileSource : public CSoundSource {
 public:
  // nStored: the bytes of this sound from the stream's position, which neither the header
  // nor the data may pass whatever their sizes claim; -1: up to the end of the stream.
  explicit CWaveFileSource(int64_t nStored = -1) : m_nStoredLeft(nStored) {}
  ~CWaveFileSource() override;
  bool OpenFormat() override;
  bool CloseFormat() override;
  int Read(BYTE* pBuffer, int* pnLength) override;

  int m_nRemaining = 0;      // data bytes the "data" chunk claims and that are not yet read
  int64_t m_nStoredLeft;     // stored bytes not yet read, or -1 (no bound but the stream's end)

 private:
  // Reads or skips within the stored bytes; false past them or at the stream's end.
  bool ReadStored(void* p, uint32_t cb);
  bool SkipStored(uint64_t cb);
};
