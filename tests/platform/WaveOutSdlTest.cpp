// Wave output through SDL's disk driver: the completion messages and the captured bytes.
#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Thread.h"
#include "platform/ThreadMessage.h"
#include "platform/WaveOut.h"
#include "tests/support/Shell.h"

namespace {

const WAVEFORMATEX kCdFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
constexpr MMRESULT kOk = MMSYSERR_NOERROR, kStillPlaying = WAVERR_STILLPLAYING, kBadFormat = WAVERR_BADFORMAT;

// Non-silent 16-bit stereo frames that differ from buffer to buffer.
std::vector<char> Pcm(size_t bytes, uint32_t seed) {
  std::vector<char> pcm(bytes);
  for (char& c : pcm) c = static_cast<char>(((seed = seed * 1664525u + 1013904223u) >> 24) | 1);
  return pcm;
}

// The device posts its messages to the test's own thread.
class WaveOutSdl : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
    WaveOutSetDriverName("disk");
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // gives this thread its queue
  }
  void TearDown() override { WaveOutSetDriverName(nullptr); }

  // Opens the device and prepares a header for each buffer.
  HWAVEOUT Open(const char* delayMs) {
    setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    HWAVEOUT device = nullptr;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kCdFormat, GetCurrentThreadId(), 0,
                          CALLBACK_THREAD | WAVE_FORMAT_DIRECT), kOk);
    headers_.assign(data_.size(), WAVEHDR{});
    for (size_t i = 0; device && i < data_.size(); ++i) {
      headers_[i].lpData = data_[i].data();
      headers_[i].dwBufferLength = static_cast<DWORD>(data_[i].size());
      EXPECT_EQ(waveOutPrepareHeader(device, &headers_[i], sizeof(WAVEHDR)), kOk);
      EXPECT_EQ(headers_[i].dwFlags, DWORD(WHDR_PREPARED));
    }
    return device;
  }

  // The messages so far once `count` have arrived (fewer after the time-out).
  const std::vector<MSG>& WaitFor(size_t count) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (MSG msg; messages_.size() < count && std::chrono::steady_clock::now() < end;) {
      if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        messages_.push_back(msg);
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return messages_;
  }

  // Closes the device, then checks the messages: open, one done per header in writing order, close.
  void CloseAndExpectMessages(HWAVEOUT device) {
    for (WAVEHDR& h : headers_) {
      EXPECT_EQ(h.dwFlags, DWORD(WHDR_PREPARED | WHDR_DONE));
      EXPECT_EQ(waveOutUnprepareHeader(device, &h, sizeof(WAVEHDR)), kOk);
      EXPECT_EQ(h.dwFlags, DWORD(WHDR_DONE));
    }
    ASSERT_EQ(waveOutClose(device), kOk);
    const std::vector<MSG>& messages = WaitFor(headers_.size() + 2);
    ASSERT_EQ(messages.size(), headers_.size() + 2);
    EXPECT_EQ(messages.front().message, UINT(MM_WOM_OPEN));
    for (size_t i = 0; i < headers_.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(messages[i + 1].message, UINT(MM_WOM_DONE));
      EXPECT_EQ(messages[i + 1].wParam, reinterpret_cast<WPARAM>(device));
      EXPECT_EQ(messages[i + 1].lParam, reinterpret_cast<LPARAM>(&headers_[i]));
    }
    EXPECT_EQ(messages.back().message, UINT(MM_WOM_CLOSE));
  }

  // The captured bytes between the silence before and after the sound.
  std::vector<char> Captured() {
    const std::string bytes = Slurp(capture_);
    size_t begin = 0, end = bytes.size();
    while (begin < end && bytes[begin] == 0) ++begin;
    while (end > begin && bytes[end - 1] == 0) --end;
    EXPECT_EQ(begin % kCdFormat.nBlockAlign, 0u) << "the sound starts on a frame";
    return std::vector<char>(bytes.begin() + begin, bytes.begin() + end);
  }

  TempDir dir_;
  std::string capture_ = dir_.file("capture.raw");
  std::vector<std::vector<char>> data_;
  std::vector<WAVEHDR> headers_;
  std::vector<MSG> messages_;
};

TEST_F(WaveOutSdl, PlaysBuffersInWrittenOrderAndCapturesTheirBytesExactly) {
  // Sizes that straddle the device's 4096-byte periods, and an empty buffer.
  uint32_t seed = 1;
  for (size_t size : {16384, 4, 10000, 0, 16384, 7776, 16384, 16384}) data_.push_back(Pcm(size, seed++));
  HWAVEOUT device = Open("2");  // about ten times real time
  ASSERT_NE(device, nullptr);

  WAVEHDR unprepared{data_[0].data(), 4, 0, 0, 0, 0, nullptr, 0};
  EXPECT_EQ(waveOutWrite(device, &unprepared, sizeof(WAVEHDR)), MMRESULT(WAVERR_UNPREPARED));
  for (WAVEHDR& h : headers_) ASSERT_EQ(waveOutWrite(device, &h, sizeof(WAVEHDR)), kOk);
  EXPECT_EQ(waveOutWrite(device, &headers_.back(), sizeof(WAVEHDR)), kStillPlaying);
  EXPECT_EQ(waveOutUnprepareHeader(device, &headers_.back(), sizeof(WAVEHDR)), kStillPlaying);
  EXPECT_EQ(waveOutClose(device), kStillPlaying);
  ASSERT_EQ(WaitFor(1 + headers_.size()).size(), 1 + headers_.size());
  CloseAndExpectMessages(device);
  EXPECT_EQ(waveOutWrite(device, &headers_[0], sizeof(WAVEHDR)), MMRESULT(MMSYSERR_INVALHANDLE));

  std::vector<char> expected;
  for (auto& d : data_) expected.insert(expected.end(), d.begin(), d.end());
  const std::vector<char> captured = Captured();
  EXPECT_TRUE(captured == expected) << captured.size() << " bytes captured, " << expected.size() << " written";
}

TEST_F(WaveOutSdl, ResetReturnsEveryQueuedBufferAtOnce) {
  for (uint32_t i = 0; i < 8; ++i) data_.push_back(Pcm(16384, i + 10));
  HWAVEOUT device = Open("100");  // far slower than real time: the buffers stay queued
  ASSERT_NE(device, nullptr);
  for (WAVEHDR& h : headers_) ASSERT_EQ(waveOutWrite(device, &h, sizeof(WAVEHDR)), kOk);
  ASSERT_EQ(waveOutReset(device), kOk);
  CloseAndExpectMessages(device);

  // At most the start of the first buffer was played.
  const std::vector<char> captured = Captured();
  EXPECT_LT(captured.size(), data_[0].size());
  EXPECT_TRUE(std::equal(captured.begin(), captured.end(), data_[0].begin()));
}

TEST_F(WaveOutSdl, OpenFailsWithoutADeviceOrForAFormatItCannotPlay) {
  HWAVEOUT device = nullptr;
  WaveOutSetDriverName("no-such-driver");
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kCdFormat, GetCurrentThreadId(), 0, CALLBACK_THREAD),
            MMRESULT(MMSYSERR_NODRIVER));
  WaveOutSetDriverName("disk");
  WAVEFORMATEX adpcm = {WAVE_FORMAT_XBOX_ADPCM, 2, 44100, 88200, 72, 4, 0};
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &adpcm, 0, 0, CALLBACK_THREAD | WAVE_FORMAT_DIRECT), kBadFormat);
  // No channels, three channels, a block that is not a frame.
  for (WAVEFORMATEX bad : {WAVEFORMATEX{WAVE_FORMAT_PCM, 0, 44100, 0, 0, 16, 0},
                           WAVEFORMATEX{WAVE_FORMAT_PCM, 3, 44100, 264600, 6, 16, 0},
                           WAVEFORMATEX{WAVE_FORMAT_PCM, 2, 44100, 176400, 2, 16, 0}})
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &bad, 0, 0, CALLBACK_NULL), kBadFormat) << bad.nChannels;
  EXPECT_EQ(waveOutOpen(&device, 1000, &kCdFormat, 0, 0, CALLBACK_NULL), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(device, nullptr);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "a failed open posts nothing";
}

}  // namespace
