// Format suggestion, from one driver or from the first enabled driver that can.
#include <cstring>
#include <vector>

#include "platform/AcmManager.h"

using acm::Driver;
using acm::Instance;
using acm::Manager;

MMRESULT WINAPI acmFormatSuggest(HACMDRIVER had, LPWAVEFORMATEX pwfxSrc, LPWAVEFORMATEX pwfxDst,
                                 DWORD cbwfxDst, DWORD fdwSuggest) {
  Manager& m = Manager::Get();
  Instance* given = nullptr;
  if (had) {
    given = m.FindInstance(had);
    if (!given) return MMSYSERR_INVALHANDLE;
  }
  if (fdwSuggest & ~ACM_FORMATSUGGESTF_TYPEMASK) return MMSYSERR_INVALFLAG;
  if (!pwfxSrc || !pwfxDst || cbwfxDst < 16) return MMSYSERR_INVALPARAM;

  ACMDRVFORMATSUGGEST adfs{};
  adfs.cbStruct = sizeof adfs;
  adfs.fdwSuggest = fdwSuggest;
  adfs.pwfxSrc = pwfxSrc;
  adfs.cbwfxSrc = acm::FormatSize(pwfxSrc);
  adfs.pwfxDst = pwfxDst;
  adfs.cbwfxDst = cbwfxDst;
  if (given)
    return static_cast<MMRESULT>(Manager::Send(given, ACMDM_FORMAT_SUGGEST, reinterpret_cast<LPARAM>(&adfs), 0));

  // Each driver starts from the caller's destination as it was handed in.
  const std::vector<BYTE> original(reinterpret_cast<BYTE*>(pwfxDst), reinterpret_cast<BYTE*>(pwfxDst) + cbwfxDst);
  for (Driver* d : m.Drivers()) {
    MMRESULT mmr;
    Instance* inst = m.Open(d, &mmr);
    if (!inst) continue;
    std::memcpy(pwfxDst, original.data(), cbwfxDst);
    mmr = static_cast<MMRESULT>(Manager::Send(inst, ACMDM_FORMAT_SUGGEST, reinterpret_cast<LPARAM>(&adfs), 0));
    m.Close(inst, true);
    if (mmr == MMSYSERR_NOERROR) return MMSYSERR_NOERROR;
  }
  std::memcpy(pwfxDst, original.data(), cbwfxDst);
  return ACMERR_NOTPOSSIBLE;
}
