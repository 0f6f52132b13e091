// The manager's calls over the codec and the installed converter: registration,
// lookup, removal, streams and their error paths.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "codec/AcmDriverRegistration.h"
#include "codec/XboxAdpcmDriver.h"

namespace {

WAVEFORMATEX Pcm(WORD ch, DWORD rate, WORD bits = 16) {
  const WORD align = WORD(ch * bits / 8);
  return {WAVE_FORMAT_PCM, ch, rate, rate * align, align, bits, 0};
}

struct Codec : ::testing::Test {
  void SetUp() override { ASSERT_TRUE(RegisterAcmDrivers()); }
  void TearDown() override { RemoveAcmDrivers(); }
};

BOOL CALLBACK Collect(HACMDRIVERID id, DWORD_PTR inst, DWORD support) {
  reinterpret_cast<std::vector<std::pair<HACMDRIVERID, DWORD>>*>(inst)->push_back({id, support});
  return TRUE;
}

TEST_F(Codec, RegistrationLookupAndRemoval) {
  ASSERT_NE(g_idXboxAdpcmDriver, nullptr);
  ASSERT_NE(g_idPcmConverterDriver, nullptr);
  std::vector<std::pair<HACMDRIVERID, DWORD>> seen;
  ASSERT_EQ(acmDriverEnum(Collect, reinterpret_cast<DWORD_PTR>(&seen), 0), 0u);
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].first, g_idXboxAdpcmDriver);  // local drivers come first
  EXPECT_EQ(seen[0].second, ACMDRIVERDETAILS_SUPPORTF_CODEC | ACMDRIVERDETAILS_SUPPORTF_LOCAL);
  EXPECT_EQ(seen[1].first, g_idPcmConverterDriver);
  EXPECT_EQ(seen[1].second, ACMDRIVERDETAILS_SUPPORTF_CONVERTER);
  seen.clear();
  ASSERT_EQ(acmDriverEnum(Collect, reinterpret_cast<DWORD_PTR>(&seen), ACM_DRIVERENUMF_NOLOCAL), 0u);
  EXPECT_EQ(seen.size(), 1u);

  ACMDRIVERDETAILSA d{};
  d.cbStruct = sizeof d;
  ASSERT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, &d, 0), 0u);
  EXPECT_EQ(d.cbStruct, sizeof d);
  EXPECT_STREQ(d.szShortName, "Xbox ADPCM");
  EXPECT_STREQ(d.szFeatures, "Codec converts Xbox ADPCM <-> PCM");
  EXPECT_EQ(d.wPid, 105);
  d.cbStruct = offsetof(ACMDRIVERDETAILSA, szLongName) + 10;
  ASSERT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, &d, 0), 0u);
  EXPECT_EQ(d.cbStruct, offsetof(ACMDRIVERDETAILSA, szLongName));

  HACMDRIVER had;
  ASSERT_EQ(acmDriverOpen(&had, g_idXboxAdpcmDriver, 0), 0u);
  EXPECT_EQ(acmDriverRemove(g_idXboxAdpcmDriver, 0), ACMERR_BUSY);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), MMSYSERR_INVALHANDLE);

  const HACMDRIVERID old = g_idXboxAdpcmDriver;
  RemoveAcmDrivers();
  EXPECT_EQ(g_idXboxAdpcmDriver, nullptr);
  EXPECT_EQ(g_idPcmConverterDriver, nullptr);
  EXPECT_EQ(acmDriverRemove(old, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmDriverOpen(&had, old, 0), MMSYSERR_INVALHANDLE);
}

TEST_F(Codec, BadHandlesParametersAndFlags) {
  HACMDRIVERID id;
  auto proc = reinterpret_cast<LPARAM>(&XboxAdpcmDriverProc);
  HINSTANCE mod = reinterpret_cast<HINSTANCE>(1);
  EXPECT_EQ(acmDriverAddA(nullptr, mod, proc, 0, ACM_DRIVERADDF_FUNCTION), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmDriverAddA(&id, mod, proc, 0, 0x100), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmDriverAddA(&id, mod, 0, 0, ACM_DRIVERADDF_FUNCTION), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmDriverAddA(&id, mod, proc, 5, ACM_DRIVERADDF_FUNCTION), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmDriverEnum(nullptr, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmDriverEnum(Collect, 0, 1), MMSYSERR_INVALFLAG);
  ACMDRIVERDETAILSA d{};
  d.cbStruct = sizeof d;
  EXPECT_EQ(acmDriverDetailsA(reinterpret_cast<HACMDRIVERID>(&d), &d, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, &d, 1), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, nullptr, 0), MMSYSERR_INVALPARAM);
  HACMDRIVER had;
  EXPECT_EQ(acmDriverOpen(nullptr, g_idXboxAdpcmDriver, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmDriverOpen(&had, g_idXboxAdpcmDriver, 1), MMSYSERR_INVALFLAG);

  WAVEFORMATEX src = Pcm(1, 22050), dst = Pcm(2, 44100);
  EXPECT_EQ(acmFormatSuggest(reinterpret_cast<HACMDRIVER>(&d), &src, &dst, 18, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmFormatSuggest(nullptr, &src, &dst, 18, 1), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmFormatSuggest(nullptr, nullptr, &dst, 18, 0), MMSYSERR_INVALPARAM);
  WAVEFORMATEX bad = Pcm(3, 22050);
  EXPECT_EQ(acmFormatSuggest(nullptr, &bad, &dst, 18, 0), ACMERR_NOTPOSSIBLE);

  HACMSTREAM has;
  EXPECT_EQ(acmStreamOpen(nullptr, nullptr, &src, &dst, nullptr, 0, 0, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(acmStreamOpen(&has, nullptr, &src, &dst, nullptr, 0, 0, 0x100), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmStreamOpen(&has, nullptr, &bad, &dst, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(acmStreamOpen(nullptr, nullptr, &src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_QUERY), 0u);
  DWORD n;
  EXPECT_EQ(acmStreamSize(nullptr, 100, &n, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmStreamClose(reinterpret_cast<HACMSTREAM>(&d), 0), MMSYSERR_INVALHANDLE);
}

TEST_F(Codec, DecodingStreamWithHeaderLifecycle) {
  // Encode a tone, then decode it through the manager the way the audio chain does.
  WAVEFORMATEX pcm = Pcm(2, 44100);
  struct {
    WAVEFORMATEX wfx;
    WORD spb;
  } __attribute__((packed)) adpcm{};
  HACMDRIVER had;
  ASSERT_EQ(acmDriverOpen(&had, g_idXboxAdpcmDriver, 0), 0u);
  ASSERT_EQ(acmFormatSuggest(had, &pcm, &adpcm.wfx, 20, 0), 0u);
  EXPECT_EQ(adpcm.wfx.nBlockAlign, 72);
  EXPECT_EQ(adpcm.spb, 64);
  HACMSTREAM enc, dec;
  ASSERT_EQ(acmStreamOpen(&enc, had, &pcm, &adpcm.wfx, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
  ASSERT_EQ(acmStreamOpen(&dec, had, &adpcm.wfx, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
  DWORD srcBytes = 0;
  ASSERT_EQ(acmStreamSize(dec, 16384, &srcBytes, ACM_STREAMSIZEF_DESTINATION), 0u);
  EXPECT_EQ(srcBytes, 64u * 72);
  EXPECT_EQ(acmStreamSize(dec, 16384, &srcBytes, 2), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmStreamSize(dec, 16384, nullptr, 0), MMSYSERR_INVALPARAM);

  std::vector<int16_t> tone(4096 * 2);
  for (size_t i = 0; i < tone.size(); ++i) tone[i] = static_cast<int16_t>(9000 * std::sin(i / 2 * 0.0712));
  std::vector<BYTE> blocks(srcBytes), out(16384);
  ACMSTREAMHEADER he{};
  he.cbStruct = sizeof he;
  he.pbSrc = reinterpret_cast<LPBYTE>(tone.data());
  he.cbSrcLength = 16384;
  he.pbDst = blocks.data();
  he.cbDstLength = srcBytes;
  EXPECT_EQ(acmStreamConvert(enc, &he, ACM_STREAMCONVERTF_START), ACMERR_UNPREPARED);
  ASSERT_EQ(acmStreamPrepareHeader(enc, &he, 0), 0u);
  EXPECT_TRUE(he.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED);
  EXPECT_EQ(acmStreamConvert(enc, &he, 0x100), MMSYSERR_INVALFLAG);
  ASSERT_EQ(acmStreamConvert(enc, &he, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN), 0u);
  EXPECT_TRUE(he.fdwStatus & ACMSTREAMHEADER_STATUSF_DONE);
  EXPECT_EQ(he.cbSrcLengthUsed, 16384u);
  EXPECT_EQ(he.cbDstLengthUsed, srcBytes);
  he.cbSrcLength = 17000;  // beyond what was prepared
  EXPECT_EQ(acmStreamConvert(enc, &he, 0), MMSYSERR_INVALPARAM);
  he.cbSrcLength = 100;    // shortened: unprepare wants the prepared lengths back
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), MMSYSERR_INVALPARAM);
  he.cbSrcLength = 16384;
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), 0u);
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), ACMERR_UNPREPARED);

  ACMSTREAMHEADER hd{};
  hd.cbStruct = sizeof hd;
  hd.pbSrc = blocks.data();
  hd.cbSrcLength = srcBytes;
  hd.pbDst = out.data();
  hd.cbDstLength = 16384;
  ASSERT_EQ(acmStreamPrepareHeader(dec, &hd, 0), 0u);
  ASSERT_EQ(acmStreamConvert(dec, &hd, 0x14), 0u);
  EXPECT_EQ(hd.cbDstLengthUsed, 16384u);
  double sig = 0, err = 0;
  for (size_t i = 0; i < tone.size(); ++i) {
    int16_t y;
    std::memcpy(&y, out.data() + 2 * i, 2);
    sig += double(tone[i]) * tone[i];
    err += double(tone[i] - y) * (tone[i] - y);
  }
  EXPECT_GT(10 * std::log10(sig / err), 25.0);
  EXPECT_EQ(acmDriverClose(had, 0), ACMERR_BUSY);  // streams still open on it
  EXPECT_EQ(acmStreamUnprepareHeader(dec, &hd, 0), 0u);
  EXPECT_EQ(acmStreamClose(dec, 1), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmStreamClose(dec, 0), 0u);
  EXPECT_EQ(acmStreamClose(enc, 0), 0u);
  EXPECT_EQ(acmStreamConvert(dec, &hd, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
}

TEST_F(Codec, StreamOpenQueryAndRefusal) {
  WAVEFORMATEX pcm = Pcm(1, 22050);
  WAVEFORMATEX adpcm{WAVE_FORMAT_XBOX_ADPCM, 1, 22050, 12403, 34, 4, 0};
  HACMDRIVER had;
  ASSERT_EQ(acmDriverOpen(&had, g_idXboxAdpcmDriver, 0), 0u);
  HACMSTREAM has = reinterpret_cast<HACMSTREAM>(1);
  EXPECT_EQ(acmStreamOpen(&has, had, &adpcm, &pcm, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(has, nullptr);
  adpcm.nBlockAlign = 36;
  EXPECT_EQ(acmStreamOpen(nullptr, had, &adpcm, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_QUERY), 0u);
  EXPECT_EQ(acmStreamOpen(&has, had, &adpcm, &pcm, nullptr, 0, 0, ACM_STREAMOPENF_ASYNC), ACMERR_NOTPOSSIBLE);
  // Without a driver handle the manager finds the codec itself.
  ASSERT_EQ(acmStreamOpen(&has, nullptr, &adpcm, &pcm, nullptr, 0, 0, 0), 0u);
  EXPECT_EQ(acmDriverRemove(g_idXboxAdpcmDriver, 0), ACMERR_BUSY);
  EXPECT_EQ(acmStreamClose(has, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
}

}  // namespace
