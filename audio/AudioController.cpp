#include "audio/AudioController.h"

#include <atomic>
#include <cstdio>
#include <new>

#include "audio/AudioGlobals.h"
#include "audio/OggFileSource.h"
#include "codec/AcmDriverRegistration.h"

namespace {

const WAVEFORMATEX kDeviceFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};

bool Signalled(CEvent* pEvent) { return WaitForSingleObject(pEvent->m_hObject, 0) == WAIT_OBJECT_0; }

}  // namespace

CAudioController::~CAudioController() { Shutdown(); }

bool CAudioController::Post(UINT message, LPARAM lParam) {
  return m_pThread && m_hWaveOut &&
         m_pThread->PostThreadMessage(message, reinterpret_cast<WPARAM>(m_hWaveOut), lParam);
}

bool CAudioController::Start() {
  if (!RegisterAcmDrivers()) return false;
  m_pThread = new (std::nothrow) CAudioThread;
  if (!m_pThread) return false;
  if (!m_pThread->CreateThread(CREATE_SUSPENDED, 0, nullptr)) {
    delete m_pThread;
    m_pThread = nullptr;
    return false;
  }
  m_pThread->SetThreadPriority(THREAD_PRIORITY_NORMAL);
  m_pThread->ResumeThread();
  if (waveOutOpen(&m_hWaveOut, WAVE_MAPPER, &kDeviceFormat, m_pThread->m_nThreadID, 0,
                  CALLBACK_THREAD | WAVE_FORMAT_DIRECT) != MMSYSERR_NOERROR) {
    m_hWaveOut = nullptr;
    return false;
  }
  m_ring.SetFormat(&kDeviceFormat);
  m_ring.Create(kSlotCount, kSlotBytes);
  m_ring.PrepareWaveHeaders(m_hWaveOut);  // once for the whole run
  return true;
}

void CAudioController::Shutdown() {
  // Without a device no thread ever held the source, and Stop deletes it at once.
  Stop();
  if (m_hWaveOut) {
    waveOutReset(m_hWaveOut);
    m_ring.UnprepareWaveHeaders(m_hWaveOut);
    waveOutClose(m_hWaveOut);
    m_hWaveOut = nullptr;
  }
  if (m_pThread) {
    bool ended = false;
    if (m_pThread->PostThreadMessage(WM_AUDIO_QUIT, 0, 0)) {
      WaitForSingleObject(m_pThread->m_hThread, kQuitTimeout);
      DWORD code = STILL_ACTIVE;
      BOOL known = FALSE;
      for (int i = 0; i < 100000; ++i) {
        known = GetExitCodeThread(m_pThread->m_hThread, &code);
        if (!known || code != STILL_ACTIVE) break;
      }
      // A thread that may still run keeps its object, and the sources and events it may use.
      ended = known && code != STILL_ACTIVE;
      if (ended) delete m_pThread;
    } else {
      // The thread has no queue any more: it has ended.
      delete m_pThread;
      ended = true;
    }
    m_pThread = nullptr;
    if (ended) DeleteAbandoned();
  } else {
    DeleteAbandoned();
  }
  RemoveAcmDrivers();
}

bool CAudioController::ReleaseAbandoned() {
  // The thread handles messages in order, so once a later stop is acknowledged it has let go
  // of every earlier source too.
  for (size_t i = m_abandoned.size(); i-- > 0;) {
    if (!Signalled(m_abandoned[i].pEvent)) continue;
    for (size_t j = 0; j <= i; ++j) {
      delete m_abandoned[j].pSource;
      delete m_abandoned[j].pEvent;
    }
    m_abandoned.erase(m_abandoned.begin(), m_abandoned.begin() + static_cast<long>(i) + 1);
    break;
  }
  return m_abandoned.empty();
}

void CAudioController::DeleteAbandoned() {
  for (const Abandoned& a : m_abandoned) {
    delete a.pSource;
    delete a.pEvent;
  }
  m_abandoned.clear();
  for (CEvent* e : m_lateEvents) delete e;
  m_lateEvents.clear();
}

void CAudioController::Stop() {
  ReleaseAbandoned();
  if (!m_pSource) return;
  CEvent* pEvent = new (std::nothrow) CEvent(FALSE, FALSE);  // auto-reset, unsignalled
  if (pEvent && !pEvent->m_hObject) {
    delete pEvent;
    pEvent = nullptr;
  }
  if (!Post(WM_AUDIO_STOP, reinterpret_cast<LPARAM>(pEvent))) {
    // The thread never got this stop, and so does not hold the source.
    delete m_pSource;
    delete pEvent;
  } else if (pEvent && WaitForSingleObject(pEvent->m_hObject, kStopTimeout) == WAIT_OBJECT_0) {
    delete m_pSource;
    delete pEvent;
  } else if (pEvent) {
    m_abandoned.push_back({m_pSource, pEvent});
  }
  // Without an event the stop cannot be confirmed: the source is left to the system.
  m_pSource = nullptr;
}

bool CAudioController::Play(const char* pszPath, int nKind) {
  Stop();
  // The ring is re-wired below; not while the thread may still be filling it.
  if (!m_abandoned.empty()) return false;
  CSoundSource* pSource = nullptr;
  if (nKind == AUDIO_KIND_WAVE)
    pSource = new (std::nothrow) CWaveFileSource;
  else if (nKind == AUDIO_KIND_OGG)
    pSource = new (std::nothrow) COggFileSource;
  if (!pSource) return false;
  m_pSource = pSource;
  if (!pSource->OpenFile(pszPath) || pSource->Attach(&m_ring) != 0) {
    Stop();
    return false;
  }
  Post(WM_AUDIO_PLAY, reinterpret_cast<LPARAM>(pSource));
  return true;
}

bool CAudioController::IsPlaying() const {
  if (!m_pSource || !m_pThread) return false;
  return m_pThread->m_nState.load(std::memory_order_relaxed) != AUDIO_IDLE;
}

bool CAudioController::WaitUntilPlayedOut(DWORD dwTimeout) {
  if (!m_pThread || !m_hWaveOut) return true;
  CEvent* pEvent = new (std::nothrow) CEvent(FALSE, FALSE);
  if (!pEvent || !pEvent->m_hObject) {
    delete pEvent;
    return false;
  }
  if (!Post(WM_AUDIO_NOTIFY_PLAYED_OUT, reinterpret_cast<LPARAM>(pEvent))) {
    delete pEvent;
    return false;
  }
  if (WaitForSingleObject(pEvent->m_hObject, dwTimeout) == WAIT_OBJECT_0) {
    delete pEvent;
    return true;
  }
  m_lateEvents.push_back(pEvent);  // the thread may still signal it
  return false;
}

bool StartAudio(CAudioController& controller) {
  g_pAudio = nullptr;
  if (!controller.Start()) return false;
  g_pAudio = &controller;
  return true;
}

void ShutdownAudio(CAudioController& controller, const char* pszPlaybackFile) {
  if (g_pAudio == &controller) g_pAudio = nullptr;
  controller.Shutdown();
  if (pszPlaybackFile) std::remove(pszPlaybackFile);
}
