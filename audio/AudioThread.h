// The audio thread: keeps the wave output device fed from the ring of the sound being played.
// It is driven only by thread messages: play and stop requests from the controller and the
// device's completion messages.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/SampleBuffer.h"
#include "audio/SoundSource.h"
#include "platform/Event.h"
#include "platform/WinThread.h"

// Thread messages: wParam is the device; lParam the source (PLAY) or the event to signal
// (STOP, PLAYED_OUT; 0 for none).
#define WM_AUDIO_PLAY 0x500
#define WM_AUDIO_STOP 0x501
#define WM_AUDIO_QUIT 0x511
// Signal lParam's event once the thread has played out everything handed to it: it is idle
// (or draining a sound that produced nothing) and no play request waits in its queue.
#define WM_AUDIO_NOTIFY_PLAYED_OUT 0x512

enum {
  AUDIO_IDLE = 0,          // nothing is queued
  AUDIO_PLAYING = 1,       // every slot is queued; returned buffers are refilled
  AUDIO_STOP_PENDING = 2,  // the next returned buffer resets the device
  AUDIO_RESETTING = 3,     // reset; waiting for the queued buffers to come back
  AUDIO_DRAINING = 4,      // the sound has ended; waiting for the queued buffers to finish
};

class CAudioThread : public CWinThread {
 public:
  // Not auto-deleting: the controller deletes the object once the thread has ended.
  CAudioThread();
  ~CAudioThread() override;

  BOOL InitInstance() override;
  BOOL DispatchThreadMessageEx(MSG* pMsg) override;

  void OnPlay(HWAVEOUT hwo, CSoundSource* pSource);
  void OnStop(HWAVEOUT hwo, CEvent* pEvent);
  void OnWaveDone(HWAVEOUT hwo);
  void OnQuit();
  void OnNotifyPlayedOut(CEvent* pEvent);

  // Kept after a sound has ended or been stopped, and only tested for presence then: the
  // controller may already have deleted the source.
  CWaveBufferRing* m_pRing = nullptr;
  CSoundSource* m_pSource = nullptr;
  std::atomic<int32_t> m_nState{AUDIO_IDLE};  // read by the controller's IsPlaying
  CEvent* m_pStopEvent = nullptr;  // signalled when the pending stop completes
  int32_t m_nQueued = 0;           // buffers written and not yet returned
  CEvent* m_pPlayedOutEvent = nullptr;

 private:
  // Queues slots while fewer than all are queued and the fills deliver data.
  void QueueSlots(HWAVEOUT hwo);
  void Signal(CEvent*& pEvent);
  void CheckPlayedOut();
};
