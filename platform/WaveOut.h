// Wave output: the mmsystem.h names, structures and values for handing buffers to a
// wave output device. The calls go to a replaceable backend; until one is installed
// there is no device and every call fails with MMSYSERR_NODRIVER.
#pragma once

#include "platform/MMSystem.h"

#ifndef _WIN32  // winmm serves these on Windows
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

// Opening, resetting and closing the device (platform/WaveOutSdl.cpp, library vantor_waveout).
// Until a device backend is installed these go to SDL2's audio, and a device opened there
// also serves the header calls above.

#define WAVE_MAPPER ((UINT)-1)

#ifndef CALLBACK_TYPEMASK
#define CALLBACK_TYPEMASK 0x00070000L
#endif
#ifndef CALLBACK_NULL
#define CALLBACK_NULL 0x00000000L
#endif
#ifndef CALLBACK_WINDOW
#define CALLBACK_WINDOW 0x00010000L
#endif
#ifndef CALLBACK_TASK
#define CALLBACK_TASK 0x00020000L
#endif
#ifndef CALLBACK_THREAD
#define CALLBACK_THREAD CALLBACK_TASK
#endif
#ifndef CALLBACK_FUNCTION
#define CALLBACK_FUNCTION 0x00030000L
#endif
#ifndef CALLBACK_EVENT
#define CALLBACK_EVENT 0x00050000L
#endif

#define WAVE_FORMAT_QUERY 0x0001
#define WAVE_ALLOWSYNC 0x0002
#define WAVE_MAPPED 0x0004
#define WAVE_FORMAT_DIRECT 0x0008

// Posted to a CALLBACK_THREAD thread with the device in wParam; MM_WOM_DONE carries the
// returned WAVEHDR* in lParam.
#define MM_WOM_OPEN 0x3BB
#define MM_WOM_CLOSE 0x3BC
#define MM_WOM_DONE 0x3BD

// The device side of opening, resetting and closing. Every member must be set.
struct WaveOutDeviceBackend {
  MMRESULT (*open)(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                   DWORD_PTR dwInstance, DWORD fdwOpen);
  MMRESULT (*reset)(HWAVEOUT hwo);
  MMRESULT (*close)(HWAVEOUT hwo);
};

// Installs the backend that serves the device calls (null: SDL) and returns the one before.
const WaveOutDeviceBackend* SetWaveOutDeviceBackend(const WaveOutDeviceBackend* pBackend);

// Through SDL: PCM of 8 or 16 bits in 1 or 2 channels at any rate (else WAVERR_BADFORMAT);
// WAVE_MAPPER or an index of SDL's output devices; CALLBACK_NULL or CALLBACK_THREAD
// (dwCallback = thread id; others give MMSYSERR_NOTSUPPORTED). MMSYSERR_NODRIVER when
// SDL's audio cannot start, MMSYSERR_ALLOCATED when the device cannot be opened.
MMRESULT WINAPI waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen);
// Returns every queued buffer at once, in order, marked done.
MMRESULT WINAPI waveOutReset(HWAVEOUT hwo);
// WAVERR_STILLPLAYING while buffers are queued.
MMRESULT WINAPI waveOutClose(HWAVEOUT hwo);
#endif  // _WIN32

// Picks SDL's audio driver by name ("pulseaudio", "alsa", "disk", "dummy"...) for devices
// opened from now on while none is open; null or "" restores SDL's own choice.
void WaveOutSetDriverName(LPCSTR pszDriver);
// What choosing a driver by name means here, for the user's help.
LPCSTR WaveOutDriverHelp();
