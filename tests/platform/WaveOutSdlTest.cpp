// Wave output through SDL's disk driver: the completion messages and the captured bytes.
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Event.h"
#include "platform/WaveOut.h"
#include "platform/WinThread.h"
#include "tests/support/TempDir.h"

namespace {

constexpr DWORD kGenerous = 20000;  // ms; only reached when something is broken
const WAVEFORMATEX kCdFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
constexpr MMRESULT kOk = MMSYSERR_NOERROR, kStillPlaying = WAVERR_STILLPLAYING, kBadFormat = WAVERR_BADFORMAT;
constexpr DWORD kPreparedDone = WHDR_PREPARED | WHDR_DONE;

MMRESULT Write(HWAVEOUT device, WAVEHDR& h) { return waveOutWrite(device, &h, sizeof(WAVEHDR)); }
MMRESULT Unprepare(HWAVEOUT device, WAVEHDR& h) { return waveOutUnprepareHeader(device, &h, sizeof(WAVEHDR)); }

// The callback thread: records every MM_WOM_* message.
class Listener : public CWinThread {
 public:
  Listener() { m_bAutoDelete = FALSE; }
  BOOL InitInstance() override { return TRUE; }
  BOOL DispatchThreadMessageEx(MSG* pMsg) override {
    if (pMsg->message == WM_APP) {
      PostQuitMessage(0);
      return TRUE;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(*pMsg);
    arrived_.SetEvent();
    return TRUE;
  }
  // The messages so far once `count` have arrived (fewer after the time-out).
  std::vector<MSG> WaitFor(size_t count) {
    for (;;) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (messages_.size() >= count) return messages_;
      }
      if (!arrived_.Lock(kGenerous)) {
        std::lock_guard<std::mutex> lock(mutex_);
        return messages_;
      }
    }
  }
  void Stop() {
    PostThreadMessage(WM_APP, 0, 0);
    WaitForSingleObject(m_hThread, kGenerous);
  }

 private:
  std::mutex mutex_;
  std::vector<MSG> messages_;
  CEvent arrived_;
};

// Non-silent 16-bit stereo frames that differ from buffer to buffer.
std::vector<char> Pcm(size_t bytes, uint32_t seed) {
  std::vector<char> pcm(bytes);
  for (size_t i = 0; i < bytes; ++i) {
    seed = seed * 1664525u + 1013904223u;
    pcm[i] = static_cast<char>((seed >> 24) | 1);
  }
  return pcm;
}

class WaveOutSdl : public ::testing::Test {
 protected:
  void SetUp() override {
    capture_ = dir_.file("capture.raw");
    setenv("SDL_DISKAUDIOFILE", capture_.c_str(), 1);
    WaveOutSetDriverName("disk");
    ASSERT_TRUE(listener_.CreateThread());
  }
  void TearDown() override {
    listener_.Stop();
    unsetenv("SDL_DISKAUDIODELAY");
    unsetenv("SDL_DISKAUDIOFILE");
    WaveOutSetDriverName(nullptr);
  }

  HWAVEOUT Open(const char* delayMs) {
    setenv("SDL_DISKAUDIODELAY", delayMs, 1);
    HWAVEOUT device = nullptr;
    EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kCdFormat, listener_.m_nThreadID, 0,
                          CALLBACK_THREAD | WAVE_FORMAT_DIRECT), kOk);
    return device;
  }

  void Prepare(HWAVEOUT device, std::vector<std::vector<char>>& data, std::vector<WAVEHDR>& headers) {
    headers.assign(data.size(), WAVEHDR{});
    for (size_t i = 0; i < data.size(); ++i) {
      headers[i].lpData = data[i].data();
      headers[i].dwBufferLength = static_cast<DWORD>(data[i].size());
      ASSERT_EQ(waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)), kOk);
    }
  }

  // Checks that the messages are open, one done per header in writing order, then close.
  void ExpectMessages(HWAVEOUT device, const std::vector<MSG>& messages, std::vector<WAVEHDR>& headers) {
    ASSERT_EQ(messages.size(), headers.size() + 2);
    EXPECT_EQ(messages.front().message, UINT(MM_WOM_OPEN));
    for (size_t i = 0; i < headers.size(); ++i) {
      EXPECT_EQ(messages[i + 1].message, UINT(MM_WOM_DONE));
      EXPECT_EQ(messages[i + 1].wParam, reinterpret_cast<WPARAM>(device));
      EXPECT_EQ(messages[i + 1].lParam, reinterpret_cast<LPARAM>(&headers[i])) << "buffer " << i;
    }
    EXPECT_EQ(messages.back().message, UINT(MM_WOM_CLOSE));
  }

  // The captured bytes between the silence before and after the sound.
  std::vector<char> Captured() {
    std::ifstream in(capture_, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    size_t begin = 0, end = bytes.size();
    while (begin < end && bytes[begin] == 0) ++begin;
    while (end > begin && bytes[end - 1] == 0) --end;
    EXPECT_EQ(begin % kCdFormat.nBlockAlign, 0u) << "the sound starts on a frame";
    return std::vector<char>(bytes.begin() + begin, bytes.begin() + end);
  }

  TempDir dir_;
  std::string capture_;
  Listener listener_;
};

TEST_F(WaveOutSdl, PlaysBuffersInWrittenOrderAndCapturesTheirBytesExactly) {
  HWAVEOUT device = Open("2");  // about ten times real time
  ASSERT_NE(device, nullptr);
  // Sizes that straddle the device's 4096-byte periods, and an empty buffer.
  std::vector<std::vector<char>> data;
  uint32_t seed = 1;
  for (size_t size : {16384, 4, 10000, 0, 16384, 7776, 16384, 16384}) data.push_back(Pcm(size, seed++));
  std::vector<WAVEHDR> headers;
  Prepare(device, data, headers);
  for (WAVEHDR& h : headers) EXPECT_EQ(h.dwFlags, DWORD(WHDR_PREPARED));

  WAVEHDR unprepared{data[0].data(), 4, 0, 0, 0, 0, nullptr, 0};
  EXPECT_EQ(Write(device, unprepared), MMRESULT(WAVERR_UNPREPARED));
  for (WAVEHDR& h : headers) ASSERT_EQ(Write(device, h), kOk);
  EXPECT_EQ(Write(device, headers.back()), kStillPlaying);
  EXPECT_EQ(Unprepare(device, headers.back()), kStillPlaying);
  EXPECT_EQ(waveOutClose(device), kStillPlaying);

  ASSERT_EQ(listener_.WaitFor(1 + headers.size()).size(), 1 + headers.size());
  for (WAVEHDR& h : headers) {
    EXPECT_EQ(h.dwFlags, kPreparedDone);
    EXPECT_EQ(Unprepare(device, h), kOk);
    EXPECT_EQ(h.dwFlags, DWORD(WHDR_DONE));
  }
  ASSERT_EQ(waveOutClose(device), kOk);
  ExpectMessages(device, listener_.WaitFor(2 + headers.size()), headers);
  EXPECT_EQ(Write(device, headers[0]), MMRESULT(MMSYSERR_INVALHANDLE));

  std::vector<char> expected;
  for (auto& d : data) expected.insert(expected.end(), d.begin(), d.end());
  std::vector<char> captured = Captured();
  ASSERT_EQ(captured.size(), expected.size());
  EXPECT_TRUE(captured == expected);
}

TEST_F(WaveOutSdl, ResetReturnsEveryQueuedBufferAtOnce) {
  HWAVEOUT device = Open("100");  // far slower than real time: the buffers stay queued
  ASSERT_NE(device, nullptr);
  std::vector<std::vector<char>> data;
  for (uint32_t i = 0; i < 8; ++i) data.push_back(Pcm(16384, i + 10));
  std::vector<WAVEHDR> headers;
  Prepare(device, data, headers);
  for (WAVEHDR& h : headers) ASSERT_EQ(Write(device, h), kOk);

  ASSERT_EQ(waveOutReset(device), kOk);
  for (WAVEHDR& h : headers) {
    EXPECT_EQ(h.dwFlags, kPreparedDone);
    EXPECT_EQ(Unprepare(device, h), kOk);
  }
  ASSERT_EQ(waveOutClose(device), kOk);
  ExpectMessages(device, listener_.WaitFor(2 + headers.size()), headers);

  // At most the start of the first buffer was played.
  std::vector<char> captured = Captured();
  EXPECT_LT(captured.size(), data[0].size());
  EXPECT_TRUE(std::equal(captured.begin(), captured.end(), data[0].begin()));
}

TEST_F(WaveOutSdl, OpenFailsWithoutADeviceOrForAFormatItCannotPlay) {
  HWAVEOUT device = nullptr;
  WaveOutSetDriverName("no-such-driver");
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &kCdFormat, listener_.m_nThreadID, 0, CALLBACK_THREAD),
            MMRESULT(MMSYSERR_NODRIVER));
  EXPECT_EQ(device, nullptr);

  WaveOutSetDriverName("disk");
  WAVEFORMATEX adpcm = {WAVE_FORMAT_XBOX_ADPCM, 2, 44100, 88200, 72, 4, 0};
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &adpcm, 0, 0, CALLBACK_THREAD | WAVE_FORMAT_DIRECT), kBadFormat);
  WAVEFORMATEX badAlign = kCdFormat;
  badAlign.nBlockAlign = 2;
  EXPECT_EQ(waveOutOpen(&device, WAVE_MAPPER, &badAlign, 0, 0, CALLBACK_NULL), kBadFormat);
  EXPECT_EQ(waveOutOpen(&device, 1000, &kCdFormat, 0, 0, CALLBACK_NULL), MMRESULT(MMSYSERR_BADDEVICEID));
  EXPECT_EQ(device, nullptr);
  EXPECT_TRUE(listener_.WaitFor(0).empty());
}

}  // namespace
