// Buffers of a conversion chain: one format and one block of storage, filled from a
// sound source, by copying an upstream buffer, or through an ACM conversion of it.
#pragma once

#include "platform/MSAcm.h"
#include "platform/WaveOut.h"

class CSoundSource;
class CAcmConverter;

class CSampleBuffer {
 public:
  CSampleBuffer() = default;
  CSampleBuffer(const CSampleBuffer&) = delete;
  CSampleBuffer& operator=(const CSampleBuffer&) = delete;

  virtual ~CSampleBuffer();
  // Copies the 18 bytes through cbSize; extra format bytes are not kept.
  virtual void SetFormat(const WAVEFORMATEX* pwfx);
  virtual void Allocate(int nSize);
  virtual int Free();
  virtual void Silence();
  virtual MMRESULT PrepareConversion(CAcmConverter* pConverter);
  virtual MMRESULT UnprepareConversion(CAcmConverter* pConverter);
  virtual void Fill();

  // Silence byte of the format: 0x80 for 8-bit PCM, else 0.
  BYTE SilenceValue() const;

  WAVEFORMATEX m_wfx{};
  int m_nCapacity = 0;
  BYTE* m_pData = nullptr;
  int m_nValid = 0;
  CSoundSource* m_pSource = nullptr;
  CSampleBuffer* m_pUpstream = nullptr;
  CSampleBuffer* m_pDownstream = nullptr;
  CAcmConverter* m_pConverter = nullptr;
  ACMSTREAMHEADER* m_pConvHeader = nullptr;  // owned, except in a ring (points into its array)
};

// The end of a playback chain: storage is a ring of wave output buffers, each Fill
// using the next slot.
class CWaveBufferRing : public CSampleBuffer {
 public:
  struct Slot {
    BYTE* pData;  // owned
    int nLength;
    alignas(sizeof(void*)) WAVEHDR hdr;
  };

  ~CWaveBufferRing() override;
  void Allocate(int nSize) override;
  int Free() override;
  void Silence() override;
  MMRESULT PrepareConversion(CAcmConverter* pConverter) override;
  MMRESULT UnprepareConversion(CAcmConverter* pConverter) override;
  void Fill() override;

  void Create(int nCount, int nSize);
  MMRESULT PrepareWaveHeaders(HWAVEOUT hwo);
  MMRESULT UnprepareWaveHeaders(HWAVEOUT hwo);
  // Writes the slot filled last; non-zero when nothing was written.
  MMRESULT WriteCurrent(HWAVEOUT hwo);

  int m_nCount = 0;
  Slot* m_pSlots = nullptr;
  ACMSTREAMHEADER* m_pConvHeaders = nullptr;  // m_nCount headers, owned
  int m_nCurrent = 0;
  WAVEHDR* m_pCurrentHeader = nullptr;

 private:
  // Calls a wave-header function on every slot; the last failure, or 0.
  MMRESULT ForEachWaveHeader(HWAVEOUT hwo, MMRESULT (*call)(HWAVEOUT, LPWAVEHDR, UINT));
  void ReleaseSlotStorage();
};
