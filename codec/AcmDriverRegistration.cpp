#include "codec/AcmDriverRegistration.h"

#include "codec/XboxAdpcmDriver.h"
#include "platform/MMDriver.h"

HACMDRIVERID g_idXboxAdpcmDriver = nullptr;
HACMDRIVERID g_idPcmConverterDriver = nullptr;

namespace {

// Keeps a converter that turns 22050 Hz mono into 44100 Hz stereo, 16 bits.
BOOL CALLBACK FindPcmConverter(HACMDRIVERID hadid, DWORD_PTR dwInstance, DWORD fdwSupport) {
  ACMDRIVERDETAILSA details{};
  details.cbStruct = sizeof details;
  if (acmDriverDetailsA(hadid, &details, 0) != MMSYSERR_NOERROR) return TRUE;
  if (!(fdwSupport & ACMDRIVERDETAILS_SUPPORTF_CONVERTER)) return TRUE;
  WAVEFORMATEX src{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  WAVEFORMATEX dst{WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  const DWORD fix = ACM_FORMATSUGGESTF_WFORMATTAG | ACM_FORMATSUGGESTF_NCHANNELS |
                    ACM_FORMATSUGGESTF_NSAMPLESPERSEC | ACM_FORMATSUGGESTF_WBITSPERSAMPLE;
  if (acmFormatSuggest(nullptr, &src, &dst, 16, fix) == MMSYSERR_NOERROR)
    *reinterpret_cast<HACMDRIVERID*>(dwInstance) = hadid;
  return TRUE;
}

}  // namespace

bool RegisterAcmDrivers() {
  HACMDRIVERID id = nullptr;
  if (acmDriverAddA(&id, GetModuleHandleA(nullptr), reinterpret_cast<LPARAM>(&XboxAdpcmDriverProc), 0,
                    ACM_DRIVERADDF_FUNCTION) != MMSYSERR_NOERROR)
    return false;
  g_idXboxAdpcmDriver = id;
  HACMDRIVERID converter = nullptr;
  if (acmDriverEnum(FindPcmConverter, reinterpret_cast<DWORD_PTR>(&converter), 0) != MMSYSERR_NOERROR)
    return false;
  g_idPcmConverterDriver = converter;
  return true;
}

void RemoveAcmDrivers() {
  g_idPcmConverterDriver = nullptr;
  if (g_idXboxAdpcmDriver) {
    acmDriverRemove(g_idXboxAdpcmDriver, 0);
    g_idXboxAdpcmDriver = nullptr;
  }
}
