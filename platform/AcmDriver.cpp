// Driver registration, enumeration, details and opening.
#include <cstddef>
#include <cstring>

#include "platform/AcmManager.h"

using acm::Driver;
using acm::Instance;
using acm::Manager;

namespace {

// Asks an open driver for its wide details, complete.
MMRESULT QueryDetails(Instance* inst, ACMDRIVERDETAILSW* pw) {
  std::memset(pw, 0, sizeof *pw);
  pw->cbStruct = sizeof *pw;
  return static_cast<MMRESULT>(Manager::Send(inst, ACMDM_DRIVER_DETAILS, reinterpret_cast<LPARAM>(pw), 0));
}

void Narrow(char* dst, size_t cch, const WCHAR* src) {
  size_t n = 0;
  for (; n + 1 < cch && src[n]; ++n) dst[n] = src[n] <= 0xFF ? static_cast<char>(src[n]) : '?';
  dst[n] = 0;
}

}  // namespace

MMRESULT WINAPI acmDriverAddA(LPHACMDRIVERID phadid, HINSTANCE hinstModule, LPARAM lParam,
                              DWORD dwPriority, DWORD fdwAdd) {
  if (fdwAdd & ~(ACM_DRIVERADDF_TYPEMASK | ACM_DRIVERADDF_GLOBAL)) return MMSYSERR_INVALFLAG;
  const DWORD type = fdwAdd & ACM_DRIVERADDF_TYPEMASK;
  if (type != ACM_DRIVERADDF_FUNCTION && type != ACM_DRIVERADDF_NAME && type != ACM_DRIVERADDF_NOTIFYHWND)
    return MMSYSERR_INVALFLAG;
  if (!phadid) return MMSYSERR_INVALPARAM;
  // Only process-local function drivers can live in this manager.
  if (type != ACM_DRIVERADDF_FUNCTION) return MMSYSERR_NOTSUPPORTED;
  if (fdwAdd & ACM_DRIVERADDF_GLOBAL) return MMSYSERR_INVALFLAG;
  if (dwPriority != 0 || !hinstModule || lParam == 0) return MMSYSERR_INVALPARAM;

  auto* d = new Driver;
  d->proc = reinterpret_cast<ACMDRIVERPROC>(lParam);
  d->hinst = hinstModule;
  d->local = true;
  const auto id = reinterpret_cast<HACMDRIVERID>(d);
  if (d->proc(0, id, DRV_LOAD, 0, 0) == 0) {
    delete d;
    return MMSYSERR_INVALPARAM;
  }
  d->proc(0, id, DRV_ENABLE, 0, 0);
  Manager::Get().AddDriver(d);

  // Cache the support flags the enumeration reports.
  MMRESULT mmr;
  Instance* inst = Manager::Get().Open(d, &mmr);
  ACMDRIVERDETAILSW details;
  if (inst) mmr = QueryDetails(inst, &details);
  if (inst) Manager::Get().Close(inst, true);
  if (mmr != MMSYSERR_NOERROR || details.cbStruct < offsetof(ACMDRIVERDETAILSW, cFormatTags)) {
    Manager::Get().RemoveDriver(d);
    return MMSYSERR_INVALPARAM;
  }
  d->fdwSupport = details.fdwSupport;
  *phadid = id;
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverRemove(HACMDRIVERID hadid, DWORD fdwRemove) {
  Driver* d = Manager::Get().FindDriver(hadid);
  if (!d) return MMSYSERR_INVALHANDLE;
  if (fdwRemove != 0) return MMSYSERR_INVALFLAG;
  return Manager::Get().RemoveDriver(d);
}

MMRESULT WINAPI acmDriverEnum(ACMDRIVERENUMCB fnCallback, DWORD_PTR dwInstance, DWORD fdwEnum) {
  if (!fnCallback) return MMSYSERR_INVALPARAM;
  if (fdwEnum & ~(ACM_DRIVERENUMF_NOLOCAL | ACM_DRIVERENUMF_DISABLED)) return MMSYSERR_INVALFLAG;
  for (Driver* d : Manager::Get().Drivers()) {
    if (d->local && (fdwEnum & ACM_DRIVERENUMF_NOLOCAL)) continue;
    const DWORD support = d->fdwSupport | (d->local ? ACMDRIVERDETAILS_SUPPORTF_LOCAL : 0);
    if (!fnCallback(reinterpret_cast<HACMDRIVERID>(d), dwInstance, support)) break;
  }
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverDetailsA(HACMDRIVERID hadid, LPACMDRIVERDETAILSA padd, DWORD fdwDetails) {
  Manager& m = Manager::Get();
  Instance* open = m.FindInstance(reinterpret_cast<HACMDRIVER>(hadid));
  Driver* d = open ? open->driver : m.FindDriver(hadid);
  if (!d) return MMSYSERR_INVALHANDLE;
  if (!padd || padd->cbStruct < 4) return MMSYSERR_INVALPARAM;
  if (fdwDetails != 0) return MMSYSERR_INVALFLAG;

  MMRESULT mmr = MMSYSERR_NOERROR;
  Instance* inst = open ? open : m.Open(d, &mmr);
  if (!inst) return mmr;
  ACMDRIVERDETAILSW w;
  mmr = QueryDetails(inst, &w);
  if (!open) m.Close(inst, true);
  if (mmr != MMSYSERR_NOERROR) return mmr;

  ACMDRIVERDETAILSA a;
  std::memset(&a, 0, sizeof a);
  constexpr size_t kHead = offsetof(ACMDRIVERDETAILSA, szShortName);
  static_assert(kHead == offsetof(ACMDRIVERDETAILSW, szShortName), "same numeric head");
  std::memcpy(&a, &w, kHead);
  Narrow(a.szShortName, sizeof a.szShortName, w.szShortName);
  Narrow(a.szLongName, sizeof a.szLongName, w.szLongName);
  Narrow(a.szCopyright, sizeof a.szCopyright, w.szCopyright);
  Narrow(a.szLicensing, sizeof a.szLicensing, w.szLicensing);
  Narrow(a.szFeatures, sizeof a.szFeatures, w.szFeatures);

  // Whole fields only, as far as both the caller's size and the driver's answer reach.
  struct Field {
    size_t endA, endW;
  };
#define FIELD(f) Field{offsetof(ACMDRIVERDETAILSA, f) + sizeof(a.f), offsetof(ACMDRIVERDETAILSW, f) + sizeof(w.f)}
  static const Field kFields[] = {FIELD(cbStruct),    FIELD(fccType),     FIELD(fccComp),
                                  FIELD(wMid),        FIELD(wPid),        FIELD(vdwACM),
                                  FIELD(vdwDriver),   FIELD(fdwSupport),  FIELD(cFormatTags),
                                  FIELD(cFilterTags), FIELD(hicon),       FIELD(szShortName),
                                  FIELD(szLongName),  FIELD(szCopyright), FIELD(szLicensing),
                                  FIELD(szFeatures)};
#undef FIELD
  const size_t cbCaller = padd->cbStruct;
  size_t filled = 0;
  for (const Field& f : kFields) {
    if (f.endA > cbCaller || f.endW > w.cbStruct) break;
    filled = f.endA;
  }
  std::memcpy(padd, &a, filled);
  padd->cbStruct = static_cast<DWORD>(filled);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverOpen(LPHACMDRIVER phad, HACMDRIVERID hadid, DWORD fdwOpen) {
  if (!phad) return MMSYSERR_INVALPARAM;
  *phad = nullptr;
  Driver* d = Manager::Get().FindDriver(hadid);
  if (!d) return MMSYSERR_INVALHANDLE;
  if (fdwOpen != 0) return MMSYSERR_INVALFLAG;
  MMRESULT mmr;
  Instance* inst = Manager::Get().Open(d, &mmr);
  if (!inst) return mmr;
  *phad = reinterpret_cast<HACMDRIVER>(inst);
  return MMSYSERR_NOERROR;
}

MMRESULT WINAPI acmDriverClose(HACMDRIVER had, DWORD fdwClose) {
  Instance* inst = Manager::Get().FindInstance(had);
  if (!inst) return MMSYSERR_INVALHANDLE;
  if (fdwClose != 0) return MMSYSERR_INVALFLAG;
  return Manager::Get().Close(inst, false);
}
