// The codec driver procedure, message by message, with its edge values.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "codec/XboxAdpcmDriver.h"
#include "platform/MessageBox.h"

namespace {

LRESULT Call(UINT msg, LPARAM l1 = 0, LPARAM l2 = 0, DWORD_PTR id = ADPCM_DRIVER_INSTANCE) {
  return XboxAdpcmDriverProc(id, nullptr, msg, l1, l2);
}
template <class T>
LPARAM P(T* p) {
  return reinterpret_cast<LPARAM>(p);
}

std::string Narrow(const WCHAR* w) {
  std::string s;
  while (*w) s += static_cast<char>(*w++);
  return s;
}

#pragma pack(push, 1)
struct AdpcmFormat {
  WAVEFORMATEX wfx;
  WORD wSamplesPerBlock;
};
#pragma pack(pop)

WAVEFORMATEX Pcm(WORD ch, DWORD rate) { return {WAVE_FORMAT_PCM, ch, rate, rate * ch * 2u, WORD(ch * 2), 16, 0}; }
AdpcmFormat Adpcm(WORD ch, DWORD rate, WORD align = 0) {
  if (!align) align = WORD(36 * ch);
  return {{WAVE_FORMAT_XBOX_ADPCM, ch, rate, rate * align / 64u, align, 4, 2}, 64};
}

TEST(XboxAdpcmDriver, StandardDriverMessages) {
  EXPECT_EQ(Call(DRV_LOAD), 1);
  EXPECT_EQ(Call(DRV_INSTALL), 1);
  EXPECT_EQ(Call(DRV_FREE), 1);
  EXPECT_EQ(Call(DRV_REMOVE), 1);
  for (UINT m : {UINT(DRV_ENABLE), UINT(DRV_DISABLE), UINT(DRV_EXITSESSION), UINT(DRV_CONFIGURE), UINT(DRV_QUERYCONFIGURE), UINT(DRV_POWER),
                 UINT(ACMDM_DRIVER_NOTIFY), UINT(ACMDM_STREAM_PREPARE), UINT(ACMDM_STREAM_UNPREPARE)})
    EXPECT_EQ(Call(m), 0) << m;
  EXPECT_EQ(Call(DRV_OPEN, 0, 0, 0), 0x43211234);
  EXPECT_EQ(Call(DRV_OPEN, 123, 456, 7), 0x43211234);
  EXPECT_EQ(Call(DRV_CLOSE), 1);
  EXPECT_EQ(Call(DRV_CLOSE, 0, 0, 1), 0);
  for (UINT m : {UINT(ACMDM_HARDWARE_WAVE_CAPS_INPUT), UINT(ACMDM_HARDWARE_WAVE_CAPS_OUTPUT), UINT(ACMDM_FILTERTAG_DETAILS),
                 UINT(ACMDM_FILTER_DETAILS), UINT(ACMDM_STREAM_RESET)})
    EXPECT_EQ(Call(m), MMSYSERR_NOTSUPPORTED) << m;
  EXPECT_EQ(Call(DRV_USER + 5), 0);  // left to the default procedure
}

TEST(XboxAdpcmDriver, DriverDetailsFillWholeFieldsInOrder) {
  EXPECT_EQ(Call(ACMDM_DRIVER_DETAILS), MMSYSERR_INVALPARAM);
  ACMDRIVERDETAILSW d;
  std::memset(&d, 0xCC, sizeof d);
  d.cbStruct = 3;
  EXPECT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), MMSYSERR_INVALPARAM);

  const size_t hiconEnd = offsetof(ACMDRIVERDETAILSW, hicon) + sizeof(HICON);
  const size_t shortEnd = offsetof(ACMDRIVERDETAILSW, szLongName);
  d.cbStruct = 100;
  ASSERT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), 0);
  EXPECT_EQ(d.cbStruct, hiconEnd);  // the short name needs shortEnd bytes
  EXPECT_GT(shortEnd, 100u);
  EXPECT_EQ(d.szShortName[0], 0xCCCC);
  EXPECT_TRUE(d.hicon == nullptr);

  const std::pair<DWORD, DWORD> steps[] = {{5, 4}, {13, 12}, {15, 14}, {39, 36}};
  for (auto [cb, want] : steps) {
    d.cbStruct = cb;
    ASSERT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), 0);
    EXPECT_EQ(d.cbStruct, want) << cb;
  }

  d.cbStruct = sizeof d;
  ASSERT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), 0);
  EXPECT_EQ(d.cbStruct, sizeof d);
  EXPECT_EQ(d.fccType, MAKEFOURCC('a', 'u', 'd', 'c'));
  EXPECT_EQ(d.fccComp, 0u);
  EXPECT_EQ(d.wMid, 1);
  EXPECT_EQ(d.wPid, 105);
  EXPECT_EQ(d.vdwACM, 0x04320000u);
  EXPECT_EQ(d.vdwDriver, 0x01000000u);
  EXPECT_EQ(d.fdwSupport, 1u);
  EXPECT_EQ(d.cFormatTags, 2u);
  EXPECT_EQ(d.cFilterTags, 0u);
  EXPECT_EQ(Narrow(d.szShortName), "Xbox ADPCM");
  EXPECT_EQ(Narrow(d.szLongName), "Xbox ADPCM Codec");
  EXPECT_NE(Narrow(d.szCopyright).find("Quarn Vantor"), std::string::npos);
  EXPECT_EQ(Narrow(d.szLicensing), "");
  EXPECT_EQ(Narrow(d.szFeatures), "Codec converts Xbox ADPCM <-> PCM");
}

std::string g_boxText, g_boxCaption;
UINT g_boxType;
int Capture(HWND, LPCSTR text, LPCSTR caption, UINT type) {
  g_boxText = text;
  g_boxCaption = caption;
  g_boxType = type;
  return IDOK;
}

TEST(XboxAdpcmDriver, AboutBox) {
  auto old = SetMessageBoxPresenter(Capture);
  g_boxText.clear();
  EXPECT_EQ(Call(ACMDM_DRIVER_ABOUT, -1), 0);
  EXPECT_TRUE(g_boxText.empty());
  EXPECT_EQ(Call(ACMDM_DRIVER_ABOUT, 0), 0);
  EXPECT_EQ(g_boxCaption, "About XBox ADPCM");
  EXPECT_EQ(g_boxText.rfind("XBox ADPCM Audio Codec by ", 0), 0u);
  EXPECT_EQ(g_boxType, 0x40u);
  SetMessageBoxPresenter(old);
}

TEST(XboxAdpcmDriver, FormatTagDetails) {
  ACMFORMATTAGDETAILSW t{};
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, 0, 0), MMSYSERR_INVALPARAM);
  t.cbStruct = 119;
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), 0), MMSYSERR_INVALPARAM);
  t.cbStruct = 120;
  t.dwFormatTag = 0;
  ASSERT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_LARGESTSIZE), 0);
  EXPECT_EQ(t.dwFormatTagIndex, 1u);
  EXPECT_EQ(t.dwFormatTag, 105u);
  EXPECT_EQ(t.cbFormatSize, 20u);
  EXPECT_EQ(t.fdwSupport, 1u);
  EXPECT_EQ(t.cStandardFormats, 8u);
  EXPECT_EQ(Narrow(t.szFormatTag), "Xbox ADPCM");
  t.dwFormatTag = 1;
  ASSERT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_LARGESTSIZE), 0);
  EXPECT_EQ(t.dwFormatTagIndex, 0u);
  EXPECT_EQ(t.cbFormatSize, 16u);
  EXPECT_EQ(t.szFormatTag[0], 0);
  t.dwFormatTag = 2;
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_FORMATTAG), 512);
  t.dwFormatTag = 105;
  ASSERT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_FORMATTAG), 0);
  EXPECT_EQ(t.dwFormatTagIndex, 1u);
  t.dwFormatTagIndex = 2;
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_INDEX), 512);
  t.dwFormatTagIndex = 0;
  ASSERT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), ACM_FORMATTAGDETAILSF_INDEX), 0);
  EXPECT_EQ(t.dwFormatTag, 1u);
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), 3), MMSYSERR_INVALFLAG);
}

TEST(XboxAdpcmDriver, FormatDetails) {
  AdpcmFormat f;
  std::memset(&f, 0xEE, sizeof f);
  ACMFORMATDETAILSW d{};
  d.cbStruct = sizeof d;
  d.pwfx = &f.wfx;
  d.cbwfx = 20;
  d.dwFormatTag = 105;
  d.dwFormatIndex = 7;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(f.wfx.wFormatTag, 105);
  EXPECT_EQ(f.wfx.nChannels, 2);
  EXPECT_EQ(f.wfx.nSamplesPerSec, 44100u);
  EXPECT_EQ(f.wfx.wBitsPerSample, 4);
  EXPECT_EQ(f.wfx.nBlockAlign, 72);
  EXPECT_EQ(f.wfx.nAvgBytesPerSec, 49612u);
  EXPECT_EQ(f.wfx.cbSize, 2);
  EXPECT_EQ(f.wSamplesPerBlock, 64);
  EXPECT_EQ(d.fdwSupport, 1u);
  EXPECT_EQ(d.cbStruct, sizeof d);

  std::memset(&f, 0xEE, sizeof f);
  d.cbwfx = 16;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(f.wfx.cbSize, 0xEEEE);
  EXPECT_EQ(f.wSamplesPerBlock, 0xEEEE);

  d.dwFormatIndex = 8;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 512);
  d.dwFormatIndex = 4;
  d.dwFormatTag = 1;
  d.cbwfx = 18;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(f.wfx.nSamplesPerSec, 22050u);
  EXPECT_EQ(f.wfx.nBlockAlign, 2);
  EXPECT_EQ(f.wfx.nAvgBytesPerSec, 44100u);
  EXPECT_EQ(f.wfx.cbSize, 0);

  f.wfx = {1, 2, 999, 0, 0, 16, 0};
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), 512);
  f.wfx = {105, 1, 1000, 0, 0, 4, 0};
  d.cbwfx = 20;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), 0);
  EXPECT_EQ(d.dwFormatTag, 105u);
  EXPECT_EQ(f.wfx.nAvgBytesPerSec, 562u);
  f.wfx.wBitsPerSample = 16;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), 512);

  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), 2), MMSYSERR_INVALFLAG);
  EXPECT_EQ(d.dwFormatTag, 0u);
  d.cbwfx = 15;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), 0), MMSYSERR_INVALPARAM);
  d.cbwfx = 20;
  d.pwfx = nullptr;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), 0), MMSYSERR_INVALPARAM);
  d.pwfx = &f.wfx;
  d.cbStruct = sizeof d - 1;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), 0), MMSYSERR_INVALPARAM);
}

TEST(XboxAdpcmDriver, FormatSuggest) {
  WAVEFORMATEX src = Pcm(1, 22050);
  AdpcmFormat dst{};
  ACMDRVFORMATSUGGEST s{sizeof s, 0, &src, 16, &dst.wfx, 20};
  ASSERT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 0);
  EXPECT_EQ(dst.wfx.wFormatTag, 105);
  EXPECT_EQ(dst.wfx.nChannels, 1);
  EXPECT_EQ(dst.wfx.nSamplesPerSec, 22050u);
  EXPECT_EQ(dst.wfx.wBitsPerSample, 4);
  EXPECT_EQ(dst.wfx.nBlockAlign, 36);
  EXPECT_EQ(dst.wfx.nAvgBytesPerSec, 12403u);
  EXPECT_EQ(dst.wfx.cbSize, 2);
  EXPECT_EQ(dst.wSamplesPerBlock, 64);

  // Decoding direction, with the rate fixed by the caller.
  AdpcmFormat a = Adpcm(2, 11025);
  WAVEFORMATEX out{};
  out.nSamplesPerSec = 8000;
  s = {sizeof s, ACM_FORMATSUGGESTF_NSAMPLESPERSEC, &a.wfx, 20, &out, 18};
  ASSERT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 0);
  EXPECT_EQ(out.wFormatTag, 1);
  EXPECT_EQ(out.nChannels, 2);
  EXPECT_EQ(out.nSamplesPerSec, 8000u);
  EXPECT_EQ(out.nBlockAlign, 4);
  EXPECT_EQ(out.nAvgBytesPerSec, 32000u);

  out.wBitsPerSample = 8;  // fixed to a depth the codec does not offer
  s = {sizeof s, ACM_FORMATSUGGESTF_WBITSPERSAMPLE, &a.wfx, 20, &out, 18};
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 512);
  src.nSamplesPerSec = 999;
  s = {sizeof s, 0, &src, 16, &out, 18};
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 512);
  s.cbwfxDst = 15;
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), MMSYSERR_INVALPARAM);
  s.cbwfxDst = 18;
  s.pwfxSrc = nullptr;
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), MMSYSERR_INVALPARAM);
  s.cbStruct = sizeof s - 1;
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, 0), MMSYSERR_INVALPARAM);
}

ACMDRVSTREAMINSTANCE Instance(WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD open = 0) {
  ACMDRVSTREAMINSTANCE i{};
  i.cbStruct = sizeof i;
  i.pwfxSrc = src;
  i.pwfxDst = dst;
  i.fdwOpen = open;
  return i;
}

TEST(XboxAdpcmDriver, StreamOpenRefusals) {
  WAVEFORMATEX pcm = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050, 34);
  auto i = Instance(&a.wfx, &pcm);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // block not a multiple of 4
  a = Adpcm(1, 22050, 4);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // below 8 x N
  a = Adpcm(2, 22050, 44);
  pcm = Pcm(2, 22050);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // 36 samples, not a multiple of 8
  a = Adpcm(1, 44100);
  pcm = Pcm(1, 22050);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // rates differ
  pcm = Pcm(2, 44100);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // channels differ
  pcm = Pcm(1, 44100);
  pcm.nBlockAlign = 4;
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 512);  // PCM block align
  WAVEFORMATEX pcm2 = Pcm(1, 44100);
  auto same = Instance(&pcm2, &pcm2);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&same)), 512);  // no PCM to PCM
  pcm = Pcm(1, 44100);
  i.cbStruct = sizeof i - 1;
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), MMSYSERR_INVALPARAM);
  i.cbStruct = sizeof i;
  i.pwfxDst = nullptr;
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, 0), MMSYSERR_INVALPARAM);

  i = Instance(&a.wfx, &pcm, ACM_STREAMOPENF_QUERY);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 0);
  EXPECT_TRUE(i.dwDriver == 0);
}

TEST(XboxAdpcmDriver, StreamSizeBothWays) {
  WAVEFORMATEX pcm = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050);
  auto dec = Instance(&a.wfx, &pcm);
  ACMDRVSTREAMSIZE z{sizeof z, ACM_STREAMSIZEF_SOURCE, 100, 0};
  ASSERT_EQ(Call(ACMDM_STREAM_SIZE, P(&dec), P(&z)), 0);
  EXPECT_EQ(z.cbDstLength, 384u);
  z = {sizeof z, ACM_STREAMSIZEF_DESTINATION, 0, 300};
  ASSERT_EQ(Call(ACMDM_STREAM_SIZE, P(&dec), P(&z)), 0);
  EXPECT_EQ(z.cbSrcLength, 72u);
  z = {sizeof z, ACM_STREAMSIZEF_DESTINATION, 0, 16384};
  ASSERT_EQ(Call(ACMDM_STREAM_SIZE, P(&dec), P(&z)), 0);
  EXPECT_EQ(z.cbSrcLength, 128u * 36);

  auto enc = Instance(&pcm, &a.wfx);
  z = {sizeof z, ACM_STREAMSIZEF_SOURCE, 130, 0};  // 65 frames -> 2 blocks
  ASSERT_EQ(Call(ACMDM_STREAM_SIZE, P(&enc), P(&z)), 0);
  EXPECT_EQ(z.cbDstLength, 72u);
  z = {sizeof z, ACM_STREAMSIZEF_DESTINATION, 0, 71};  // 1 block -> 64 frames
  ASSERT_EQ(Call(ACMDM_STREAM_SIZE, P(&enc), P(&z)), 0);
  EXPECT_EQ(z.cbSrcLength, 128u);

  z.fdwSize = 2;
  EXPECT_EQ(Call(ACMDM_STREAM_SIZE, P(&enc), P(&z)), MMSYSERR_INVALFLAG);
  z.cbStruct = 15;
  EXPECT_EQ(Call(ACMDM_STREAM_SIZE, P(&enc), P(&z)), MMSYSERR_INVALPARAM);
  WAVEFORMATEX pcm2 = Pcm(1, 22050);
  auto other = Instance(&pcm2, &pcm);
  z = {sizeof z, 0, 100, 0};
  EXPECT_EQ(Call(ACMDM_STREAM_SIZE, P(&other), P(&z)), MMSYSERR_NOTSUPPORTED);
}

TEST(XboxAdpcmDriver, StreamConvertDecodesWholeBlocksAndResetsOnStart) {
  WAVEFORMATEX pcm = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050);
  auto enc = Instance(&pcm, &a.wfx);
  ASSERT_EQ(Call(ACMDM_STREAM_OPEN, P(&enc)), 0);
  ASSERT_TRUE(enc.dwDriver != 0);
  EXPECT_EQ(*reinterpret_cast<DWORD*>(enc.dwDriver), 12u);

  std::vector<int16_t> in(64 * 3);
  for (size_t n = 0; n < in.size(); ++n) in[n] = static_cast<int16_t>((n * 977) % 20000 - 10000);
  std::vector<uint8_t> blocks(100, 0);
  ACMDRVSTREAMHEADER h{};
  h.cbStruct = sizeof h;
  h.pbSrc = reinterpret_cast<LPBYTE>(in.data());
  h.cbSrcLength = 64 * 2 * 3;
  h.pbDst = blocks.data();
  h.cbDstLength = 100;  // room for 2 blocks
  h.fdwConvert = ACM_STREAMCONVERTF_START;
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&enc), P(&h)), 0);
  EXPECT_EQ(h.cbSrcLengthUsed, 256u);
  EXPECT_EQ(h.cbDstLengthUsed, 72u);
  EXPECT_EQ(blocks[2], 0);
  const uint8_t carried = blocks[36 + 2];
  EXPECT_NE(carried, 0);
  h.fdwConvert = 0;  // continuing: the first block starts where the last one ended
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&enc), P(&h)), 0);
  EXPECT_NE(blocks[2], 0);
  h.fdwConvert = ACM_STREAMCONVERTF_START | ACM_STREAMCONVERTF_BLOCKALIGN;
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&enc), P(&h)), 0);
  EXPECT_EQ(blocks[2], 0);
  EXPECT_EQ(blocks[38], carried);
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, P(&enc)), 0);

  auto dec = Instance(&a.wfx, &pcm);
  ASSERT_EQ(Call(ACMDM_STREAM_OPEN, P(&dec)), 0);
  std::vector<uint8_t> out(1 + 64 * 2 * 3);
  ACMDRVSTREAMHEADER d{};
  d.cbStruct = sizeof d;
  d.pbSrc = blocks.data();
  d.cbSrcLength = 100;
  d.pbDst = out.data() + 1;  // odd address
  d.cbDstLength = 64 * 2 * 3;
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&dec), P(&d)), 0);
  EXPECT_EQ(d.cbSrcLengthUsed, 72u);
  EXPECT_EQ(d.cbDstLengthUsed, 256u);
  int16_t first;
  std::memcpy(&first, out.data() + 1, 2);
  EXPECT_EQ(first, in[0]);
  d.cbStruct = sizeof d - 1;
  EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, P(&dec), P(&d)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, 0, P(&d)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, P(&dec)), 0);
}

}  // namespace
