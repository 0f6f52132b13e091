#include "codec/XboxAdpcmDriver.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include "codec/XboxAdpcm.h"
#include "platform/AcmDriverSupport.h"
#include "platform/MessageBox.h"

namespace {

constexpr const char* kAuthor = "the Quarn Vantor developers";
constexpr const char* kCredit = "Written by the Quarn Vantor developers";

// Per-stream instance block: a size field, then the codec's stream state.
struct AdpcmStreamInstance {
  DWORD cbStruct;
  AdpcmStreamState state;
};
static_assert(sizeof(AdpcmStreamInstance) == 12, "the instance block is 12 bytes");

struct StandardFormat {
  WORD nChannels;
  DWORD nSamplesPerSec;
};
constexpr StandardFormat kStandardFormats[8] = {{1, 8000},  {2, 8000},  {1, 11025}, {2, 11025},
                                                {1, 22050}, {2, 22050}, {1, 44100}, {2, 44100}};


bool IsValidFormat(const WAVEFORMATEX* pwfx) {
  if (pwfx->nChannels != 1 && pwfx->nChannels != 2) return false;
  if (pwfx->nSamplesPerSec < 1000) return false;
  return (pwfx->wFormatTag == WAVE_FORMAT_PCM && pwfx->wBitsPerSample == 16) ||
         (pwfx->wFormatTag == WAVE_FORMAT_XBOX_ADPCM && pwfx->wBitsPerSample == 4);
}

// Fills the derived fields of a format held in a buffer of cbwfx bytes.
void CompleteFormat(WAVEFORMATEX* pwfx, DWORD cbwfx) {
  if (pwfx->wFormatTag == WAVE_FORMAT_XBOX_ADPCM) {
    pwfx->nBlockAlign = static_cast<WORD>(36 * pwfx->nChannels);
    pwfx->nAvgBytesPerSec = static_cast<DWORD>(pwfx->nSamplesPerSec * pwfx->nBlockAlign / 64u);
    if (cbwfx >= 18) pwfx->cbSize = 2;
    if (cbwfx >= 20) {
      const WORD samplesPerBlock = 64;
      std::memcpy(reinterpret_cast<BYTE*>(pwfx) + 18, &samplesPerBlock, 2);
    }
  } else {
    AcmCompletePcmFormat(pwfx, cbwfx);
  }
}

LRESULT DriverDetails(ACMDRIVERDETAILSW* padd) {
  ACMDRIVERDETAILSW d;
  std::memset(&d, 0, sizeof d);
  d.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
  d.fccComp = ACMDRIVERDETAILS_FCCCOMP_UNDEFINED;
  d.wMid = 1;
  d.wPid = 105;
  d.vdwACM = 0x04320000;
  d.vdwDriver = 0x01000000;
  d.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
  d.cFormatTags = 2;
  d.cFilterTags = 0;
  d.hicon = nullptr;
  AcmWiden(d.szShortName, ACMDRIVERDETAILS_SHORTNAME_CHARS, "Xbox ADPCM");
  AcmWiden(d.szLongName, ACMDRIVERDETAILS_LONGNAME_CHARS, "Xbox ADPCM Codec");
  AcmWiden(d.szCopyright, ACMDRIVERDETAILS_COPYRIGHT_CHARS, kCredit);
  AcmWiden(d.szLicensing, ACMDRIVERDETAILS_LICENSING_CHARS, "");
  AcmWiden(d.szFeatures, ACMDRIVERDETAILS_FEATURES_CHARS, "Codec converts Xbox ADPCM <-> PCM");

  return AcmCopyDriverDetails(d, padd);
}

LRESULT DriverAbout(LPARAM hwndOwner) {
  if (hwndOwner == -1) return MMSYSERR_NOERROR;
  char text[128];
  std::strcpy(text, "XBox ADPCM Audio Codec by ");
  std::strcat(text, kAuthor);
  MessageBoxA(reinterpret_cast<HWND>(hwndOwner), text, "About XBox ADPCM", MB_OK | MB_ICONINFORMATION);
  return MMSYSERR_NOERROR;
}

LRESULT FormatTagDetails(ACMFORMATTAGDETAILSW* paftd, DWORD fdwDetails) {
  if (!paftd || paftd->cbStruct < sizeof(ACMFORMATTAGDETAILSW)) return MMSYSERR_INVALPARAM;
  DWORD index;
  switch (fdwDetails) {
    case ACM_FORMATTAGDETAILSF_INDEX:
      if (paftd->dwFormatTagIndex > 1) return ACMERR_NOTPOSSIBLE;
      index = paftd->dwFormatTagIndex;
      break;
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
      if (paftd->dwFormatTag == 0) {
        index = 1;
        break;
      }
      [[fallthrough]];
    case ACM_FORMATTAGDETAILSF_FORMATTAG:
      if (paftd->dwFormatTag == WAVE_FORMAT_PCM)
        index = 0;
      else if (paftd->dwFormatTag == WAVE_FORMAT_XBOX_ADPCM)
        index = 1;
      else
        return ACMERR_NOTPOSSIBLE;
      break;
    default:
      return MMSYSERR_INVALFLAG;
  }
  paftd->dwFormatTagIndex = index;
  paftd->cbStruct = sizeof(ACMFORMATTAGDETAILSW);
  paftd->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
  paftd->cStandardFormats = 8;
  if (index == 0) {
    paftd->dwFormatTag = WAVE_FORMAT_PCM;
    paftd->cbFormatSize = 16;
    paftd->szFormatTag[0] = 0;
  } else {
    paftd->dwFormatTag = WAVE_FORMAT_XBOX_ADPCM;
    paftd->cbFormatSize = 20;
    AcmWiden(paftd->szFormatTag, ACMFORMATTAGDETAILS_FORMATTAG_CHARS, "Xbox ADPCM");
  }
  return MMSYSERR_NOERROR;
}

LRESULT FormatDetails(ACMFORMATDETAILSW* pafd, DWORD fdwDetails) {
  if (!pafd || pafd->cbStruct < sizeof(ACMFORMATDETAILSW) || !pafd->pwfx || pafd->cbwfx < 16)
    return MMSYSERR_INVALPARAM;
  WAVEFORMATEX* pwfx = pafd->pwfx;
  switch (fdwDetails) {
    case ACM_FORMATDETAILSF_INDEX: {
      if ((pafd->dwFormatTag != WAVE_FORMAT_PCM && pafd->dwFormatTag != WAVE_FORMAT_XBOX_ADPCM) ||
          pafd->dwFormatIndex >= 8)
        return ACMERR_NOTPOSSIBLE;
      const StandardFormat& f = kStandardFormats[pafd->dwFormatIndex];
      pwfx->wFormatTag = static_cast<WORD>(pafd->dwFormatTag);
      pwfx->nChannels = f.nChannels;
      pwfx->nSamplesPerSec = f.nSamplesPerSec;
      pwfx->wBitsPerSample = pafd->dwFormatTag == WAVE_FORMAT_PCM ? 16 : 4;
      CompleteFormat(pwfx, pafd->cbwfx);
      break;
    }
    case ACM_FORMATDETAILSF_FORMAT:
      if (!IsValidFormat(pwfx)) return ACMERR_NOTPOSSIBLE;
      pafd->dwFormatTag = pwfx->wFormatTag;
      CompleteFormat(pwfx, pafd->cbwfx);
      break;
    default:
      pafd->dwFormatTag = 0;
      return MMSYSERR_INVALFLAG;
  }
  pafd->cbStruct = sizeof(ACMFORMATDETAILSW);
  pafd->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CODEC;
  pafd->szFormat[0] = 0;
  return MMSYSERR_NOERROR;
}

LRESULT FormatSuggest(ACMDRVFORMATSUGGEST* padfs) {
  if (!padfs || padfs->cbStruct < sizeof(ACMDRVFORMATSUGGEST) || !padfs->pwfxSrc || !padfs->pwfxDst ||
      padfs->cbwfxSrc < 16 || padfs->cbwfxDst < 16)
    return MMSYSERR_INVALPARAM;
  const WAVEFORMATEX* src = padfs->pwfxSrc;
  WAVEFORMATEX* dst = padfs->pwfxDst;
  if (!IsValidFormat(src)) return ACMERR_NOTPOSSIBLE;
  const bool srcPcm = src->wFormatTag == WAVE_FORMAT_PCM;
  const DWORD fix = padfs->fdwSuggest;
  if (!(fix & ACM_FORMATSUGGESTF_NCHANNELS)) dst->nChannels = src->nChannels;
  if (!(fix & ACM_FORMATSUGGESTF_NSAMPLESPERSEC)) dst->nSamplesPerSec = src->nSamplesPerSec;
  if (!(fix & ACM_FORMATSUGGESTF_WBITSPERSAMPLE)) dst->wBitsPerSample = srcPcm ? 4 : 16;
  if (!(fix & ACM_FORMATSUGGESTF_WFORMATTAG))
    dst->wFormatTag = srcPcm ? WAVE_FORMAT_XBOX_ADPCM : WAVE_FORMAT_PCM;
  if (!IsValidFormat(dst)) return ACMERR_NOTPOSSIBLE;
  CompleteFormat(dst, padfs->cbwfxDst);
  return MMSYSERR_NOERROR;
}

bool IsValidAdpcmBlock(const WAVEFORMATEX* pwfx) {
  const int n = pwfx->nChannels;
  const int b = pwfx->nBlockAlign;
  if (b < 8 * n || b % 4 != 0) return false;
  return XboxAdpcmSamplesPerBlock(b, n) % 8 == 0;
}

// A pair of formats this driver converts between.
bool IsStreamPair(const WAVEFORMATEX* src, const WAVEFORMATEX* dst) {
  if (src->wFormatTag == dst->wFormatTag || src->nChannels != dst->nChannels ||
      src->nSamplesPerSec != dst->nSamplesPerSec || !IsValidFormat(src) || !IsValidFormat(dst))
    return false;
  const WAVEFORMATEX* pcm = src->wFormatTag == WAVE_FORMAT_PCM ? src : dst;
  const WAVEFORMATEX* adpcm = pcm == src ? dst : src;
  return pcm->nBlockAlign == pcm->nChannels * pcm->wBitsPerSample / 8 && IsValidAdpcmBlock(adpcm);
}

LRESULT StreamOpen(ACMDRVSTREAMINSTANCE* padsi) {
  if (!padsi || padsi->cbStruct < sizeof(ACMDRVSTREAMINSTANCE) || !padsi->pwfxSrc || !padsi->pwfxDst)
    return MMSYSERR_INVALPARAM;
  if (!IsStreamPair(padsi->pwfxSrc, padsi->pwfxDst)) return ACMERR_NOTPOSSIBLE;
  if (padsi->fdwOpen & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;
  auto* inst = static_cast<AdpcmStreamInstance*>(std::calloc(1, sizeof(AdpcmStreamInstance)));
  if (!inst) return MMSYSERR_NOMEM;
  inst->cbStruct = sizeof(AdpcmStreamInstance);
  padsi->dwDriver = reinterpret_cast<DWORD_PTR>(inst);
  return MMSYSERR_NOERROR;
}

LRESULT StreamClose(ACMDRVSTREAMINSTANCE* padsi) {
  if (!padsi) return MMSYSERR_INVALPARAM;
  std::free(reinterpret_cast<void*>(padsi->dwDriver));
  padsi->dwDriver = 0;
  return MMSYSERR_NOERROR;
}

bool HasFormats(const ACMDRVSTREAMINSTANCE* padsi) {
  return padsi && padsi->cbStruct >= sizeof(ACMDRVSTREAMINSTANCE) && padsi->pwfxSrc && padsi->pwfxDst;
}

LRESULT StreamSize(ACMDRVSTREAMINSTANCE* padsi, ACMDRVSTREAMSIZE* padss) {
  if (!HasFormats(padsi) || !padss || padss->cbStruct < sizeof(ACMDRVSTREAMSIZE))
    return MMSYSERR_INVALPARAM;
  const WAVEFORMATEX* src = padsi->pwfxSrc;
  const WAVEFORMATEX* dst = padsi->pwfxDst;
  const bool decode = src->wFormatTag == WAVE_FORMAT_XBOX_ADPCM && dst->wFormatTag == WAVE_FORMAT_PCM;
  const bool encode = src->wFormatTag == WAVE_FORMAT_PCM && dst->wFormatTag == WAVE_FORMAT_XBOX_ADPCM;
  if (!decode && !encode) return MMSYSERR_NOTSUPPORTED;
  if (!IsStreamPair(src, dst)) return ACMERR_NOTPOSSIBLE;  // not a stream this driver opens
  const WAVEFORMATEX* adpcm = decode ? src : dst;
  const WAVEFORMATEX* pcm = decode ? dst : src;
  const uint32_t b = adpcm->nBlockAlign;
  const uint32_t k = 2u * (b - 4u * adpcm->nChannels);
  const uint32_t f = pcm->nBlockAlign;
  const uint32_t w = f / 2;
  auto up = [](uint32_t a, uint32_t d) { return a / d + (a % d != 0); };
  switch (padss->fdwSize) {
    case ACM_STREAMSIZEF_SOURCE:
      padss->cbDstLength = decode ? up(up(padss->cbSrcLength, b) * k, w) * f
                                  : up(up(padss->cbSrcLength, f) * w, k) * b;
      break;
    case ACM_STREAMSIZEF_DESTINATION:
      padss->cbSrcLength = decode ? padss->cbDstLength / f * w / k * b
                                  : padss->cbDstLength / b * k / w * f;
      break;
    default:
      return MMSYSERR_INVALFLAG;
  }
  return MMSYSERR_NOERROR;
}

LRESULT StreamConvert(ACMDRVSTREAMINSTANCE* padsi, ACMDRVSTREAMHEADER* padsh) {
  // The header is the application's, whose cbStruct counts the byte-packed ACMSTREAMHEADER; the
  // fields read here lie at the same offsets in both forms.
  if (!padsi || padsi->cbStruct < sizeof(ACMDRVSTREAMINSTANCE) || !padsh ||
      padsh->cbStruct < sizeof(ACMSTREAMHEADER))
    return MMSYSERR_INVALPARAM;
  auto* inst = reinterpret_cast<AdpcmStreamInstance*>(padsi->dwDriver);
  if (!inst || !padsi->pwfxSrc || !padsi->pwfxDst) return MMSYSERR_INVALPARAM;
  // The block and sample sizes below hold only for a pair the driver opens.
  if (!IsStreamPair(padsi->pwfxSrc, padsi->pwfxDst)) return ACMERR_NOTPOSSIBLE;
  AdpcmStreamState* state = &inst->state;
  if (padsh->fdwConvert & ACM_STREAMCONVERTF_START) *state = AdpcmStreamState{};

  const WAVEFORMATEX* src = padsi->pwfxSrc;
  const WAVEFORMATEX* dst = padsi->pwfxDst;
  const bool decode = dst->wFormatTag == WAVE_FORMAT_PCM;
  const WAVEFORMATEX* adpcm = decode ? src : dst;
  const WAVEFORMATEX* pcm = decode ? dst : src;
  const int n = adpcm->nChannels;
  const DWORD b = adpcm->nBlockAlign;
  const WORD k = static_cast<WORD>(2 * (b - 4 * n));
  const DWORD p = static_cast<DWORD>(pcm->wBitsPerSample) * k / 8;
  const int s = k / n;
  padsh->cbSrcLengthUsed = 0;
  padsh->cbDstLengthUsed = 0;
  if (b == 0 || p == 0 || s <= 0) return MMSYSERR_NOERROR;

  DWORD blocks = decode ? padsh->cbSrcLength / b : padsh->cbSrcLength / p;
  const DWORD room = decode ? padsh->cbDstLength / p : padsh->cbDstLength / b;
  if (room < blocks) blocks = room;
  const BYTE* in = padsh->pbSrc;
  BYTE* out = padsh->pbDst;
  // The PCM side goes through a block of scratch when the caller's buffer is not 2-byte
  // aligned (a block's PCM is whole samples, so that holds for every block); blocks larger
  // than the scratch on the stack take one from the heap.
  const bool aligned = reinterpret_cast<uintptr_t>(decode ? out : in) % alignof(int16_t) == 0;
  int16_t small[2 * 4096];
  std::unique_ptr<int16_t[]> large;
  int16_t* scratch = small;
  if (!aligned && blocks > 0 && static_cast<size_t>(s) * n > sizeof small / sizeof small[0]) {
    large.reset(new (std::nothrow) int16_t[static_cast<size_t>(s) * n]);
    if (!large) return MMSYSERR_NOMEM;
    scratch = large.get();
  }
  for (DWORD i = 0; i < blocks; ++i) {
    if (decode) {
      if (aligned) {
        XboxAdpcmDecodeBlock(in, reinterpret_cast<int16_t*>(out), s, n, state);
      } else {
        XboxAdpcmDecodeBlock(in, scratch, s, n, state);
        std::memcpy(out, scratch, p);
      }
      in += b;
      out += p;
      padsh->cbSrcLengthUsed += b;
      padsh->cbDstLengthUsed += p;
    } else {
      if (aligned) {
        XboxAdpcmEncodeBlock(reinterpret_cast<const int16_t*>(in), out, s, n, state);
      } else {
        std::memcpy(scratch, in, p);
        XboxAdpcmEncodeBlock(scratch, out, s, n, state);
      }
      in += p;
      out += b;
      padsh->cbSrcLengthUsed += p;
      padsh->cbDstLengthUsed += b;
    }
  }
  return MMSYSERR_NOERROR;
}

}  // namespace

LRESULT CALLBACK XboxAdpcmDriverProc(DWORD_PTR dwDriverId, HACMDRIVERID hDriver, UINT uMsg,
                                     LPARAM lParam1, LPARAM lParam2) {
  switch (uMsg) {
    case DRV_LOAD:
    case DRV_INSTALL:
      return 1;
    case DRV_ENABLE:
    case DRV_DISABLE:
    case DRV_EXITSESSION:
      return 0;
    case DRV_OPEN:
      return ADPCM_DRIVER_INSTANCE;
    case DRV_CLOSE:
      return dwDriverId == ADPCM_DRIVER_INSTANCE ? 1 : 0;
    case DRV_FREE:
    case DRV_REMOVE:
      return 1;
    case DRV_CONFIGURE:
    case DRV_QUERYCONFIGURE:
    case DRV_POWER:
      return 0;
    case ACMDM_DRIVER_NOTIFY:
      return 0;
    case ACMDM_DRIVER_DETAILS:
      return DriverDetails(reinterpret_cast<ACMDRIVERDETAILSW*>(lParam1));
    case ACMDM_DRIVER_ABOUT:
      return DriverAbout(lParam1);
    case ACMDM_HARDWARE_WAVE_CAPS_INPUT:
    case ACMDM_HARDWARE_WAVE_CAPS_OUTPUT:
      return MMSYSERR_NOTSUPPORTED;
    case ACMDM_FORMATTAG_DETAILS:
      return FormatTagDetails(reinterpret_cast<ACMFORMATTAGDETAILSW*>(lParam1), static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_DETAILS:
      return FormatDetails(reinterpret_cast<ACMFORMATDETAILSW*>(lParam1), static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_SUGGEST:
      return FormatSuggest(reinterpret_cast<ACMDRVFORMATSUGGEST*>(lParam1));
    case ACMDM_FILTERTAG_DETAILS:
    case ACMDM_FILTER_DETAILS:
      return MMSYSERR_NOTSUPPORTED;
    case ACMDM_STREAM_OPEN:
      return StreamOpen(reinterpret_cast<ACMDRVSTREAMINSTANCE*>(lParam1));
    case ACMDM_STREAM_CLOSE:
      return StreamClose(reinterpret_cast<ACMDRVSTREAMINSTANCE*>(lParam1));
    case ACMDM_STREAM_SIZE:
      return StreamSize(reinterpret_cast<ACMDRVSTREAMINSTANCE*>(lParam1),
                        reinterpret_cast<ACMDRVSTREAMSIZE*>(lParam2));
    case ACMDM_STREAM_CONVERT:
      return StreamConvert(reinterpret_cast<ACMDRVSTREAMINSTANCE*>(lParam1),
                           reinterpret_cast<ACMDRVSTREAMHEADER*>(lParam2));
    case ACMDM_STREAM_RESET:
      return MMSYSERR_NOTSUPPORTED;
    case ACMDM_STREAM_PREPARE:
    case ACMDM_STREAM_UNPREPARE:
      return MMSYSERR_NOERROR;
    default:
      return DefDriverProc(dwDriverId, reinterpret_cast<HDRVR>(hDriver), uMsg, lParam1, lParam2);
  }
}
