#include "platform/AcmDriverSupport.h"

#include <cstddef>
#include <cstring>

void AcmWiden(WCHAR* dst, size_t cch, const char* src) {
  size_t n = 0;
  for (; n + 1 < cch && src[n]; ++n) dst[n] = static_cast<unsigned char>(src[n]);
  dst[n] = 0;
}

LRESULT AcmCopyDriverDetails(const ACMDRIVERDETAILSW& d, ACMDRIVERDETAILSW* padd) {
  if (!padd || padd->cbStruct < 4) return MMSYSERR_INVALPARAM;
#define FIELD_END(f) (offsetof(ACMDRIVERDETAILSW, f) + sizeof(d.f))
  static constexpr size_t kEnds[] = {
      FIELD_END(cbStruct),    FIELD_END(fccType),     FIELD_END(fccComp),     FIELD_END(wMid),
      FIELD_END(wPid),        FIELD_END(vdwACM),      FIELD_END(vdwDriver),   FIELD_END(fdwSupport),
      FIELD_END(cFormatTags), FIELD_END(cFilterTags), FIELD_END(hicon),       FIELD_END(szShortName),
      FIELD_END(szLongName),  FIELD_END(szCopyright), FIELD_END(szLicensing), FIELD_END(szFeatures)};
#undef FIELD_END
  size_t filled = 0;
  for (size_t end : kEnds)
    if (end <= padd->cbStruct) filled = end;
  std::memcpy(padd, &d, filled);
  padd->cbStruct = static_cast<DWORD>(filled);
  return MMSYSERR_NOERROR;
}

void AcmCompletePcmFormat(WAVEFORMATEX* pwfx, DWORD cbwfx) {
  pwfx->nBlockAlign = static_cast<WORD>(pwfx->nChannels * pwfx->wBitsPerSample / 8);
  pwfx->nAvgBytesPerSec = pwfx->nSamplesPerSec * pwfx->nBlockAlign;
  if (cbwfx >= 18) pwfx->cbSize = 0;
}
