// The audio thread's states driven message by message, and the controller's start, stop and
// shutdown, through a device whose buffers finish when the test says so.
#include <memory>

#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "tests/audio/AudioTestSupport.h"
#include "tests/playback/PlaybackTestSupport.h"
#include "tests/support/TempDir.h"

namespace {

constexpr int kSlot = 16384;

Bytes Data(size_t size, uint8_t seed) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i) b[i] = uint8_t(i * 7 + i / kSlot + seed) | 1;
  return b;
}
bool Signalled(CEvent& e) { return WaitForSingleObject(e.m_hObject, 0) == WAIT_OBJECT_0; }

class AudioThreadStates : public ::testing::Test {
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
  // A 44100 Hz stereo PCM sound (copied into the ring unchanged) attached to the ring.
  CSoundSource* Sound(const Bytes& data) {
    const std::string name = std::to_string(sources_.size()) + ".wav";
    dir_.Write(name, PcmWave(Pcm(2, 44100), data));
    const std::string path = dir_.file(name);
    sources_.push_back(std::make_unique<CWaveFileSource>());
    EXPECT_TRUE(sources_.back()->OpenFile(path.c_str()));
    EXPECT_EQ(sources_.back()->Attach(&ring_), 0);
    return sources_.back().get();
  }
  void Post(UINT message, void* lParam) {
    thread_.PostThreadMessage(message, reinterpret_cast<WPARAM>(device_.Handle()), reinterpret_cast<LPARAM>(lParam));
  }
  // Lets the thread handle everything, then checks its state, queue and the writes so far.
  void Expect(int state, int queued, size_t writes) {
    thread_.Settle();
    EXPECT_EQ(thread_.m_nState, state);
    EXPECT_EQ(thread_.m_nQueued, queued);
    EXPECT_EQ(device_.writes.size(), writes);
    EXPECT_EQ(device_.Queued(), size_t(queued));
  }
  void Finish(size_t count) { device_.Finish(count); }

  TestDevice device_;
  TempDir dir_;
  CWaveBufferRing ring_;
  std::vector<std::unique_ptr<CSoundSource>> sources_;
  ProbedAudioThread thread_;
};

TEST_F(AudioThreadStates, APlayFillsTheRingRefillsEachReturnedBufferAndDrainsToIdle) {
  const Bytes data = Data(10 * kSlot + 1000, 1);
  CEvent playedOut;
  Post(WM_AUDIO_PLAY, nullptr);  // ignored
  Post(WM_AUDIO_PLAY, Sound(data));
  Post(WM_AUDIO_NOTIFY_PLAYED_OUT, &playedOut);
  Expect(AUDIO_PLAYING, 8, 8);
  Finish(1);
  Expect(AUDIO_PLAYING, 8, 9);
  Finish(2);
  Expect(AUDIO_PLAYING, 8, 11);  // the last one holds the 1000 bytes left
  Finish(1);
  Expect(AUDIO_DRAINING, 7, 11);  // the fill came back empty
  Finish(6);
  Expect(AUDIO_DRAINING, 1, 11);
  EXPECT_FALSE(Signalled(playedOut));
  Finish(1);
  Expect(AUDIO_IDLE, 0, 11);
  EXPECT_TRUE(Signalled(playedOut));
  EXPECT_TRUE(device_.Played() == data);

  // A stray completion in the idle state changes nothing; a short sound drains at once.
  Post(MM_WOM_DONE, nullptr);
  Expect(AUDIO_IDLE, 0, 11);
  Post(WM_AUDIO_PLAY, Sound(Data(3 * kSlot - 4, 2)));
  Expect(AUDIO_DRAINING, 3, 14);
  Finish(3);
  Expect(AUDIO_IDLE, 0, 14);
}

TEST_F(AudioThreadStates, AStopResetsAtTheNextReturnedBufferAndASecondStopResetsAtOnce) {
  CEvent first, second, idle;
  Post(WM_AUDIO_STOP, &idle);  // nothing recorded yet: acknowledged at once
  Post(WM_AUDIO_PLAY, Sound(Data(20 * kSlot, 3)));
  Post(WM_AUDIO_STOP, &first);
  Expect(AUDIO_STOP_PENDING, 8, 8);
  EXPECT_TRUE(Signalled(idle));
  EXPECT_FALSE(Signalled(first));
  Finish(1);
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
  Finish(1);
  Expect(AUDIO_IDLE, 0, 18);
  EXPECT_EQ(device_.resets, 3);
  EXPECT_TRUE(Signalled(first));
}

TEST_F(AudioThreadStates, APlayDuringPlayStopsTheOldSoundAndStartsTheNewOneFromItsBeginning) {
  Post(WM_AUDIO_PLAY, Sound(Data(20 * kSlot, 6)));
  Expect(AUDIO_PLAYING, 8, 8);
  const Bytes next = Data(9 * kSlot, 7);
  Post(WM_AUDIO_PLAY, Sound(next));
  Expect(AUDIO_STOP_PENDING, 8, 8);  // the play is retried until the stop has completed
  Finish(1);
  Expect(AUDIO_PLAYING, 8, 16);
  EXPECT_EQ(thread_.m_pSource, sources_.back().get());
  EXPECT_TRUE(device_.Played(8) == Bytes(next.begin(), next.begin() + 8 * kSlot));
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

// The controller over the same device.
class AudioControllerTest : public ::testing::Test {
 protected:
  std::string Wave(const char* name, const Bytes& data) {
    dir_.Write(name, PcmWave(Pcm(2, 44100), data));
    return dir_.file(name);
  }
  TestDevice device_;
  TempDir dir_;
};

TEST_F(AudioControllerTest, AStopThatTimesOutKeepsItsSoundUntilTheThreadLetsGo) {
  CAudioController audio;
  ASSERT_TRUE(audio.Start());
  const Bytes next = Data(9 * kSlot, 10);
  ASSERT_TRUE(audio.Play(Wave("a.wav", Data(20 * kSlot, 9)).c_str(), AUDIO_KIND_WAVE));
  ASSERT_TRUE(device_.WaitWritten(8));
  audio.Stop();  // no buffer comes back: the wait runs out
  EXPECT_EQ(audio.m_pSource, nullptr);
  EXPECT_FALSE(audio.Play(Wave("b.wav", next).c_str(), AUDIO_KIND_WAVE));  // the thread still holds a.wav

  device_.Finish(1);  // the thread resets and signals the abandoned stop's event
  ASSERT_TRUE(audio.WaitUntilPlayedOut(kGenerous));
  ASSERT_TRUE(audio.Play(dir_.file("b.wav").c_str(), AUDIO_KIND_WAVE));
  ASSERT_TRUE(device_.WaitWritten(16));
  EXPECT_TRUE(device_.Played(8) == Bytes(next.begin(), next.begin() + 8 * kSlot));
  EXPECT_FALSE(audio.Play(dir_.file("b.wav").c_str(), 2));
  EXPECT_FALSE(audio.Play(dir_.file("missing.wav").c_str(), AUDIO_KIND_WAVE));
  EXPECT_FALSE(audio.Play(dir_.file("b.wav").c_str(), AUDIO_KIND_OGG));
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
