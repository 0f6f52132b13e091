#include "audio/AudioThread.h"

CAudioThread::CAudioThread() { m_bAutoDelete = FALSE; }

CAudioThread::~CAudioThread() = default;

BOOL CAudioThread::InitInstance() { return TRUE; }

BOOL CAudioThread::DispatchThreadMessageEx(MSG* pMsg) {
  const HWAVEOUT hwo = reinterpret_cast<HWAVEOUT>(pMsg->wParam);
  switch (pMsg->message) {
    case WM_AUDIO_PLAY:
      OnPlay(hwo, reinterpret_cast<CSoundSource*>(pMsg->lParam));
      break;
    case WM_AUDIO_STOP:
      OnStop(hwo, reinterpret_cast<CEvent*>(pMsg->lParam));
      break;
    case WM_AUDIO_QUIT:
      OnQuit();
      break;
    case WM_AUDIO_NOTIFY_PLAYED_OUT:
      OnNotifyPlayedOut(reinterpret_cast<CEvent*>(pMsg->lParam));
      break;
    case MM_WOM_DONE:
      OnWaveDone(hwo);
      break;
    case MM_WOM_OPEN:
    case MM_WOM_CLOSE:
      break;
    default:
      return FALSE;
  }
  CheckPlayedOut();
  return TRUE;
}

void CAudioThread::Signal(CEvent*& pEvent) {
  if (pEvent) ::SetEvent(pEvent->m_hObject);
  pEvent = nullptr;
}

void CAudioThread::QueueSlots(HWAVEOUT hwo) {
  while (m_nQueued < m_pRing->m_nCount) {
    m_pRing->Fill();
    if (m_pRing->m_nValid == 0) break;
    if (m_pRing->WriteCurrent(hwo) == MMSYSERR_NOERROR) ++m_nQueued;
  }
}

void CAudioThread::OnPlay(HWAVEOUT hwo, CSoundSource* pSource) {
  if (!pSource || !pSource->m_pTarget) return;
  const WPARAM device = reinterpret_cast<WPARAM>(hwo);
  const LPARAM source = reinterpret_cast<LPARAM>(pSource);
  switch (m_nState) {
    case AUDIO_PLAYING:
    case AUDIO_DRAINING:
      // Stop first; the play comes round again after the stop.
      PostThreadMessage(WM_AUDIO_STOP, device, 0);
      PostThreadMessage(WM_AUDIO_PLAY, device, source);
      return;
    case AUDIO_STOP_PENDING:
    case AUDIO_RESETTING:
      PostThreadMessage(WM_AUDIO_PLAY, device, source);  // retried until the stop has completed
      return;
    default:
      break;
  }
  CWaveBufferRing* pRing = dynamic_cast<CWaveBufferRing*>(pSource->m_pTarget);
  if (!pRing) return;
  m_pSource = pSource;
  m_pRing = pRing;
  QueueSlots(hwo);
  m_nState = m_nQueued == m_pRing->m_nCount ? AUDIO_PLAYING : AUDIO_DRAINING;
}

void CAudioThread::OnWaveDone(HWAVEOUT hwo) {
  switch (m_nState) {
    case AUDIO_PLAYING:
      if (!m_pSource || !m_pRing) return;
      --m_nQueued;
      m_pRing->Fill();
      if (m_pRing->m_nValid == 0) {
        m_nState = m_nQueued == 0 ? AUDIO_IDLE : AUDIO_DRAINING;
      } else if (m_pRing->WriteCurrent(hwo) == MMSYSERR_NOERROR) {
        ++m_nQueued;
      }
      return;
    case AUDIO_STOP_PENDING:
      waveOutReset(hwo);  // every queued buffer comes back as a further MM_WOM_DONE
      m_nState = AUDIO_RESETTING;
      [[fallthrough]];
    case AUDIO_RESETTING:
    case AUDIO_DRAINING:
      if (m_nQueued > 0 && --m_nQueued > 0) return;
      Signal(m_pStopEvent);
      m_nState = AUDIO_IDLE;
      return;
    default:
      return;
  }
}

void CAudioThread::OnStop(HWAVEOUT hwo, CEvent* pEvent) {
  if (!m_pSource || !m_pRing) {
    Signal(pEvent);
    return;
  }
  if (m_nQueued == 0) m_nState = AUDIO_IDLE;
  switch (m_nState) {
    case AUDIO_IDLE:
      Signal(pEvent);
      break;
    case AUDIO_PLAYING:
    case AUDIO_DRAINING:
      m_nState = AUDIO_STOP_PENDING;  // the device is reset at the next returned buffer
      m_pStopEvent = pEvent;
      break;
    case AUDIO_STOP_PENDING:
      m_pStopEvent = pEvent;
      m_nState = AUDIO_RESETTING;
      waveOutReset(hwo);
      break;
    case AUDIO_RESETTING:
      m_pStopEvent = pEvent;
      break;
    default:
      break;
  }
}

void CAudioThread::OnQuit() { PostQuitMessage(0); }

void CAudioThread::OnNotifyPlayedOut(CEvent* pEvent) {
  Signal(m_pPlayedOutEvent);  // an earlier request is answered as well
  m_pPlayedOutEvent = pEvent;
}

void CAudioThread::CheckPlayedOut() {
  if (!m_pPlayedOutEvent) return;
  if (m_nState != AUDIO_IDLE && !(m_nState == AUDIO_DRAINING && m_nQueued == 0)) return;
  MSG pending;
  if (PeekMessageA(&pending, nullptr, WM_AUDIO_PLAY, WM_AUDIO_PLAY, PM_NOREMOVE) &&
      pending.message == WM_AUDIO_PLAY)
    return;
  Signal(m_pPlayedOutEvent);
}
