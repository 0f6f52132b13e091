// The manager's calls over the codec and the installed converter: registration,
// lookup, removal, streams and their error paths.
#include "codec/XboxAdpcmDriver.h"
#include "platform/PcmConverterDriver.h"
#include "tests/audio/AudioTestSupport.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // headers are filled in part, the rest zeroed

namespace {

using Codec = AcmTest;
using Converter = Codec;  // the installed PCM converter, used chunk by chunk with START on every call

// Converts src through the converter in destination-sized chunks; returns the output bytes.
std::vector<BYTE> ConvertChunked(WAVEFORMATEX src, WAVEFORMATEX dst, const std::vector<BYTE>& in,
                                 DWORD dstChunk, std::vector<size_t>* joins = nullptr) {
  std::vector<BYTE> out;
  HACMDRIVER had;
  EXPECT_EQ(acmDriverOpen(&had, g_idPcmConverterDriver, 0), 0u);
  EXPECT_EQ(acmFormatSuggest(had, &src, &dst, 18, 0xF0000), 0u);
  HACMSTREAM has;
  EXPECT_EQ(acmStreamOpen(&has, had, &src, &dst, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME), 0u);
  DWORD srcChunk = 0;
  EXPECT_EQ(acmStreamSize(has, dstChunk, &srcChunk, ACM_STREAMSIZEF_DESTINATION), 0u);
  std::vector<BYTE> s(srcChunk), d(dstChunk);
  ACMSTREAMHEADER h{sizeof h, 0, 0, s.data(), srcChunk, 0, 0, d.data(), dstChunk};
  EXPECT_EQ(acmStreamPrepareHeader(has, &h, 0), 0u);
  for (size_t pos = 0; pos < in.size(); pos += srcChunk) {
    const DWORD n = static_cast<DWORD>(std::min<size_t>(srcChunk, in.size() - pos));
    std::memcpy(s.data(), in.data() + pos, n);
    h.cbSrcLength = n;
    EXPECT_EQ(acmStreamConvert(has, &h, ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START), 0u);
    EXPECT_EQ(h.cbSrcLengthUsed, n);  // nothing is dropped
    EXPECT_LE(h.cbDstLengthUsed, dstChunk);
    if (joins && !out.empty()) joins->push_back(out.size());
    out.insert(out.end(), d.begin(), d.begin() + h.cbDstLengthUsed);
  }
  h.cbSrcLength = srcChunk;
  EXPECT_EQ(acmStreamUnprepareHeader(has, &h, 0), 0u);
  EXPECT_EQ(acmStreamClose(has, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
  return out;
}

std::vector<BYTE> Tone16(WORD ch, DWORD rate, double freq, size_t frames) {
  std::vector<BYTE> b(frames * ch * 2);
  for (size_t i = 0; i < frames * ch; ++i) {
    const int16_t v = static_cast<int16_t>(std::lrint(20000 * std::sin(2 * M_PI * freq * (i / ch) / rate)));
    std::memcpy(b.data() + 2 * i, &v, 2);
  }
  return b;
}

using Seen = std::vector<std::pair<HACMDRIVERID, DWORD>>;
BOOL CALLBACK Collect(HACMDRIVERID id, DWORD_PTR inst, DWORD support) {
  reinterpret_cast<Seen*>(inst)->push_back({id, support});
  return TRUE;
}

TEST_F(Codec, RegistrationLookupAndRemoval) {
  ASSERT_NE(g_idXboxAdpcmDriver, nullptr);
  ASSERT_NE(g_idPcmConverterDriver, nullptr);
  Seen seen;
  ASSERT_EQ(acmDriverEnum(Collect, reinterpret_cast<DWORD_PTR>(&seen), 0), 0u);
  EXPECT_EQ(seen, (Seen{{g_idXboxAdpcmDriver, ACMDRIVERDETAILS_SUPPORTF_CODEC | ACMDRIVERDETAILS_SUPPORTF_LOCAL},
                        {g_idPcmConverterDriver, ACMDRIVERDETAILS_SUPPORTF_CONVERTER}}));  // local drivers first
  seen.clear();
  ASSERT_EQ(acmDriverEnum(Collect, reinterpret_cast<DWORD_PTR>(&seen), ACM_DRIVERENUMF_NOLOCAL), 0u);
  EXPECT_EQ(seen.size(), 1u);

  ACMDRIVERDETAILSA d{};
  d.cbStruct = sizeof d;
  ASSERT_EQ(acmDriverDetailsA(g_idXboxAdpcmDriver, &d, 0), 0u);
  EXPECT_EQ(d.cbStruct, sizeof d);
  EXPECT_STREQ(d.szShortName, "Xbox ADPCM");
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

  WAVEFORMATEX src = Pcm(1, 22050), dst = Pcm(2, 44100), bad = Pcm(3, 22050);
  EXPECT_EQ(acmFormatSuggest(reinterpret_cast<HACMDRIVER>(&d), &src, &dst, 18, 0), MMSYSERR_INVALHANDLE);
  EXPECT_EQ(acmFormatSuggest(nullptr, &src, &dst, 18, 1), MMSYSERR_INVALFLAG);
  EXPECT_EQ(acmFormatSuggest(nullptr, nullptr, &dst, 18, 0), MMSYSERR_INVALPARAM);
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

  std::vector<BYTE> tone = Tone16(2, 44100, 500, 4096), blocks(srcBytes), out(16384);
  ACMSTREAMHEADER he{sizeof he, 0, 0, tone.data(), 16384, 0, 0, blocks.data(), srcBytes};
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
  he.cbSrcLength = 100;  // shortened: unprepare wants the prepared lengths back
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), MMSYSERR_INVALPARAM);
  he.cbSrcLength = 16384;
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), 0u);
  EXPECT_EQ(acmStreamUnprepareHeader(enc, &he, 0), ACMERR_UNPREPARED);

  ACMSTREAMHEADER hd{sizeof hd, 0, 0, blocks.data(), srcBytes, 0, 0, out.data(), 16384};
  ASSERT_EQ(acmStreamPrepareHeader(dec, &hd, 0), 0u);
  ASSERT_EQ(acmStreamConvert(dec, &hd, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN), 0u);
  EXPECT_EQ(hd.cbDstLengthUsed, 16384u);
  // The codec's own coding, both ways.
  EXPECT_EQ(blocks, AdpcmEncode(AsSamples(tone), 2));
  EXPECT_EQ(AsSamples(out), AdpcmDecode(blocks, 2));
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

TEST_F(Converter, RatesKeepPitchLengthAndJoinChunksSmoothly) {
  for (DWORD rate : {8000u, 11025u, 22050u, 32000u, 48000u}) {
    for (WORD ch : {1, 2}) {
      SCOPED_TRACE(testing::Message() << rate << " Hz, " << ch << " ch");
      const size_t frames = rate * 2;  // two seconds
      std::vector<size_t> joins;
      const Samples out =
          AsSamples(ConvertChunked(Pcm(ch, rate), Pcm(2, 44100), Tone16(ch, rate, 1000, frames), 16384, &joins));
      const size_t outFrames = out.size() / 2;
      const double delay = 32 * 44100.0 / std::min(rate, 44100u);  // the tail held back by the filter
      EXPECT_NEAR(double(outFrames), frames * 44100.0 / rate - delay, 3);
      // Pitch: rising zero crossings of the left channel over the steady part.
      int rises = 0;
      for (size_t i = 4411; i < 4410 + 44100; ++i) rises += out[2 * (i - 1)] < 0 && out[2 * i] >= 0;
      EXPECT_NEAR(rises, 1000, 1);
      // Joins: no step larger than the largest step inside the chunks.
      int inside = 0, atJoin = 0;
      for (size_t i = 4410; i + 1 < outFrames; ++i)
        inside = std::max(inside, std::abs(out[2 * i] - out[2 * i - 2]));
      for (size_t j : joins)
        if (j / 4 > 4410 && j / 4 < outFrames)
          atJoin = std::max(atJoin, std::abs(out[j / 2] - out[j / 2 - 2]));
      EXPECT_LE(atJoin, inside);
      EXPECT_NEAR(inside, 20000 * 2 * M_PI * 1000 / 44100, 60);
      for (size_t i = 0; i < outFrames; ++i) EXPECT_EQ(out[2 * i], out[2 * i + 1]);
    }
  }
}

TEST_F(Converter, ChannelsAndBitsAtEqualRates) {
  // 8-bit mono to 16-bit stereo is exact.
  const std::vector<BYTE> u8 = {0, 1, 127, 128, 129, 255};
  const Samples wide = AsSamples(ConvertChunked(Pcm(1, 11025, 8), Pcm(2, 11025, 16), u8, 16384));
  ASSERT_EQ(wide.size(), u8.size() * 2);
  for (size_t i = 0; i < wide.size(); ++i) EXPECT_EQ(wide[i], (int(u8[i / 2]) - 128) * 256) << i;
  // 16-bit stereo to 8-bit mono averages, rounds and clamps.
  const Bytes s16 = AsBytes({1000, 3000, -32768, -32768, 32767, 32767});
  EXPECT_EQ(ConvertChunked(Pcm(2, 8000, 16), Pcm(1, 8000, 8), s16, 16384),
            std::vector<BYTE>({128 + 8, 0, 255}));  // 2000 / 256 = 7.8
}

TEST_F(Converter, RefusesWhatItCannotConvertAndFlushesAtEnd) {
  HACMDRIVER had;
  ASSERT_EQ(acmDriverOpen(&had, g_idPcmConverterDriver, 0), 0u);
  WAVEFORMATEX src = Pcm(1, 22050), dst = Pcm(2, 44100), low = Pcm(1, 999), wide = Pcm(1, 22050, 24), sug{};
  WAVEFORMATEX adpcm{WAVE_FORMAT_XBOX_ADPCM, 1, 22050, 12403, 36, 4, 0};
  HACMSTREAM has;
  EXPECT_EQ(acmStreamOpen(&has, had, &low, &dst, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(acmStreamOpen(&has, had, &src, &wide, nullptr, 0, 0, 0), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(acmFormatSuggest(had, &src, &adpcm, 18, ACM_FORMATSUGGESTF_WFORMATTAG), ACMERR_NOTPOSSIBLE);
  ASSERT_EQ(acmFormatSuggest(had, &src, &sug, 18, 0), 0u);
  EXPECT_EQ(sug.nSamplesPerSec, 22050u);
  EXPECT_EQ(sug.nAvgBytesPerSec, 44100u);
  // The standard formats by index: PCM only, and none past the last (5 rates x 2 sizes x 2 layouts).
  WAVEFORMATEX detail{};
  ACMFORMATDETAILSW d{sizeof d, 19, WAVE_FORMAT_PCM, 0, &detail, sizeof detail};
  EXPECT_EQ(PcmConverterDriverProc(0, nullptr, ACMDM_FORMAT_DETAILS, LPARAM(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(detail.nSamplesPerSec * 100 + detail.wBitsPerSample * 10 + detail.nChannels, 4800000u + 160 + 2);
  for (auto [tag, index] : {std::pair<DWORD, DWORD>{WAVE_FORMAT_PCM, 20}, {WAVE_FORMAT_XBOX_ADPCM, 0}}) {
    d.dwFormatTag = tag;
    d.dwFormatIndex = index;
    EXPECT_EQ(PcmConverterDriverProc(0, nullptr, ACMDM_FORMAT_DETAILS, LPARAM(&d), ACM_FORMATDETAILSF_INDEX),
              LRESULT(ACMERR_NOTPOSSIBLE)) << tag << " " << index;
  }

  // One call flagged END delivers the filter tail: 1000 frames in, 2000 out.
  ASSERT_EQ(acmStreamOpen(&has, had, &src, &dst, nullptr, 0, 0, 0), 0u);
  std::vector<BYTE> in = Tone16(1, 22050, 440, 1000), out(2000 * 4 + 64);
  ACMSTREAMHEADER h{sizeof h, 0, 0, in.data(), DWORD(in.size()), 0, 0, out.data(), DWORD(out.size())};
  ASSERT_EQ(acmStreamPrepareHeader(has, &h, 0), 0u);
  ASSERT_EQ(acmStreamConvert(has, &h, ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_END), 0u);
  EXPECT_EQ(h.cbDstLengthUsed, 2000u * 4);
  ASSERT_EQ(acmStreamUnprepareHeader(has, &h, 0), 0u);
  EXPECT_EQ(acmStreamClose(has, 0), 0u);
  EXPECT_EQ(acmDriverClose(had, 0), 0u);
}

}  // namespace
