// Conversion streams: open, size, header preparation, conversion and close.
#include <cstring>

#include "platform/AcmManager.h"

using acm::Driver;
using acm::Instance;
using acm::Manager;
using acm::Stream;

namespace {

std::vector<BYTE> CopyFormat(const WAVEFORMATEX* pwfx) {
  const DWORD cb = acm::FormatSize(pwfx);
  std::vector<BYTE> v(cb < sizeof(WAVEFORMATEX) ? sizeof(WAVEFORMATEX) : cb, 0);
  std::memcpy(v.data(), pwfx, cb);
  return v;
}

MMRESULT TryOpen(Stream* s, Instance* inst, DWORD fdwOpen) {
  if ((fdwOpen & ACM_STREAMOPENF_ASYNC) && !(inst->driver->fdwSupport & ACMDRIVERDETAILS_SUPPORTF_ASYNC))
    return ACMERR_NOTPOSSIBLE;
  s->adsi.fdwDriver = 0;
  s->adsi.dwDriver = 0;
  return static_cast<MMRESULT>(Manager::Send(inst, ACMDM_STREAM_OPEN, reinterpret_cast<LPARAM>(&s->adsi), 0));
}

ACMDRVSTREAMHEADER* DriverHeader(LPACMSTREAMHEADER pash) { return reinterpret_cast<ACMDRVSTREAMHEADER*>(pash); }

}  // namespace

MMRESULT WINAPI acmStreamOpen(LPHACMSTREAM phas, HACMDRIVER had, LPWAVEFORMATEX pwfxSrc,
                              LPWAVEFORMATEX pwfxDst, LPWAVEFILTER pwfltr, DWORD_PTR dwCallback,
                              DWORD_PTR dwInstance, DWORD fdwOpen) {
  Manager& m = Manager::Get();
  if (phas) *phas = nullptr;
  Instance* given = nullptr;
  if (had) {
    given = m.FindInstance(had);
    if (!given) return MMSYSERR_INVALHANDLE;
  }
  if (fdwOpen & ~(ACM_STREAMOPENF_QUERY | ACM_STREAMOPENF_ASYNC | ACM_STREAMOPENF_NONREALTIME | CALLBACK_TYPEMASK))
    return MMSYSERR_INVALFLAG;
  const bool query = fdwOpen & ACM_STREAMOPENF_QUERY;
  if ((!phas && !query) || !pwfxSrc || !pwfxDst) return MMSYSERR_INVALPARAM;

  auto* s = new Stream;
  s->wfxSrc = CopyFormat(pwfxSrc);
  s->wfxDst = CopyFormat(pwfxDst);
  s->adsi.cbStruct = sizeof s->adsi;
  s->adsi.pwfxSrc = reinterpret_cast<LPWAVEFORMATEX>(s->wfxSrc.data());
  s->adsi.pwfxDst = reinterpret_cast<LPWAVEFORMATEX>(s->wfxDst.data());
  s->adsi.pwfltr = pwfltr;
  s->adsi.dwCallback = dwCallback;
  s->adsi.dwInstance = dwInstance;
  s->adsi.fdwOpen = fdwOpen;
  s->adsi.has = query ? nullptr : reinterpret_cast<HACMSTREAM>(s);

  MMRESULT mmr = ACMERR_NOTPOSSIBLE;
  if (given) {
    mmr = TryOpen(s, given, fdwOpen);
    if (mmr == MMSYSERR_NOERROR) s->instance = given;
  } else {
    // No driver named: the first enabled driver that opens the stream serves it.
    for (Driver* d : m.Drivers()) {
      MMRESULT mo;
      Instance* inst = m.Open(d, &mo);
      if (!inst) continue;
      const MMRESULT r = TryOpen(s, inst, fdwOpen);
      if (r == MMSYSERR_NOERROR && !query) {
        s->instance = inst;
        s->ownsInstance = true;
        mmr = r;
        break;
      }
      m.Close(inst, true);
      if (r == MMSYSERR_NOERROR) {
        mmr = r;
        break;
      }
    }
  }
  if (mmr != MMSYSERR_NOERROR || query) {
    delete s;
    return mmr;
  }
  m.AddStream(s);
  *phas = reinterpret_cast<HACMSTREAM>(s);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamClose(HACMSTREAM has, DWORD fdwClose) {
  Manager& m = Manager::Get();
  Stream* s = m.FindStream(has);
  if (!s) return MMSYSERR_INVALHANDLE;
  if (fdwClose != 0) return MMSYSERR_INVALFLAG;
  const auto mmr = static_cast<MMRESULT>(Manager::Send(s->instance, ACMDM_STREAM_CLOSE, reinterpret_cast<LPARAM>(&s->adsi), 0));
  if (mmr != MMSYSERR_NOERROR) return mmr;
  m.RemoveStream(s);
  if (s->ownsInstance) m.Close(s->instance, true);
  delete s;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamSize(HACMSTREAM has, DWORD cbInput, LPDWORD pdwOutputBytes, DWORD fdwSize) {
  Stream* s = Manager::Get().FindStream(has);
  if (!s) return MMSYSERR_INVALHANDLE;
  if (fdwSize & ~ACM_STREAMSIZEF_QUERYMASK) return MMSYSERR_INVALFLAG;
  if (fdwSize != ACM_STREAMSIZEF_SOURCE && fdwSize != ACM_STREAMSIZEF_DESTINATION) return MMSYSERR_INVALFLAG;
  if (!pdwOutputBytes) return MMSYSERR_INVALPARAM;
  ACMDRVSTREAMSIZE adss{};
  adss.cbStruct = sizeof adss;
  adss.fdwSize = fdwSize;
  if (fdwSize == ACM_STREAMSIZEF_SOURCE)
    adss.cbSrcLength = cbInput;
  else
    adss.cbDstLength = cbInput;
  const auto mmr = static_cast<MMRESULT>(Manager::Send(s->instance, ACMDM_STREAM_SIZE,
                                                       reinterpret_cast<LPARAM>(&s->adsi), reinterpret_cast<LPARAM>(&adss)));
  if (mmr != MMSYSERR_NOERROR) return mmr;
  *pdwOutputBytes = fdwSize == ACM_STREAMSIZEF_SOURCE ? adss.cbDstLength : adss.cbSrcLength;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamPrepareHeader(HACMSTREAM has, LPACMSTREAMHEADER pash, DWORD fdwPrepare) {
  Stream* s = Manager::Get().FindStream(has);
  if (!s) return MMSYSERR_INVALHANDLE;
  if (fdwPrepare != 0) return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct < sizeof(ACMSTREAMHEADER) || !pash->pbSrc || !pash->pbDst) return MMSYSERR_INVALPARAM;
  if (pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) return MMSYSERR_NOERROR;
  ACMDRVSTREAMHEADER* h = DriverHeader(pash);
  h->fdwConvert = 0;
  h->padshNext = nullptr;
  h->fdwDriver = 0;
  h->dwDriver = 0;
  h->fdwPrepared = 0;
  h->dwPrepared = reinterpret_cast<DWORD_PTR>(has);
  h->pbPreparedSrc = pash->pbSrc;
  h->cbPreparedSrcLength = pash->cbSrcLength;
  h->pbPreparedDst = pash->pbDst;
  h->cbPreparedDstLength = pash->cbDstLength;
  const auto mmr = static_cast<MMRESULT>(Manager::Send(s->instance, ACMDM_STREAM_PREPARE,
                                                       reinterpret_cast<LPARAM>(&s->adsi), reinterpret_cast<LPARAM>(h)));
  // A driver without preparation work leaves it to the manager.
  if (mmr != MMSYSERR_NOERROR && mmr != MMSYSERR_NOTSUPPORTED) return mmr;
  pash->fdwStatus = (pash->fdwStatus & ~(ACMSTREAMHEADER_STATUSF_DONE | ACMSTREAMHEADER_STATUSF_INQUEUE)) |
                    ACMSTREAMHEADER_STATUSF_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamUnprepareHeader(HACMSTREAM has, LPACMSTREAMHEADER pash, DWORD fdwUnprepare) {
  Stream* s = Manager::Get().FindStream(has);
  if (!s) return MMSYSERR_INVALHANDLE;
  if (fdwUnprepare != 0) return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct < sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
  if (!(pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
  if (pash->fdwStatus & ACMSTREAMHEADER_STATUSF_INQUEUE) return ACMERR_BUSY;
  ACMDRVSTREAMHEADER* h = DriverHeader(pash);
  // The header must come back with the buffers and lengths it was prepared with.
  if (h->dwPrepared != reinterpret_cast<DWORD_PTR>(has) || h->pbPreparedSrc != pash->pbSrc ||
      h->cbPreparedSrcLength != pash->cbSrcLength || h->pbPreparedDst != pash->pbDst ||
      h->cbPreparedDstLength != pash->cbDstLength)
    return MMSYSERR_INVALPARAM;
  const auto mmr = static_cast<MMRESULT>(Manager::Send(s->instance, ACMDM_STREAM_UNPREPARE,
                                                       reinterpret_cast<LPARAM>(&s->adsi), reinterpret_cast<LPARAM>(h)));
  if (mmr != MMSYSERR_NOERROR && mmr != MMSYSERR_NOTSUPPORTED) return mmr;
  pash->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
  h->dwPrepared = 0;
  h->pbPreparedSrc = nullptr;
  h->pbPreparedDst = nullptr;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmStreamConvert(HACMSTREAM has, LPACMSTREAMHEADER pash, DWORD fdwConvert) {
  Stream* s = Manager::Get().FindStream(has);
  if (!s) return MMSYSERR_INVALHANDLE;
  if (fdwConvert & ~(ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END))
    return MMSYSERR_INVALFLAG;
  if (!pash || pash->cbStruct < sizeof(ACMSTREAMHEADER)) return MMSYSERR_INVALPARAM;
  if (!(pash->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED)) return ACMERR_UNPREPARED;
  if (pash->fdwStatus & ACMSTREAMHEADER_STATUSF_INQUEUE) return ACMERR_BUSY;
  ACMDRVSTREAMHEADER* h = DriverHeader(pash);
  // Buffers must lie within what was prepared.
  if (h->dwPrepared != reinterpret_cast<DWORD_PTR>(has) || h->pbPreparedSrc != pash->pbSrc ||
      pash->cbSrcLength > h->cbPreparedSrcLength || h->pbPreparedDst != pash->pbDst ||
      pash->cbDstLength > h->cbPreparedDstLength)
    return MMSYSERR_INVALPARAM;
  pash->fdwStatus = (pash->fdwStatus & ~ACMSTREAMHEADER_STATUSF_DONE) | ACMSTREAMHEADER_STATUSF_INQUEUE;
  h->fdwConvert = fdwConvert;
  h->padshNext = nullptr;
  pash->cbSrcLengthUsed = 0;
  pash->cbDstLengthUsed = 0;
  const auto mmr = static_cast<MMRESULT>(Manager::Send(s->instance, ACMDM_STREAM_CONVERT,
                                                       reinterpret_cast<LPARAM>(&s->adsi), reinterpret_cast<LPARAM>(h)));
  if (pash->cbSrcLengthUsed > pash->cbSrcLength) pash->cbSrcLengthUsed = pash->cbSrcLength;
  if (pash->cbDstLengthUsed > pash->cbDstLength) pash->cbDstLengthUsed = pash->cbDstLength;
  pash->fdwStatus = (pash->fdwStatus & ~ACMSTREAMHEADER_STATUSF_INQUEUE) | ACMSTREAMHEADER_STATUSF_DONE;
  return mmr;
}
