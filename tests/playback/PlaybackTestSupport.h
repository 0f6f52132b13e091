// A wave output device whose buffers finish when the test says so, and an audio thread that
// can be waited on until it has handled everything posted to it.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "audio/AudioThread.h"
#include "platform/WaveOut.h"

constexpr DWORD kGenerous = 20000;  // ms; only reached when something is broken

class TestDevice {
 public:
  TestDevice() : previous_(SetWaveOutDeviceBackend(&kDevice)) {
    s_pDevice = this;
    SetWaveOutBackend(&kHeaders);
  }
  ~TestDevice() {
    SetWaveOutDeviceBackend(previous_);
    SetWaveOutBackend(nullptr);
  }
  HWAVEOUT Handle() { return reinterpret_cast<HWAVEOUT>(this); }

  // Returns the first `count` queued buffers as played.
  void Finish(size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (; count && !queue_.empty(); --count) Return();
  }
  bool WaitWritten(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return written_.wait_for(lock, std::chrono::milliseconds(kGenerous), [&] { return writes.size() >= count; });
  }
  size_t Queued() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
  }
  // The bytes of the writes from the `first` one on.
  std::vector<BYTE> Played(size_t first = 0) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<BYTE> all;
    for (size_t i = first; i < writes.size(); ++i) all.insert(all.end(), writes[i].begin(), writes[i].end());
    return all;
  }

  DWORD threadId = 0;
  int resets = 0, closes = 0;
  std::vector<std::vector<BYTE>> writes;

 private:
  void Return() {
    LPWAVEHDR h = queue_.front();
    queue_.pop_front();
    h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
    PostThreadMessageA(threadId, MM_WOM_DONE, reinterpret_cast<WPARAM>(Handle()), reinterpret_cast<LPARAM>(h));
  }
  static MMRESULT Open(LPHWAVEOUT phwo, UINT, LPCWAVEFORMATEX pwfx, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    std::lock_guard<std::mutex> lock(s_pDevice->mutex_);
    EXPECT_EQ(flags, DWORD(CALLBACK_THREAD | WAVE_FORMAT_DIRECT));
    EXPECT_TRUE(pwfx->nSamplesPerSec == 44100 && pwfx->nChannels == 2 && pwfx->wBitsPerSample == 16);
    s_pDevice->threadId = static_cast<DWORD>(callback);
    *phwo = s_pDevice->Handle();
    return MMSYSERR_NOERROR;
  }
  static MMRESULT Reset(HWAVEOUT) {
    std::lock_guard<std::mutex> lock(s_pDevice->mutex_);
    ++s_pDevice->resets;
    while (!s_pDevice->queue_.empty()) s_pDevice->Return();
    return MMSYSERR_NOERROR;
  }
  static MMRESULT Close(HWAVEOUT) {
    std::lock_guard<std::mutex> lock(s_pDevice->mutex_);
    if (!s_pDevice->queue_.empty()) return WAVERR_STILLPLAYING;
    ++s_pDevice->closes;
    return MMSYSERR_NOERROR;
  }
  static MMRESULT Header(HWAVEOUT, LPWAVEHDR, UINT) { return MMSYSERR_NOERROR; }
  static MMRESULT Write(HWAVEOUT, LPWAVEHDR h, UINT cb) {
    std::lock_guard<std::mutex> lock(s_pDevice->mutex_);
    if (cb != sizeof(WAVEHDR) || (h->dwFlags & WHDR_INQUEUE)) return WAVERR_STILLPLAYING;
    h->dwFlags = (h->dwFlags & ~WHDR_DONE) | WHDR_INQUEUE;
    s_pDevice->queue_.push_back(h);
    s_pDevice->writes.emplace_back(h->lpData, h->lpData + h->dwBufferLength);
    s_pDevice->written_.notify_all();
    return MMSYSERR_NOERROR;
  }

  static inline TestDevice* s_pDevice = nullptr;
  static constexpr WaveOutDeviceBackend kDevice = {Open, Reset, Close};
  static constexpr WaveOutBackend kHeaders = {Header, Header, Write};
  const WaveOutDeviceBackend* previous_;
  std::mutex mutex_;
  std::condition_variable written_;
  std::deque<LPWAVEHDR> queue_;
};

// Settle() returns once the thread has handled what was posted, including what it posted to
// itself (bounded: a play retried during a reset keeps the queue busy).
class ProbedAudioThread : public CAudioThread {
 public:
  static constexpr UINT kSettle = WM_APP + 1;
  BOOL DispatchThreadMessageEx(MSG* pMsg) override {
    if (pMsg->message != kSettle) return CAudioThread::DispatchThreadMessageEx(pMsg);
    MSG next;
    if (pMsg->wParam < 20 && PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE) && next.message != WM_QUIT)
      PostThreadMessage(kSettle, pMsg->wParam + 1, pMsg->lParam);
    else
      ::SetEvent(reinterpret_cast<CEvent*>(pMsg->lParam)->m_hObject);
    return TRUE;
  }
  void Settle() {
    CEvent settled;
    PostThreadMessage(kSettle, 0, reinterpret_cast<LPARAM>(&settled));
    ASSERT_TRUE(settled.Lock(kGenerous));
  }
};
