// Wave output: the mmsystem.h names, structures and values for handing buffers to a
// wave output device. The calls go to a replaceable backend; until one is installed
// there is no device and every call fails with MMSYSERR_NODRIVER.
#pragma once

#include "platform/MMSystem.h"

typedef struct HWAVEOUT__* HWAVEOUT;
typedef HWAVEOUT* LPHWAVEOUT;

#define WHDR_DONE 0x00000001
#define WHDR_PREPARED 0x00000002
#define WHDR_BEGINLOOP 0x00000004
#define WHDR_ENDLOOP 0x00000008
#define WHDR_INQUEUE 0x00000010

#pragma pack(push, 1)
typedef struct wavehdr_tag {
  LPSTR lpData;
  DWORD dwBufferLength;
  DWORD dwBytesRecorded;
  DWORD_PTR dwUser;
  DWORD dwFlags;
  DWORD dwLoops;
  struct wavehdr_tag* lpNext;
  DWORD_PTR reserved;
} WAVEHDR, *PWAVEHDR, *LPWAVEHDR;
#pragma pack(pop)

static_assert(sizeof(WAVEHDR) == 4 * sizeof(void*) + 16, "WAVEHDR has the platform's layout");

// The device side of the header calls. Every member must be set.
struct WaveOutBackend {
  MMRESULT (*prepareHeader)(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
  MMRESULT (*unprepareHeader)(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
  MMRESULT (*write)(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
};

// Installs the backend that serves the calls (null: none) and returns the one before.
// The table must outlive its use.
const WaveOutBackend* SetWaveOutBackend(const WaveOutBackend* pBackend);

MMRESULT WINAPI waveOutPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
MMRESULT WINAPI waveOutUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
MMRESULT WINAPI waveOutWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh);
