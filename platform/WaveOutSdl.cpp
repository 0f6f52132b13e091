// Wave output through SDL2's audio. Each device plays its written buffers back to back from
// SDL's audio callback and returns each one as soon as the callback has taken all its bytes.
// SDL is loaded when the first device opens: a program that never plays does not load it and
// the dozens of libraries it brings (X11, Wayland, PulseAudio...).
#include <SDL.h>
#include <dlfcn.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <new>
#include <set>
#include <string>
#include <thread>
#include <type_traits>

#include "platform/ThreadMessage.h"
#include "platform/WaveOut.h"

namespace {

// When the queue runs dry in the middle of a stream the callback waits this long for the
// next buffer before it plays silence, so a writer that is a little late leaves no gap.
constexpr std::chrono::milliseconds kUnderrunGrace{200};

// A buffer returns once the callback has copied it, before the system's mixer (PulseAudio,
// PipeWire) has played it. A device closed sooner than this after its last buffer returned
// plays silence until then, so the mixer does not drop the end of the sound.
constexpr std::chrono::milliseconds kPlayOut{250};

struct SdlWaveOut {
  SDL_AudioDeviceID device = 0;
  DWORD callbackType = CALLBACK_NULL;
  DWORD_PTR callback = 0;
  Uint8 silence = 0;

  std::mutex mutex;  // guards the members below and the flags of queued headers
  std::condition_variable wake;
  std::deque<LPWAVEHDR> queue;
  DWORD played = 0;        // bytes of the first queued buffer already taken
  bool streaming = false;  // buffers were written since the last underrun or reset
  bool closing = false;
  std::chrono::steady_clock::time_point lastReturn;

  HWAVEOUT Handle() { return reinterpret_cast<HWAVEOUT>(this); }

  // Called with `mutex` held, so notifications keep the order of events.
  void Notify(UINT message, LPWAVEHDR pwh) {
    if (callbackType == CALLBACK_THREAD)
      PostThreadMessageA(static_cast<DWORD>(callback), message, reinterpret_cast<WPARAM>(Handle()),
                         reinterpret_cast<LPARAM>(pwh));
  }

  void Return(LPWAVEHDR pwh) {
    pwh->dwFlags = (pwh->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    lastReturn = std::chrono::steady_clock::now();
    Notify(MM_WOM_DONE, pwh);
  }
};

// Guards the set of open devices, the driver name and the SDL audio users; every call on a
// device holds it, so a device is not closed under a call. SDL's callback never takes it.
std::mutex g_devicesMutex;
std::set<SdlWaveOut*> g_devices;
std::string g_driverName;
int g_sdlUsers = 0;

std::atomic<const WaveOutDeviceBackend*> g_pDeviceBackend{nullptr};

SdlWaveOut* Find(HWAVEOUT hwo) {
  auto it = g_devices.find(reinterpret_cast<SdlWaveOut*>(hwo));
  return it == g_devices.end() ? nullptr : *it;
}

void SDLCALL Feed(void* userdata, Uint8* stream, int len) {
  SdlWaveOut& d = *static_cast<SdlWaveOut*>(userdata);
  std::unique_lock<std::mutex> lock(d.mutex);
  DWORD wanted = static_cast<DWORD>(len);
  for (;;) {
    if (d.queue.empty()) {
      if (wanted == 0 || !d.streaming || d.closing) break;
      if (!d.wake.wait_for(lock, kUnderrunGrace, [&] { return !d.queue.empty() || !d.streaming || d.closing; }))
        d.streaming = false;
      continue;
    }
    LPWAVEHDR pwh = d.queue.front();
    DWORD n = std::min(wanted, pwh->dwBufferLength - d.played);
    if (n) std::memcpy(stream, pwh->lpData + d.played, n);
    stream += n;
    wanted -= n;
    d.played += n;
    if (d.played < pwh->dwBufferLength) break;
    d.queue.pop_front();
    d.played = 0;
    d.Return(pwh);
  }
  std::memset(stream, d.silence, wanted);
}

bool SdlFormatFor(const WAVEFORMATEX& wfx, SDL_AudioSpec& sdl) {
  if (wfx.wFormatTag != WAVE_FORMAT_PCM || wfx.nChannels < 1 || wfx.nChannels > 2 || wfx.nSamplesPerSec < 1000 ||
      wfx.nSamplesPerSec > 192000 || (wfx.wBitsPerSample != 8 && wfx.wBitsPerSample != 16) ||
      wfx.nBlockAlign != wfx.nChannels * wfx.wBitsPerSample / 8 ||
      wfx.nAvgBytesPerSec != wfx.nSamplesPerSec * wfx.nBlockAlign)
    return false;
  sdl = SDL_AudioSpec{};
  sdl.freq = static_cast<int>(wfx.nSamplesPerSec);
  sdl.format = wfx.wBitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  sdl.channels = static_cast<Uint8>(wfx.nChannels);
  // About 20 to 40 ms per callback.
  sdl.samples = 256;
  while (sdl.samples * 2u <= wfx.nSamplesPerSec / 25) sdl.samples *= 2;
  return true;
}

// The SDL functions used here, from the library loaded at the first open.
#define VANTOR_SDL_FUNCTIONS(X) \
  X(ResetHint) \
  X(SetHintWithPriority) \
  X(SetHint) \
  X(InitSubSystem) \
  X(strcasecmp) \
  X(GetCurrentAudioDriver) \
  X(QuitSubSystem) \
  X(GetNumAudioDevices) \
  X(GetAudioDeviceName) \
  X(OpenAudioDevice) \
  X(PauseAudioDevice) \
  X(CloseAudioDevice)
struct SdlApi {
#define VANTOR_SDL_MEMBER(name) decltype(&SDL_##name) name;
  VANTOR_SDL_FUNCTIONS(VANTOR_SDL_MEMBER)
#undef VANTOR_SDL_MEMBER
};
const SdlApi* g_pSdl = nullptr;

// Loads SDL once; null when it cannot be loaded. Called with g_devicesMutex held.
const SdlApi* LoadSdl() {
  static SdlApi api;
  static bool tried = false;
  if (tried) return g_pSdl;
  tried = true;
  void* library = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
  if (!library) return nullptr;
  bool found = true;
  auto bind = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(dlsym(library, name));
    found = found && function;
  };
#define VANTOR_SDL_BIND(name) bind(api.name, "SDL_" #name);
  VANTOR_SDL_FUNCTIONS(VANTOR_SDL_BIND)
#undef VANTOR_SDL_BIND
  if (!found) {
    dlclose(library);
    return nullptr;
  }
  g_pSdl = &api;
  return g_pSdl;
}

// SDL's audio subsystem is started for the first open device and stopped after the last.
// Called with g_devicesMutex held.
MMRESULT AcquireSdl() {
  if (g_sdlUsers == 0) {
    if (!LoadSdl()) return MMSYSERR_NODRIVER;
    if (g_driverName.empty())
      g_pSdl->ResetHint(SDL_HINT_AUDIODRIVER);
    else
      g_pSdl->SetHintWithPriority(SDL_HINT_AUDIODRIVER, g_driverName.c_str(), SDL_HINT_OVERRIDE);
    // The audio subsystem brings SDL's event subsystem, which would take SIGINT and SIGTERM
    // for an event queue nobody reads: the process must still end on them.
    g_pSdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (g_pSdl->InitSubSystem(SDL_INIT_AUDIO) != 0) return MMSYSERR_NODRIVER;
  } else if (!g_driverName.empty() && g_pSdl->strcasecmp(g_driverName.c_str(), g_pSdl->GetCurrentAudioDriver()) != 0) {
    return MMSYSERR_ALLOCATED;  // another driver is in use by an open device
  }
  ++g_sdlUsers;
  return MMSYSERR_NOERROR;
}

void ReleaseSdl() {
  if (--g_sdlUsers == 0) g_pSdl->QuitSubSystem(SDL_INIT_AUDIO);
}

MMRESULT SdlPrepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  if (!pwh || cbwh < sizeof(WAVEHDR) || (!pwh->lpData && pwh->dwBufferLength)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  SdlWaveOut* d = Find(hwo);
  if (!d) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::mutex> deviceLock(d->mutex);
  pwh->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT SdlUnprepareHeader(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  if (!pwh || cbwh < sizeof(WAVEHDR)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  SdlWaveOut* d = Find(hwo);
  if (!d) return MMSYSERR_INVALHANDLE;
  std::lock_guard<std::mutex> deviceLock(d->mutex);
  if (pwh->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
  pwh->dwFlags &= ~WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

MMRESULT SdlWrite(HWAVEOUT hwo, LPWAVEHDR pwh, UINT cbwh) {
  if (!pwh || cbwh < sizeof(WAVEHDR) || (!pwh->lpData && pwh->dwBufferLength)) return MMSYSERR_INVALPARAM;
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  SdlWaveOut* d = Find(hwo);
  if (!d) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    if (!(pwh->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
    if (pwh->dwFlags & WHDR_INQUEUE) return WAVERR_STILLPLAYING;
    pwh->dwFlags = (pwh->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    d->queue.push_back(pwh);
    d->streaming = true;
  }
  d->wake.notify_all();
  return MMSYSERR_NOERROR;
}

const WaveOutBackend kSdlHeaders = {SdlPrepareHeader, SdlUnprepareHeader, SdlWrite};

MMRESULT SdlOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback, DWORD_PTR dwInstance,
                 DWORD fdwOpen) {
  if (!pwfx) return MMSYSERR_INVALPARAM;
  DWORD callbackType = fdwOpen & CALLBACK_TYPEMASK;
  if (callbackType != CALLBACK_NULL && callbackType != CALLBACK_THREAD) return MMSYSERR_NOTSUPPORTED;
  SDL_AudioSpec want;
  if (!SdlFormatFor(*pwfx, want)) return WAVERR_BADFORMAT;
  if (fdwOpen & WAVE_FORMAT_QUERY) return MMSYSERR_NOERROR;
  if (!phwo) return MMSYSERR_INVALPARAM;

  std::lock_guard<std::mutex> lock(g_devicesMutex);
  if (MMRESULT r = AcquireSdl()) return r;
  const char* name = nullptr;
  if (uDeviceID != WAVE_MAPPER) {
    int count = g_pSdl->GetNumAudioDevices(0);
    name = static_cast<int>(uDeviceID) < count ? g_pSdl->GetAudioDeviceName(static_cast<int>(uDeviceID), 0) : nullptr;
    if (!name) {
      ReleaseSdl();
      return MMSYSERR_BADDEVICEID;
    }
  }
  SdlWaveOut* d = new (std::nothrow) SdlWaveOut;
  if (!d) {
    ReleaseSdl();
    return MMSYSERR_NOMEM;
  }
  d->callbackType = callbackType;
  d->callback = dwCallback;
  want.callback = Feed;
  want.userdata = d;
  SDL_AudioSpec have;
  d->device = g_pSdl->OpenAudioDevice(name, 0, &want, &have, 0);
  if (!d->device) {
    delete d;
    ReleaseSdl();
    return MMSYSERR_ALLOCATED;
  }
  d->silence = have.silence;
  g_devices.insert(d);
  SetWaveOutBackend(&kSdlHeaders);
  *phwo = d->Handle();
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    d->Notify(MM_WOM_OPEN, nullptr);
  }
  g_pSdl->PauseAudioDevice(d->device, 0);
  return MMSYSERR_NOERROR;
}

MMRESULT SdlReset(HWAVEOUT hwo) {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  SdlWaveOut* d = Find(hwo);
  if (!d) return MMSYSERR_INVALHANDLE;
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    if (!d->queue.empty()) {
      for (LPWAVEHDR pwh : d->queue) d->Return(pwh);
      d->lastReturn = {};  // cut off: nothing is left to play out
    }
    d->queue.clear();
    d->played = 0;
    d->streaming = false;
  }
  d->wake.notify_all();
  return MMSYSERR_NOERROR;
}

MMRESULT SdlClose(HWAVEOUT hwo) {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  SdlWaveOut* d = Find(hwo);
  if (!d) return MMSYSERR_INVALHANDLE;
  std::chrono::steady_clock::time_point playedOut;
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    if (!d->queue.empty()) return WAVERR_STILLPLAYING;
    playedOut = d->lastReturn + kPlayOut;
  }
  std::this_thread::sleep_until(playedOut);
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    if (!d->queue.empty()) return WAVERR_STILLPLAYING;
    d->closing = true;
  }
  d->wake.notify_all();
  g_devices.erase(d);
  g_pSdl->CloseAudioDevice(d->device);  // waits for the callback to finish
  {
    std::lock_guard<std::mutex> deviceLock(d->mutex);
    d->Notify(MM_WOM_CLOSE, nullptr);
  }
  delete d;
  ReleaseSdl();
  return MMSYSERR_NOERROR;
}

}  // namespace

const WaveOutDeviceBackend* SetWaveOutDeviceBackend(const WaveOutDeviceBackend* pBackend) {
  return g_pDeviceBackend.exchange(pBackend);
}

MMRESULT WINAPI waveOutOpen(LPHWAVEOUT phwo, UINT uDeviceID, LPCWAVEFORMATEX pwfx, DWORD_PTR dwCallback,
                            DWORD_PTR dwInstance, DWORD fdwOpen) {
  const WaveOutDeviceBackend* b = g_pDeviceBackend.load();
  return b ? b->open(phwo, uDeviceID, pwfx, dwCallback, dwInstance, fdwOpen)
           : SdlOpen(phwo, uDeviceID, pwfx, dwCallback, dwInstance, fdwOpen);
}

MMRESULT WINAPI waveOutReset(HWAVEOUT hwo) {
  const WaveOutDeviceBackend* b = g_pDeviceBackend.load();
  return b ? b->reset(hwo) : SdlReset(hwo);
}

MMRESULT WINAPI waveOutClose(HWAVEOUT hwo) {
  const WaveOutDeviceBackend* b = g_pDeviceBackend.load();
  return b ? b->close(hwo) : SdlClose(hwo);
}

void WaveOutSetDriverName(LPCSTR pszDriver) {
  std::lock_guard<std::mutex> lock(g_devicesMutex);
  g_driverName = pszDriver ? pszDriver : "";
}

LPCSTR WaveOutDriverHelp() { return "SDL audio driver to play through (pulseaudio, alsa, disk, ...)"; }
