// The codec driver procedure, message by message, with its edge values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "codec/XboxAdpcmDriver.h"
#include "platform/MessageBox.h"

#pragma GCC diagnostic ignored "-Wmissing-field-initializers"  // structures are filled in part, the rest zeroed

namespace {

// WCHAR is wchar_t on Windows and char16_t elsewhere.
std::u16string U16(const WCHAR* w) {
  std::u16string s;
  while (*w) s += static_cast<char16_t>(*w++);
  return s;
}

LRESULT Call(UINT msg, LPARAM l1 = 0, LPARAM l2 = 0, DWORD_PTR id = ADPCM_DRIVER_INSTANCE) {
  return XboxAdpcmDriverProc(id, nullptr, msg, l1, l2);
}
template <class T>
LPARAM P(T* p) {
  return reinterpret_cast<LPARAM>(p);
}

// Sends msg with a copy of s that edit has broken.
template <class S, class Edit>
LRESULT Broken(UINT msg, S s, Edit edit, LPARAM l2 = 0) {
  edit(s);
  return Call(msg, P(&s), l2);
}

// The whole format on one line, so one comparison covers every field.
std::string Str(const WAVEFORMATEX& f) {
  char s[96];
  std::snprintf(s, sizeof s, "tag %d ch %d rate %u avg %u align %d bits %d cb %d", f.wFormatTag, f.nChannels,
                unsigned(f.nSamplesPerSec), unsigned(f.nAvgBytesPerSec), f.nBlockAlign, f.wBitsPerSample, f.cbSize);
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
ACMDRVSTREAMINSTANCE Instance(WAVEFORMATEX* src, WAVEFORMATEX* dst, DWORD open = 0) {
  return {sizeof(ACMDRVSTREAMINSTANCE), src, dst, nullptr, 0, 0, open};
}

TEST(XboxAdpcmDriver, StandardDriverMessages) {
  const std::pair<LRESULT, std::vector<UINT>> groups[] = {
      {1, {DRV_LOAD, DRV_INSTALL, DRV_FREE, DRV_REMOVE}},
      {0, {DRV_ENABLE, DRV_DISABLE, DRV_EXITSESSION, DRV_CONFIGURE, DRV_QUERYCONFIGURE, DRV_POWER, ACMDM_DRIVER_NOTIFY,
           ACMDM_STREAM_PREPARE, ACMDM_STREAM_UNPREPARE, DRV_USER + 5 /* left to the default procedure */}},
      {MMSYSERR_NOTSUPPORTED, {ACMDM_HARDWARE_WAVE_CAPS_INPUT, ACMDM_HARDWARE_WAVE_CAPS_OUTPUT, ACMDM_FILTERTAG_DETAILS,
                               ACMDM_FILTER_DETAILS, ACMDM_STREAM_RESET}}};
  for (const auto& [want, msgs] : groups)
    for (UINT m : msgs) EXPECT_EQ(Call(m), want) << m;
  EXPECT_EQ(Call(DRV_OPEN, 0, 0, 0), 0x43211234);
  EXPECT_EQ(Call(DRV_OPEN, 123, 456, 7), 0x43211234);
  EXPECT_EQ(Call(DRV_CLOSE), 1);
  EXPECT_EQ(Call(DRV_CLOSE, 0, 0, 1), 0);
}

TEST(XboxAdpcmDriver, DriverDetailsFillWholeFieldsInOrder) {
  EXPECT_EQ(Call(ACMDM_DRIVER_DETAILS), MMSYSERR_INVALPARAM);
  ACMDRIVERDETAILSW d;
  std::memset(&d, 0xCC, sizeof d);
  d.cbStruct = 3;
  EXPECT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), MMSYSERR_INVALPARAM);
  const size_t hiconEnd = offsetof(ACMDRIVERDETAILSW, hicon) + sizeof(HICON);
  const std::pair<DWORD, size_t> steps[] = {{5, 4}, {13, 12}, {15, 14}, {39, 36}, {100, hiconEnd}};
  for (auto [cb, want] : steps) {
    d.cbStruct = cb;
    ASSERT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), 0);
    EXPECT_EQ(d.cbStruct, want) << cb;
  }
  EXPECT_TRUE(d.hicon == nullptr);
  EXPECT_EQ(d.szShortName[0], 0xCCCC);  // the short name does not fit in 100 bytes

  d.cbStruct = sizeof d;
  ASSERT_EQ(Call(ACMDM_DRIVER_DETAILS, P(&d)), 0);
  EXPECT_EQ(d.cbStruct, sizeof d);
  EXPECT_EQ(std::vector<DWORD>({d.fccType, d.fccComp, d.wMid, d.wPid, d.vdwACM, d.vdwDriver, d.fdwSupport,
                                d.cFormatTags, d.cFilterTags}),
            std::vector<DWORD>({MAKEFOURCC('a', 'u', 'd', 'c'), 0, 1, 105, 0x04320000, 0x01000000, 1, 2, 0}));
  EXPECT_EQ(U16(d.szShortName), u"Xbox ADPCM");
  EXPECT_EQ(U16(d.szLongName), u"Xbox ADPCM Codec");
  EXPECT_NE(U16(d.szCopyright).find(u"Quarn Vantor"), std::u16string::npos);
  EXPECT_EQ(U16(d.szLicensing), u"");
  EXPECT_EQ(U16(d.szFeatures), u"Codec converts Xbox ADPCM <-> PCM");
}

std::string g_box;

TEST(XboxAdpcmDriver, AboutBoxUnlessOnlyAsked) {
  auto old = SetMessageBoxPresenter([](HWND, LPCSTR text, LPCSTR caption, UINT type) {
    g_box = std::string(caption) + "|" + text + "|" + std::to_string(type);
    return IDOK;
  });
  EXPECT_EQ(Call(ACMDM_DRIVER_ABOUT, -1), 0);
  EXPECT_EQ(g_box, "");
  EXPECT_EQ(Call(ACMDM_DRIVER_ABOUT, 0), 0);
  EXPECT_EQ(g_box.rfind("About XBox ADPCM|XBox ADPCM Audio Codec by ", 0), 0u) << g_box;
  EXPECT_EQ(g_box.substr(g_box.rfind('|')), "|64");  // MB_OK | MB_ICONINFORMATION
  SetMessageBoxPresenter(old);
}

TEST(XboxAdpcmDriver, FormatTagDetails) {
  ACMFORMATTAGDETAILSW t{};
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, 0, 0), MMSYSERR_INVALPARAM);
  t.cbStruct = 119;
  EXPECT_EQ(Call(ACMDM_FORMATTAG_DETAILS, P(&t), 0), MMSYSERR_INVALPARAM);
  // The answer on one line; t is reused, so a stale name would show.
  auto query = [&t](DWORD flags, DWORD tag, DWORD index) {
    t.cbStruct = 120;
    t.dwFormatTag = tag;
    t.dwFormatTagIndex = index;
    if (LRESULT r = Call(ACMDM_FORMATTAG_DETAILS, P(&t), flags)) return "error " + std::to_string(r);
    const std::u16string name = U16(t.szFormatTag);
    char s[96];
    std::snprintf(s, sizeof s, "%u: tag %u, %u bytes, support %u, %u formats, '%s'", unsigned(t.dwFormatTagIndex),
                  unsigned(t.dwFormatTag), unsigned(t.cbFormatSize), unsigned(t.fdwSupport),
                  unsigned(t.cStandardFormats), std::string(name.begin(), name.end()).c_str());
    return std::string(s);
  };
  const std::string pcm = "0: tag 1, 16 bytes, support 1, 8 formats, ''";
  const std::string adpcm = "1: tag 105, 20 bytes, support 1, 8 formats, 'Xbox ADPCM'";
  const std::string notPossible = "error " + std::to_string(ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_LARGESTSIZE, 0, 0), adpcm);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_LARGESTSIZE, 1, 1), pcm);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_FORMATTAG, 2, 0), notPossible);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_FORMATTAG, 105, 0), adpcm);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_INDEX, 0, 2), notPossible);
  EXPECT_EQ(query(ACM_FORMATTAGDETAILSF_INDEX, 105, 0), pcm);
  EXPECT_EQ(query(3, 105, 0), "error " + std::to_string(MMSYSERR_INVALFLAG));
}

TEST(XboxAdpcmDriver, FormatDetails) {
  AdpcmFormat f;
  std::memset(&f, 0xEE, sizeof f);
  ACMFORMATDETAILSW d{sizeof d, 7, 105, 0, &f.wfx, 20};
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(Str(f.wfx), "tag 105 ch 2 rate 44100 avg 49612 align 72 bits 4 cb 2");
  EXPECT_EQ(f.wSamplesPerBlock, 64);
  EXPECT_EQ(d.fdwSupport, 1u);
  EXPECT_EQ(d.cbStruct, sizeof d);

  std::memset(&f, 0xEE, sizeof f);
  d.cbwfx = 16;  // no room for the extra fields: they stay as they were
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(f.wfx.cbSize, 0xEEEE);
  EXPECT_EQ(f.wSamplesPerBlock, 0xEEEE);
  d.dwFormatIndex = 8;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), ACMERR_NOTPOSSIBLE);
  d = {sizeof d, 0, 1, 0, &f.wfx, 18};
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(Str(f.wfx), "tag 1 ch 1 rate 8000 avg 16000 align 2 bits 16 cb 0");
  d.dwFormatIndex = 4;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_INDEX), 0);
  EXPECT_EQ(Str(f.wfx), "tag 1 ch 1 rate 22050 avg 44100 align 2 bits 16 cb 0");

  f.wfx = {1, 2, 999, 0, 0, 16, 0};
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);
  f.wfx = {105, 1, 1000, 0, 0, 4, 0};
  d.cbwfx = 20;
  ASSERT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), 0);
  EXPECT_EQ(d.dwFormatTag, 105u);
  EXPECT_EQ(f.wfx.nAvgBytesPerSec, 562u);
  f.wfx.wBitsPerSample = 16;
  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), ACM_FORMATDETAILSF_FORMAT), ACMERR_NOTPOSSIBLE);

  EXPECT_EQ(Call(ACMDM_FORMAT_DETAILS, P(&d), 2), MMSYSERR_INVALFLAG);
  EXPECT_EQ(d.dwFormatTag, 0u);
  EXPECT_EQ(Broken(ACMDM_FORMAT_DETAILS, d, [](auto& x) { x.cbwfx = 15; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Broken(ACMDM_FORMAT_DETAILS, d, [](auto& x) { x.pwfx = nullptr; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Broken(ACMDM_FORMAT_DETAILS, d, [](auto& x) { x.cbStruct--; }), MMSYSERR_INVALPARAM);
}

TEST(XboxAdpcmDriver, FormatSuggest) {
  WAVEFORMATEX src = Pcm(1, 22050);
  AdpcmFormat dst{};
  ACMDRVFORMATSUGGEST s{sizeof s, 0, &src, 16, &dst.wfx, 20};
  ASSERT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 0);
  EXPECT_EQ(Str(dst.wfx), "tag 105 ch 1 rate 22050 avg 12403 align 36 bits 4 cb 2");
  EXPECT_EQ(dst.wSamplesPerBlock, 64);

  AdpcmFormat a = Adpcm(2, 11025);
  WAVEFORMATEX out{};
  out.nSamplesPerSec = 8000;  // decoding, with the rate fixed by the caller
  s = {sizeof s, ACM_FORMATSUGGESTF_NSAMPLESPERSEC, &a.wfx, 20, &out, 18};
  ASSERT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), 0);
  EXPECT_EQ(Str(out), "tag 1 ch 2 rate 8000 avg 32000 align 4 bits 16 cb 0");

  out.wBitsPerSample = 8;  // fixed to a depth the codec does not offer
  s = {sizeof s, ACM_FORMATSUGGESTF_WBITSPERSAMPLE, &a.wfx, 20, &out, 18};
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), ACMERR_NOTPOSSIBLE);
  src.nSamplesPerSec = 999;
  s = {sizeof s, 0, &src, 16, &out, 18};
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, P(&s)), ACMERR_NOTPOSSIBLE);
  EXPECT_EQ(Broken(ACMDM_FORMAT_SUGGEST, s, [](auto& x) { x.cbwfxDst = 15; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Broken(ACMDM_FORMAT_SUGGEST, s, [](auto& x) { x.pwfxSrc = nullptr; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Broken(ACMDM_FORMAT_SUGGEST, s, [](auto& x) { x.cbStruct--; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_FORMAT_SUGGEST, 0), MMSYSERR_INVALPARAM);
}

TEST(XboxAdpcmDriver, StreamOpenRefusals) {
  struct {
    AdpcmFormat a;
    WAVEFORMATEX pcm;
    const char* what;
  } cases[] = {{Adpcm(1, 22050, 34), Pcm(1, 22050), "block not a multiple of 4"},
               {Adpcm(1, 22050, 4), Pcm(1, 22050), "block below 8 x N"},
               {Adpcm(2, 22050, 44), Pcm(2, 22050), "36 samples, not a multiple of 8"},
               {Adpcm(1, 44100), Pcm(1, 22050), "rates differ"},
               {Adpcm(1, 44100), Pcm(2, 44100), "channels differ"},
               {Adpcm(1, 44100), {WAVE_FORMAT_PCM, 1, 44100, 88200, 4, 16, 0}, "PCM block align"}};
  for (auto& c : cases) {
    auto i = Instance(&c.a.wfx, &c.pcm);
    EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), ACMERR_NOTPOSSIBLE) << c.what;
  }
  WAVEFORMATEX pcm = Pcm(1, 44100);
  auto same = Instance(&pcm, &pcm);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&same)), ACMERR_NOTPOSSIBLE);  // no PCM to PCM
  AdpcmFormat a = Adpcm(1, 44100);
  auto i = Instance(&a.wfx, &pcm, ACM_STREAMOPENF_QUERY);
  EXPECT_EQ(Broken(ACMDM_STREAM_OPEN, i, [](auto& x) { x.cbStruct--; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Broken(ACMDM_STREAM_OPEN, i, [](auto& x) { x.pwfxDst = nullptr; }), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, 0), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_OPEN, P(&i)), 0);
  EXPECT_TRUE(i.dwDriver == 0);
}

TEST(XboxAdpcmDriver, StreamSizeBothWays) {
  WAVEFORMATEX pcm = Pcm(1, 22050), pcm2 = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050);
  auto dec = Instance(&a.wfx, &pcm), enc = Instance(&pcm, &a.wfx), other = Instance(&pcm2, &pcm);
  // The other side's length, or the error negated.
  auto size = [](ACMDRVSTREAMINSTANCE& i, DWORD flags, DWORD length) -> int64_t {
    ACMDRVSTREAMSIZE z{sizeof z, flags, length, length};
    if (LRESULT r = Call(ACMDM_STREAM_SIZE, P(&i), P(&z))) return -r;
    return flags == ACM_STREAMSIZEF_SOURCE ? z.cbDstLength : z.cbSrcLength;
  };
  EXPECT_EQ(size(dec, ACM_STREAMSIZEF_SOURCE, 100), 384);
  EXPECT_EQ(size(dec, ACM_STREAMSIZEF_DESTINATION, 300), 72);
  EXPECT_EQ(size(dec, ACM_STREAMSIZEF_DESTINATION, 16384), 128 * 36);
  EXPECT_EQ(size(enc, ACM_STREAMSIZEF_SOURCE, 130), 72);       // 65 frames -> 2 blocks
  EXPECT_EQ(size(enc, ACM_STREAMSIZEF_DESTINATION, 71), 128);  // 1 block -> 64 frames
  EXPECT_EQ(size(enc, 2, 100), -MMSYSERR_INVALFLAG);
  EXPECT_EQ(size(other, 0, 100), -MMSYSERR_NOTSUPPORTED);
  auto noDst = dec;
  noDst.pwfxDst = nullptr;
  EXPECT_EQ(size(noDst, ACM_STREAMSIZEF_SOURCE, 100), -MMSYSERR_INVALPARAM);
  ACMDRVSTREAMSIZE z{15, 0, 100, 0};
  EXPECT_EQ(Call(ACMDM_STREAM_SIZE, P(&enc), P(&z)), MMSYSERR_INVALPARAM);
}

TEST(XboxAdpcmDriver, StreamConvertWholeBlocksAndResetsOnStart) {
  WAVEFORMATEX pcm = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050);
  auto enc = Instance(&pcm, &a.wfx);
  ASSERT_EQ(Call(ACMDM_STREAM_OPEN, P(&enc)), 0);
  ASSERT_TRUE(enc.dwDriver != 0);
  EXPECT_EQ(*reinterpret_cast<DWORD*>(enc.dwDriver), 12u);

  std::vector<int16_t> in(64 * 3);
  for (size_t n = 0; n < in.size(); ++n) in[n] = static_cast<int16_t>((n * 977) % 20000 - 10000);
  std::vector<uint8_t> blocks(100, 0);  // room for 2 blocks
  ACMDRVSTREAMHEADER h{sizeof h, 0, 0, reinterpret_cast<LPBYTE>(in.data()), 64 * 2 * 3, 0, 0, blocks.data(), 100};
  h.fdwConvert = ACM_STREAMCONVERTF_START;
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&enc), P(&h)), 0);
  EXPECT_EQ(h.cbSrcLengthUsed, 256u);
  EXPECT_EQ(h.cbDstLengthUsed, 72u);
  EXPECT_EQ(blocks[2], 0);
  const uint8_t carried = blocks[36 + 2];  // the step index carried into the second block
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
  ACMDRVSTREAMHEADER d{sizeof d, 0, 0, blocks.data(), 100, 0, 0, out.data() + 1 /* odd address */, 64 * 2 * 3};
  ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&dec), P(&d)), 0);
  EXPECT_EQ(d.cbSrcLengthUsed, 72u);
  EXPECT_EQ(d.cbDstLengthUsed, 256u);
  EXPECT_EQ(std::memcmp(out.data() + 1, in.data(), 2), 0);  // the first sample is the header's, exact
  d.cbStruct = sizeof(ACMSTREAMHEADER) - 1;  // the application's header, which the driver is handed
  EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, P(&dec), P(&d)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, 0, P(&d)), MMSYSERR_INVALPARAM);
  d.cbStruct = sizeof d;
  auto unopened = Instance(&a.wfx, &pcm);
  EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, P(&unopened), P(&d)), MMSYSERR_INVALPARAM);
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, P(&dec)), 0);
}

TEST(XboxAdpcmDriver, SizeAndConvertHoldToPairsItOpens) {
  // Formats changed under an open stream: size and convert refuse them and touch no buffer.
  WAVEFORMATEX pcm = Pcm(1, 22050);
  AdpcmFormat a = Adpcm(1, 22050);
  auto dec = Instance(&a.wfx, &pcm);
  ASSERT_EQ(Call(ACMDM_STREAM_OPEN, P(&dec)), 0);
  const std::pair<const char*, void (*)(WAVEFORMATEX&, WAVEFORMATEX&)> edits[] = {
      {"8-bit PCM", [](WAVEFORMATEX& p, WAVEFORMATEX&) { p.wBitsPerSample = 8, p.nBlockAlign = 1; }},
      {"no channels", [](WAVEFORMATEX& p, WAVEFORMATEX& x) { p.nChannels = x.nChannels = 0; }},
      {"block of 0", [](WAVEFORMATEX&, WAVEFORMATEX& x) { x.nBlockAlign = 0; }},
      {"8 channels", [](WAVEFORMATEX& p, WAVEFORMATEX& x) { p.nChannels = x.nChannels = 8, x.nBlockAlign = 288; }}};
  std::vector<uint8_t> in(288, 0x5A), out(1024, 0xCC);
  for (const auto& [what, edit] : edits) {
    edit(pcm, a.wfx);
    ACMDRVSTREAMSIZE z{sizeof z, ACM_STREAMSIZEF_SOURCE, 288, 0};
    EXPECT_EQ(Call(ACMDM_STREAM_SIZE, P(&dec), P(&z)), ACMERR_NOTPOSSIBLE) << what;
    ACMDRVSTREAMHEADER h{sizeof h, 0, 0, in.data(), 288, 0, 0, out.data(), 1024};
    EXPECT_EQ(Call(ACMDM_STREAM_CONVERT, P(&dec), P(&h)), ACMERR_NOTPOSSIBLE) << what;
    EXPECT_EQ(out, std::vector<uint8_t>(1024, 0xCC)) << what;
    pcm = Pcm(1, 22050), a = Adpcm(1, 22050);
  }
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, P(&dec)), 0);

  // Blocks larger than the driver's own scratch into an odd address: every block, as at an even one.
  WAVEFORMATEX pcm2 = Pcm(2, 44100);
  AdpcmFormat big = Adpcm(2, 44100, 16384);  // 32752 samples per block
  auto stream = Instance(&big.wfx, &pcm2);
  ASSERT_EQ(Call(ACMDM_STREAM_OPEN, P(&stream)), 0);
  std::vector<uint8_t> blocks(2 * 16384);
  for (size_t i = 0; i < blocks.size(); ++i) blocks[i] = uint8_t(i * 131 >> 3);
  std::vector<uint8_t> even(2 * 65504), odd(1 + 2 * 65504);
  for (uint8_t* dst : {even.data(), odd.data() + 1}) {
    ACMDRVSTREAMHEADER h{sizeof h, 0, 0, blocks.data(), DWORD(blocks.size()), 0, 0, dst, 2 * 65504};
    h.fdwConvert = ACM_STREAMCONVERTF_START;
    ASSERT_EQ(Call(ACMDM_STREAM_CONVERT, P(&stream), P(&h)), 0);
    EXPECT_EQ(h.cbSrcLengthUsed, blocks.size());
    EXPECT_EQ(h.cbDstLengthUsed, 2u * 65504);
  }
  EXPECT_TRUE(std::equal(even.begin(), even.end(), odd.begin() + 1));
  EXPECT_EQ(Call(ACMDM_STREAM_CLOSE, P(&stream)), 0);
}

}  // namespace
