// The audio thread's states driven message by message, and the controller's start, stop and
// shutdown, through a device whose buffers finish when the test says so.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>

#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "tests/audio/AudioTestSupport.h"

namespace {

constexpr DWORD kGenerous = 20000;  // ms; only reached when something is broken
constexpr int kSlot = 16384;

// A wave output device whose queued buffers come back, in order, when Finish says so.
class TestDevice {
 public:
  TestDevice() {
    s_pDevice = this;
    SetWaveOutDeviceBackend(&kDevice);
    SetWaveOutBackend(&kHeaders);
  }
  ~TestDevice() {
    SetWaveOutDeviceBackend(nullptr);
    SetWaveOutBackend(nullptr);
  }
  HWAVEOUT Handle() { return reinterpret_cast<HWAVEOUT>(this); }
  void Finish(size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (; count && !queue_.empty(); --count) {
      LPWAVEHDR h = queue_.front();
      queue_.pop_front();
      h->dwFlags = (h->dwFlags & ~WHDR_INQUEUE) | WHDR_DONE;
      PostThreadMessageA(threadId, MM_WOM_DONE, reinterpret_cast<WPARAM>(Handle()), reinterpret_cast<LPARAM>(h));
    }
  }
  bool WaitWritten(size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return written_.wait_for(lock, std::chrono::milliseconds(kGenerous), [&] { return writes.size() >= count; });
  }
  size_t Queued() {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
  }
  // The bytes of the writes from the `first` one on (read once the writing has stopped).
  Bytes Played(size_t first = 0) {
    Bytes all;
    for (size_t i = first; i < writes.size(); ++i) all.insert(all.end(), writes[i].begin(), writes[i].end());
    return all;
  }

  DWORD threadId = 0;
  int resets = 0, closes = 0;
  std::vector<Bytes> writes;

 private:
  static MMRESULT Open(LPHWAVEOUT phwo, UINT, LPCWAVEFORMATEX pwfx, DWORD_PTR callback, DWORD_PTR, DWORD flags) {
    std::lock_guard<std::mutex> lock(s_pDevice->mutex_);
    EXPECT_EQ(flags, DWORD(CALLBACK_THREAD | WAVE_FORMAT_DIRECT));
    EXPECT_TRUE(pwfx->nSamplesPerSec == 44100 && pwfx->nChannels == 2 && pwfx->wBitsPerSample == 16);
    s_pDevice->threadId = static_cast<DWORD>(callback);
    *phwo = s_pDevice->Handle();
    return MMSYSERR_NOERROR;
  }
  static MMRESULT Reset(HWAVEOUT) {
    ++s_pDevice->resets;
    s_pDevice->Finish(SIZE_MAX);
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

Bytes Data(size_t size, uint8_t seed) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = uint8_t(i * 7 + i / kSlot + seed) | 1;
  return b;
}
bool Signalled(CEvent& e) { return WaitForSingleObject(e.m_hObject, 0) == WAIT_OBJECT_0; }

class AudioControllerTest : public ::testing::Test {
 protected:
  // A 44100 Hz stereo PCM file, played into the ring unchanged.
  std::string Wave(const std::string& name, const Bytes& data) {
    dir_.Write(name, PcmWave(Pcm(2, 44100), data));
    return dir_.file(name);
  }
  TestDevice device_;
  TempDir dir_;
};

class AudioThreadStates : public AudioControllerTest {
 protected:
  void SetUp() override {
    const WAVEFORMATEX cd = Pcm(2, 44100);
    ring_.SetFormat(&cd);
    ring_.Create(8, kSlot);
    ring_.PrepareWaveHeaders(device_.Handle());
    ASSERT_TRUE(thread_.CreateThread());
    device_.threadId = thread_.m_nThreadID;
  }
  void TearDown() override {
    thread_.PostThreadMessage(WM_AUDIO_QUIT, 0, 0);
    ASSERT_EQ(WaitForSingleObject(thread_.m_hThread, kGenerous), DWORD(WAIT_OBJECT_0));
  }
  // A source of the data attached to the ring.
  CSoundSource* Sound(const Bytes& data) {
    sources_.push_back(std::make_unique<CWaveFileSource>());
    EXPECT_TRUE(sources_.back()->OpenFile(Wave(std::to_string(sources_.size()) + ".wav", data).c_str()));
    EXPECT_EQ(sources_.back()->Attach(&ring_), 0);
    return sources_.back().get();
  }
  void Post(UINT message, void* lParam) {
    thread_.PostThreadMessage(message, reinterpret_cast<WPARAM>(device_.Handle()), reinterpret_cast<LPARAM>(lParam));
  }
  // Lets the thread handle everything, then checks its state, queue and the writes so far.
  void Expect(int state, int queued, size_t writes) {
    thread_.Settle();
    EXPECT_EQ(thread_.m_nState.load(), state);
    EXPECT_EQ(thread_.m_nQueued, queued);
    EXPECT_EQ(device_.writes.size(), writes);
    EXPECT_EQ(device_.Queued(), size_t(queued));
  }

  CWaveBufferRing ring_;
  std::vector<std::unique_ptr<CSoundSource>> sources_;
  ProbedAudioThread thread_;
};

TEST_F(AudioThreadStates, APlayFillsTheRingRefillsEachReturnedBufferDrainsToIdleAndAPlayDuringPlayRestarts) {
  const Bytes data = Data(10 * kSlot + 1000, 1);
  CEvent playedOut;
  Post(WM_AUDIO_PLAY, nullptr);  // ignored
  Post(WM_AUDIO_PLAY, Sound(data));
  Post(WM_AUDIO_NOTIFY_PLAYED_OUT, &playedOut);
  Expect(AUDIO_PLAYING, 8, 8);
  device_.Finish(3);
  Expect(AUDIO_PLAYING, 8, 11);  // the last one holds the 1000 bytes left
  device_.Finish(1);
  Expect(AUDIO_DRAINING, 7, 11);  // the fill came back empty
  device_.Finish(6);
  Expect(AUDIO_DRAINING, 1, 11);
  EXPECT_FALSE(Signalled(playedOut));
  device_.Finish(1);
  Expect(AUDIO_IDLE, 0, 11);
  EXPECT_TRUE(Signalled(playedOut));
  EXPECT_TRUE(device_.Played() == data);

  // A stray completion in the idle state changes nothing; a short sound drains at once.
  Post(MM_WOM_DONE, nullptr);
  Expect(AUDIO_IDLE, 0, 11);
  Post(WM_AUDIO_PLAY, Sound(Data(3 * kSlot - 4, 2)));
  Expect(AUDIO_DRAINING, 3, 14);
  device_.Finish(3);
  Expect(AUDIO_IDLE, 0, 14);

  // A play during play stops the old sound and starts the new one from its beginning.
  Post(WM_AUDIO_PLAY, Sound(Data(20 * kSlot, 6)));
  Expect(AUDIO_PLAYING, 8, 22);
  const Bytes next = Data(9 * kSlot, 7);
  Post(WM_AUDIO_PLAY, Sound(next));
  Expect(AUDIO_STOP_PENDING, 8, 22);  // the play is retried until the stop has completed
  device_.Finish(1);
  Expect(AUDIO_PLAYING, 8, 30);
  EXPECT_EQ(thread_.m_pSource, sources_.back().get());
  EXPECT_TRUE(device_.Played(22) == Bytes(next.begin(), next.begin() + 8 * kSlot));
}

TEST_F(AudioThreadStates, AStopResetsAtTheNextReturnedBufferAndASecondStopResetsAtOnce) {
  CEvent first, second, idle;
  Post(WM_AUDIO_STOP, &idle);  // nothing recorded yet: acknowledged at once
  Post(WM_AUDIO_PLAY, Sound(Data(20 * kSlot, 3)));
  Post(WM_AUDIO_STOP, &first);
  Expect(AUDIO_STOP_PENDING, 8, 8);
  EXPECT_TRUE(Signalled(idle));
  EXPECT_FALSE(Signalled(first));
  device_.Finish(1);
  Expect(AUDIO_IDLE, 0, 8);  // nothing refilled
  EXPECT_EQ(device_.resets, 1);
  EXPECT_TRUE(Signalled(first));

  Post(WM_AUDIO_PLAY, Sound(Data(20 * kSlot, 4)));
  Post(WM_AUDIO_STOP, &first);
  Post(WM_AUDIO_STOP, &second);  // replaces the pending event and resets at once
  Expect(AUDIO_IDLE, 0, 16);
  EXPECT_EQ(device_.resets, 2);
  EXPECT_FALSE(Signalled(first));
  EXPECT_TRUE(Signalled(second));

  // A stop while draining waits for the next returned buffer as well.
  Post(WM_AUDIO_PLAY, Sound(Data(2 * kSlot, 5)));
  Post(WM_AUDIO_STOP, &first);
  Expect(AUDIO_STOP_PENDING, 2, 18);
  device_.Finish(1);
  Expect(AUDIO_IDLE, 0, 18);
  EXPECT_EQ(device_.resets, 3);
  EXPECT_TRUE(Signalled(first));
}

TEST_F(AudioThreadStates, ASoundThatProducesNothingDrainsWithNothingQueuedUntilTheNextStopOrPlay) {
  CEvent playedOut, stopped;
  Post(WM_AUDIO_PLAY, Sound({}));
  Post(WM_AUDIO_NOTIFY_PLAYED_OUT, &playedOut);
  Expect(AUDIO_DRAINING, 0, 0);
  EXPECT_TRUE(Signalled(playedOut));
  Post(WM_AUDIO_STOP, &stopped);
  Expect(AUDIO_IDLE, 0, 0);
  EXPECT_TRUE(Signalled(stopped));

  Post(WM_AUDIO_PLAY, Sound({}));
  Expect(AUDIO_DRAINING, 0, 0);
  Post(WM_AUDIO_PLAY, Sound(Data(8 * kSlot, 8)));  // stops the silent sound first
  Expect(AUDIO_PLAYING, 8, 8);
}

TEST_F(AudioControllerTest, PlayRefusesBadKindsAndFilesAndATimedOutStopKeepsItsSoundUntilTheThreadLetsGo) {
  CAudioController audio;
  ASSERT_TRUE(audio.Start());
  const Bytes next = Data(9 * kSlot, 10);
  const std::string b = Wave("b.wav", next);
  EXPECT_FALSE(audio.Play(b.c_str(), 2));
  EXPECT_FALSE(audio.Play(b.c_str(), AUDIO_KIND_OGG));
  EXPECT_FALSE(audio.Play(dir_.file("missing.wav").c_str(), AUDIO_KIND_WAVE));
  EXPECT_EQ(audio.m_pSource, nullptr);

  ASSERT_TRUE(audio.Play(Wave("a.wav", Data(20 * kSlot, 9)).c_str(), AUDIO_KIND_WAVE));
  ASSERT_TRUE(device_.WaitWritten(8));
  audio.Stop();  // no buffer comes back: the wait runs out
  EXPECT_EQ(audio.m_pSource, nullptr);
  EXPECT_FALSE(audio.Play(b.c_str(), AUDIO_KIND_WAVE));  // the thread still holds a.wav
  device_.Finish(1);  // the thread resets and signals the abandoned stop's event
  ASSERT_TRUE(audio.WaitUntilPlayedOut(kGenerous));
  ASSERT_TRUE(audio.Play(b.c_str(), AUDIO_KIND_WAVE));
  ASSERT_TRUE(device_.WaitWritten(16));
  EXPECT_TRUE(device_.Played(8) == Bytes(next.begin(), next.begin() + 8 * kSlot));
}

TEST_F(AudioControllerTest, ShutdownWhilePlayingResetsClosesEndsTheThreadAndRemovesTheCodec) {
  CAudioController audio;
  ASSERT_TRUE(StartAudio(audio));
  EXPECT_EQ(g_pAudio, &audio);
  EXPECT_NE(g_idXboxAdpcmDriver, nullptr);
  const std::string played = Wave("Vantor.tmp", Data(20 * kSlot, 11));
  ASSERT_TRUE(audio.Play(played.c_str(), AUDIO_KIND_WAVE));
  ASSERT_TRUE(device_.WaitWritten(8));
  ShutdownAudio(audio, played.c_str());
  EXPECT_EQ(g_pAudio, nullptr);
  EXPECT_EQ(audio.m_pThread, nullptr);
  EXPECT_EQ(audio.m_hWaveOut, nullptr);
  EXPECT_EQ(device_.closes, 1);
  EXPECT_GE(device_.resets, 1);
  EXPECT_EQ(g_idXboxAdpcmDriver, nullptr);
  EXPECT_EQ(fopen(played.c_str(), "rb"), nullptr);
}

TEST(AudioController, StartWithoutADeviceFailsAndShutdownStillEndsTheThreadAndRemovesTheCodec) {
  WaveOutSetDriverName("no-such-driver");
  CAudioController audio;
  EXPECT_FALSE(StartAudio(audio));
  WaveOutSetDriverName(nullptr);
  EXPECT_EQ(g_pAudio, nullptr);
  ASSERT_NE(audio.m_pThread, nullptr);
  const DWORD thread = audio.m_pThread->m_nThreadID;
  ShutdownAudio(audio, nullptr);
  EXPECT_EQ(audio.m_pThread, nullptr);
  EXPECT_FALSE(PostThreadMessageA(thread, WM_NULL, 0, 0));  // it has ended
  EXPECT_EQ(g_idXboxAdpcmDriver, nullptr);
}

}  // namespace
