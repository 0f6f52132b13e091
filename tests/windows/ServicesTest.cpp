// The Windows services themselves: the Xbox ADPCM driver added to msacm32 beside the PCM
// converter Windows ships, a whole sound played through winmm with every buffer coming back to
// the thread, and a metafile set below a folder whose name is not in any ANSI code page.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <vector>

#include "catalogue/MetafileLocator.h"
#include "catalogue/SoundCatalogue.h"
#include "codec/AcmDriverRegistration.h"
#include "platform/PathUtil.h"
#include "platform/WaveOut.h"
#include "tests/support/TempDir.h"
#include "tools/MetafileSetWriter.h"
#include "tools/SetGenerator.h"

namespace {

TEST(WindowsAcm, TheDriverJoinsMsacm32AndLeavesAtShutdown) {
  ASSERT_TRUE(RegisterAcmDrivers());
  ASSERT_NE(g_idXboxAdpcmDriver, nullptr);
  // The converter is one of the system's own drivers, not ours.
  ASSERT_NE(g_idPcmConverterDriver, nullptr);
  ACMDRIVERDETAILSA details{};
  details.cbStruct = sizeof details;
  ASSERT_EQ(acmDriverDetailsA(g_idPcmConverterDriver, &details, 0), MMSYSERR_NOERROR);
  EXPECT_EQ(strstr(details.szCopyright, "Quarn Vantor"), nullptr) << details.szCopyright;
  details.cbStruct = sizeof details;
  ASSERT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, &details, 0), MMSYSERR_NOERROR);
  EXPECT_STREQ(details.szShortName, "Xbox ADPCM");
  EXPECT_TRUE(details.fdwSupport & ACMDRIVERDETAILS_SUPPORTF_CODEC);

  // msacm32 finds our driver for a suggestion from Xbox ADPCM.
  struct {
    WAVEFORMATEX wfx;
    WORD samplesPerBlock;
  } adpcm{{WAVE_FORMAT_XBOX_ADPCM, 2, 44100, 44100 * 72 / 64, 72, 4, 2}, 64};
  WAVEFORMATEX pcm{};
  pcm.wFormatTag = WAVE_FORMAT_PCM;
  ASSERT_EQ(acmFormatSuggest(nullptr, &adpcm.wfx, &pcm, sizeof pcm, ACM_FORMATSUGGESTF_WFORMATTAG), MMSYSERR_NOERROR);
  EXPECT_EQ(pcm.nChannels, 2);
  EXPECT_EQ(pcm.nSamplesPerSec, 44100u);
  EXPECT_EQ(pcm.wBitsPerSample, 16);
  EXPECT_EQ(pcm.nBlockAlign, 4);

  const HACMDRIVERID id = g_idXboxAdpcmDriver;
  RemoveAcmDrivers();
  details.cbStruct = sizeof details;
  EXPECT_NE(acmDriverDetailsA(id, &details, 0), MMSYSERR_NOERROR);
}

// Wine without a sound card offers winmm devices through its ALSA driver; scripts/wine-run.sh
// gives ALSA a null default device, which takes the sound at once. Where there is no device at
// all the test says so and skips.
TEST(WindowsWaveOut, EveryBufferOfAWholeSoundComesBackToTheThread) {
  MSG msg;
  PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // this thread's queue
  WAVEFORMATEX wfx{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
  HWAVEOUT device = nullptr;
  const MMRESULT opened = waveOutOpen(&device, WAVE_MAPPER, &wfx, GetCurrentThreadId(), 0, CALLBACK_THREAD);
  if (opened == MMSYSERR_BADDEVICEID || opened == MMSYSERR_NODRIVER) GTEST_SKIP() << "no wave output device";
  ASSERT_EQ(opened, MMSYSERR_NOERROR);

  constexpr int kBuffers = 8;
  std::vector<std::vector<short>> pcm(kBuffers, std::vector<short>(2205));
  std::vector<WAVEHDR> headers(kBuffers);
  for (int i = 0; i < kBuffers; ++i) {
    for (size_t s = 0; s < pcm[i].size(); ++s) pcm[i][s] = static_cast<short>((s * 300 + i) % 20000);
    headers[i].lpData = reinterpret_cast<LPSTR>(pcm[i].data());
    headers[i].dwBufferLength = static_cast<DWORD>(pcm[i].size() * sizeof(short));
    ASSERT_EQ(waveOutPrepareHeader(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(waveOutWrite(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  std::vector<LPWAVEHDR> done;
  bool opens = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (done.size() < kBuffers && std::chrono::steady_clock::now() < deadline) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_POSTMESSAGE);
      continue;
    }
    if (msg.message == MM_WOM_OPEN) opens = true;
    if (msg.message != MM_WOM_DONE) continue;
    EXPECT_EQ(reinterpret_cast<HWAVEOUT>(msg.wParam), device);
    done.push_back(reinterpret_cast<LPWAVEHDR>(msg.lParam));
  }
  EXPECT_TRUE(opens);
  ASSERT_EQ(done.size(), static_cast<size_t>(kBuffers));
  for (int i = 0; i < kBuffers; ++i) {
    EXPECT_EQ(done[i], &headers[i]) << "in the order written";
    EXPECT_TRUE(headers[i].dwFlags & WHDR_DONE);
    EXPECT_EQ(waveOutUnprepareHeader(device, &headers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  EXPECT_EQ(waveOutClose(device), MMSYSERR_NOERROR);
}

TEST(WindowsPaths, ASetBelowANonAnsiFolderNameLoads) {
  TempDir temp;
  const std::string dir = temp.path() + "\\Zo\xc3\xab \xe6\x97\xa5\xe6\x9c\xac";  // "Zoë 日本", UTF-8
  ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr)) << GetLastError();
  MetafileSetWriter writer;
  MakeBenchSet(writer, 20);
  ASSERT_TRUE(writer.Write(dir));
  std::string found;
  ASSERT_TRUE(ProbeMetafileSet(dir.c_str(), found));
  EXPECT_EQ(found, dir + "\\");
  CSoundCatalogue catalogue, plain;
  ASSERT_TRUE(catalogue.Load(found.c_str(), nullptr, nullptr));
  ASSERT_TRUE(writer.Write(temp.path()));
  ASSERT_TRUE(plain.Load(temp.dir().c_str(), nullptr, nullptr));
  EXPECT_GT(catalogue.m_soundInfos.GetLoadedCount(), 0);
  EXPECT_EQ(catalogue.m_soundInfos.GetLoadedCount(), plain.m_soundInfos.GetLoadedCount());
  // Forward slashes and a different case name the same folder.
  std::string upper = dir;
  for (char& c : upper) c = (c >= 'a' && c <= 'z') ? c - 32 : (c == '\\' ? '/' : c);
  EXPECT_TRUE(ProbeMetafileSet(upper.c_str(), found));
}

// MinGW's std::filesystem::absolute turns "\\nas\games" into "C:\nas\games": a set on a network
// share opened by its name (Open with, the command line) must keep the name.
TEST(WindowsPaths, NetworkNamesStayAsGivenAndRelativeOnesJoinTheCurrentFolder) {
  EXPECT_EQ(AbsolutePath("\\\\nas\\games\\Quarnhold"), "\\\\nas\\games\\Quarnhold");
  EXPECT_EQ(AbsolutePath("//nas/games"), "//nas/games");
  char current[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
  EXPECT_EQ(AbsolutePath("Quarnhold"), std::string(current) + "\\Quarnhold");
}

}  // namespace
