// The audio controller: owns the wave output device, its ring of buffers, the audio thread
// and the sound being played. Called from the user-interface thread only.
#pragma once

#include <vector>

#include "audio/AudioThread.h"
#include "audio/SampleBuffer.h"
#include "audio/SoundSource.h"
#include "platform/Event.h"

// Play's kinds of file.
enum { AUDIO_KIND_WAVE = 0, AUDIO_KIND_OGG = 1 };

class CAudioController {
 public:
  static constexpr int kSlotCount = 8;
  static constexpr int kSlotBytes = 16384;
  static constexpr DWORD kStopTimeout = 1000;  // ms
  static constexpr DWORD kQuitTimeout = 8000;  // ms

  CAudioController() = default;
  CAudioController(const CAudioController&) = delete;
  CAudioController& operator=(const CAudioController&) = delete;
  // Runs Shutdown.
  virtual ~CAudioController();

  // Registers the codecs, starts the thread and opens the device (44100 Hz, stereo, 16 bits)
  // with its ring. False when any step fails; Shutdown undoes what was done.
  bool Start();
  // Stops playback, closes the device, ends the thread (waiting at most 8 s) and removes the
  // codecs. Safe to repeat.
  void Shutdown();
  // Stops the current sound, then plays the file: AUDIO_KIND_WAVE (RIFF WAVE) or
  // AUDIO_KIND_OGG (Ogg Vorbis). False when the file cannot be opened or parsed, the chain
  // cannot be built, or the thread still holds a sound whose stop it has not acknowledged.
  virtual bool Play(const char* pszPath, int nKind);
  // Stops the current sound, waiting at most 1 s for the thread. A sound whose stop is not
  // acknowledged in time is kept, with its event, until the thread has let go of it.
  virtual void Stop();
  // True while the thread plays or drains the current sound: from the moment it takes a
  // Play's sound until that has played out or is stopped.
  virtual bool IsPlaying() const;
  // Waits until the thread has played out everything handed to it; true when it has within
  // dwTimeout ms (also when there is no thread or device).
  bool WaitUntilPlayedOut(DWORD dwTimeout);

  CAudioThread* m_pThread = nullptr;
  HWAVEOUT m_hWaveOut = nullptr;
  CWaveBufferRing m_ring;
  CSoundSource* m_pSource = nullptr;  // owned

 private:
  // A source whose stop was not acknowledged in time, and the event the thread may still
  // signal for it.
  struct Abandoned {
    CSoundSource* pSource;
    CEvent* pEvent;
  };
  // Deletes the abandoned sources the thread has let go of; true when none is left.
  bool ReleaseAbandoned();
  void DeleteAbandoned();
  bool Post(UINT message, LPARAM lParam);

  std::vector<Abandoned> m_abandoned;
  std::vector<CEvent*> m_lateEvents;  // played-out events whose wait ran out
};

// Start-up and shutdown of the application's audio. StartAudio sets g_pAudio to the
// controller only when its Start succeeded.
bool StartAudio(CAudioController& controller);
// Clears g_pAudio, shuts the controller down, then deletes the playback file (any result).
void ShutdownAudio(CAudioController& controller, const char* pszPlaybackFile);
