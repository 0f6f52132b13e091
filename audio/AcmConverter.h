// One ACM conversion stream from a source buffer into a destination buffer. Opening
// it sizes the source buffer to what fills the destination once.
#pragma once

#include "platform/MSAcm.h"

class CSampleBuffer;

// Open's failures.
enum {
  ACMCONV_BAD_ARGUMENT = -1,
  ACMCONV_ALREADY_OPEN = -2,
  ACMCONV_NO_DRIVER = -3,
  ACMCONV_DRIVER_ID_ZERO = -4,
  ACMCONV_DRIVER_OPEN = -5,
  ACMCONV_FORMAT_SUGGEST = -6,
  ACMCONV_STREAM_OPEN = -7,
  ACMCONV_STREAM_SIZE = -8,
  ACMCONV_PREPARE = -9,
};

class CAcmConverter {
 public:
  CAcmConverter() = default;
  CAcmConverter(const CAcmConverter&) = delete;
  CAcmConverter& operator=(const CAcmConverter&) = delete;

  virtual ~CAcmConverter();
  // Converts the source's valid bytes into the destination's current header. Once the
  // source comes back empty, the stream is ended so that the driver's tail comes out.
  virtual void Convert();

  int Open(CSampleBuffer* pSource, CSampleBuffer* pDestination);
  int Close();
  MMRESULT PrepareHeader(ACMSTREAMHEADER* pHeader);
  MMRESULT UnprepareHeader(ACMSTREAMHEADER* pHeader);

  HACMDRIVERID m_hadid = nullptr;
  HACMDRIVER m_had = nullptr;
  HACMSTREAM m_has = nullptr;
  CSampleBuffer* m_pSource = nullptr;
  CSampleBuffer* m_pDestination = nullptr;

 private:
  void CloseHandles();
  DWORD m_cbPreparedSrc = 0;  // source length the headers were prepared with
};
