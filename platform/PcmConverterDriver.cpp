#include "platform/PcmConverterDriver.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "platform/AcmDriverSupport.h"
#include "platform/PcmResampler.h"

namespace {

constexpr DWORD kRates[] = {8000, 11025, 22050, 44100, 48000};
constexpr DWORD kStandardFormats = 20;  // rates x {8, 16} bits x {1, 2} channels
constexpr size_t kMaxBacklog = 1 << 16;  // input frames a stream may hold unconverted

struct PcmStream {
  WAVEFORMATEX src, dst;
  std::unique_ptr<PcmResampler> resampler;  // null when the rates are equal
  std::vector<float> in, out;
};

bool IsValidPcm(const WAVEFORMATEX* p) {
  return p->wFormatTag == WAVE_FORMAT_PCM && (p->nChannels == 1 || p->nChannels == 2) &&
         (p->wBitsPerSample == 8 || p->wBitsPerSample == 16) && p->nSamplesPerSec >= PCMCONV_MIN_RATE &&
         p->nSamplesPerSec <= PCMCONV_MAX_RATE;
}

LRESULT DriverDetails(ACMDRIVERDETAILSW* padd) {
  ACMDRIVERDETAILSW d;
  std::memset(&d, 0, sizeof d);
  d.fccType = ACMDRIVERDETAILS_FCCTYPE_AUDIOCODEC;
  d.wMid = 0xFFFF;
  d.wPid = 0xFFFF;
  d.vdwACM = 0x04320000;
  d.vdwDriver = 0x01000000;
  d.fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  d.cFormatTags = 1;
  AcmWiden(d.szShortName, ACMDRIVERDETAILS_SHORTNAME_CHARS, "PCM Converter");
  AcmWiden(d.szLongName, ACMDRIVERDETAILS_LONGNAME_CHARS, "Quarn Vantor PCM Converter");
  AcmWiden(d.szCopyright, ACMDRIVERDETAILS_COPYRIGHT_CHARS, "Written by the Quarn Vantor developers");
  AcmWiden(d.szFeatures, ACMDRIVERDETAILS_FEATURES_CHARS, "Converts PCM sample rate, channels and 8/16 bits");
  return AcmCopyDriverDetails(d, padd);
}

LRESULT FormatTagDetails(ACMFORMATTAGDETAILSW* p, DWORD fdw) {
  if (!p || p->cbStruct < sizeof *p) return MMSYSERR_INVALPARAM;
  switch (fdw) {
    case ACM_FORMATTAGDETAILSF_INDEX:
      if (p->dwFormatTagIndex != 0) return ACMERR_NOTPOSSIBLE;
      break;
    case ACM_FORMATTAGDETAILSF_FORMATTAG:
    case ACM_FORMATTAGDETAILSF_LARGESTSIZE:
      if (p->dwFormatTag != WAVE_FORMAT_PCM && !(fdw == ACM_FORMATTAGDETAILSF_LARGESTSIZE && p->dwFormatTag == 0))
        return ACMERR_NOTPOSSIBLE;
      break;
    default:
      return MMSYSERR_INVALFLAG;
  }
  p->cbStruct = sizeof *p;
  p->dwFormatTagIndex = 0;
  p->dwFormatTag = WAVE_FORMAT_PCM;
  p->cbFormatSize = 16;
  p->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  p->cStandardFormats = kStandardFormats;
  AcmWiden(p->szFormatTag, ACMFORMATTAGDETAILS_FORMATTAG_CHARS, "PCM");
  return MMSYSERR_NOERROR;
}

LRESULT FormatDetails(ACMFORMATDETAILSW* p, DWORD fdw) {
  if (!p || p->cbStruct < sizeof *p || !p->pwfx || p->cbwfx < 16) return MMSYSERR_INVALPARAM;
  WAVEFORMATEX* wfx = p->pwfx;
  switch (fdw) {
    case ACM_FORMATDETAILSF_INDEX:
      if (p->dwFormatTag != WAVE_FORMAT_PCM || p->dwFormatIndex >= kStandardFormats) return ACMERR_NOTPOSSIBLE;
      wfx->wFormatTag = WAVE_FORMAT_PCM;
      wfx->nSamplesPerSec = kRates[p->dwFormatIndex / 4];
      wfx->wBitsPerSample = (p->dwFormatIndex & 2) ? 16 : 8;
      wfx->nChannels = (p->dwFormatIndex & 1) ? 2 : 1;
      break;
    case ACM_FORMATDETAILSF_FORMAT:
      if (!IsValidPcm(wfx)) return ACMERR_NOTPOSSIBLE;
      p->dwFormatTag = WAVE_FORMAT_PCM;
      break;
    default:
      return MMSYSERR_INVALFLAG;
  }
  AcmCompletePcmFormat(wfx, p->cbwfx);
  p->cbStruct = sizeof *p;
  p->fdwSupport = ACMDRIVERDETAILS_SUPPORTF_CONVERTER;
  p->szFormat[0] = 0;
  return MMSYSERR_NOERROR;
}

LRESULT FormatSuggest(ACMDRVFORMATSUGGEST* p) {
  if (!p || p->cbStruct < sizeof *p || !p->pwfxSrc || !p->pwfxDst || p->cbwfxSrc < 16 || p->cbwfxDst < 16)
    return MMSYSERR_INVALPARAM;
  const WAVEFORMATEX* src = p->pwfxSrc;
  WAVEFORMATEX* dst = p->pwfxDst;
  if (!IsValidPcm(src)) return ACMERR_NOTPOSSIBLE;
  if ((p->fdwSuggest & ACM_FORMATSUGGESTF_WFORMATTAG) && dst->wFormatTag != WAVE_FORMAT_PCM)
    return ACMERR_NOTPOSSIBLE;
  WAVEFORMATEX s = *dst;
  s.wFormatTag = WAVE_FORMAT_PCM;
  if (!(p->fdwSuggest & ACM_FORMATSUGGESTF_NCHANNELS)) s.nChannels = src->nChannels;
  if (!(p->fdwSuggest & ACM_FORMATSUGGESTF_NSAMPLESPERSEC)) s.nSamplesPerSec = src->nSamplesPerSec;
  if (!(p->fdwSuggest & ACM_FORMATSUGGESTF_WBITSPERSAMPLE)) s.wBitsPerSample = src->wBitsPerSample;
  if (!IsValidPcm(&s)) return ACMERR_NOTPOSSIBLE;
  std::memcpy(dst, &s, 16);
  AcmCompletePcmFormat(dst, p->cbwfxDst);
  return MMSYSERR_NOERROR;
}

LRESULT StreamOpen(ACMDRVSTREAMINSTANCE* p) {
  if (!p || p->cbStruct < sizeof *p || !p->pwfxSrc || !p->pwfxDst) return MMSYSERR_INVALPARAM;
  const WAVEFORMATEX* src = p->pwfxSrc;
  const WAVEFORMATEX* dst = p->pwfxDst;
  if (p->pwfltr || !IsValidPcm(src) || !IsValidPcm(dst) ||
      src->nBlockAlign != src->nChannels * src->wBitsPerSample / 8 ||
      dst->nBlockAlign != dst->nChannels * dst->wBitsPerSample / 8)
    return ACMERR_NOTPOSSIBLE;
  if (p->fdwOpen & ACM_STREAMOPENF_QUERY) return MMSYSERR_NOERROR;
  auto* s = new (std::nothrow) PcmStream;
  if (!s) return MMSYSERR_NOMEM;
  std::memcpy(&s->src, src, 16);
  std::memcpy(&s->dst, dst, 16);
  s->src.cbSize = s->dst.cbSize = 0;
  if (src->nSamplesPerSec != dst->nSamplesPerSec)
    s->resampler = std::make_unique<PcmResampler>(src->nSamplesPerSec, dst->nSamplesPerSec, dst->nChannels);
  p->dwDriver = reinterpret_cast<DWORD_PTR>(s);
  return MMSYSERR_NOERROR;
}

PcmStream* StreamOf(const ACMDRVSTREAMINSTANCE* p) {
  return p && p->cbStruct >= sizeof *p ? reinterpret_cast<PcmStream*>(p->dwDriver) : nullptr;
}

LRESULT StreamSize(ACMDRVSTREAMINSTANCE* pi, ACMDRVSTREAMSIZE* p) {
  PcmStream* s = StreamOf(pi);
  if (!s || !p || p->cbStruct < sizeof *p) return MMSYSERR_INVALPARAM;
  const uint64_t in = s->src.nSamplesPerSec, out = s->dst.nSamplesPerSec;
  uint64_t bytes;
  switch (p->fdwSize) {
    case ACM_STREAMSIZEF_SOURCE: {
      const uint64_t frames = p->cbSrcLength / s->src.nBlockAlign;
      bytes = (frames * out + in - 1) / in * s->dst.nBlockAlign;
      if (bytes > 0xFFFFFFFFu) return ACMERR_NOTPOSSIBLE;
      p->cbDstLength = static_cast<DWORD>(bytes);
      break;
    }
    case ACM_STREAMSIZEF_DESTINATION: {
      const uint64_t frames = p->cbDstLength / s->dst.nBlockAlign;
      bytes = frames * in / out * s->src.nBlockAlign;
      if (bytes > 0xFFFFFFFFu) return ACMERR_NOTPOSSIBLE;
      p->cbSrcLength = static_cast<DWORD>(bytes);
      break;
    }
    default:
      return MMSYSERR_INVALFLAG;
  }
  return MMSYSERR_NOERROR;
}

// Reads frames into floats at 16-bit scale, mapped to the destination's channel count.
void ReadFrames(const PcmStream& s, const BYTE* src, size_t n, float* out) {
  const int cin = s.src.nChannels, cout = s.dst.nChannels;
  for (size_t i = 0; i < n; ++i) {
    float v[2];
    for (int c = 0; c < cin; ++c) {
      if (s.src.wBitsPerSample == 16) {
        int16_t x;
        std::memcpy(&x, src + (i * cin + c) * 2, 2);
        v[c] = x;
      } else {
        v[c] = (static_cast<int>(src[i * cin + c]) - 128) * 256.0f;
      }
    }
    if (cin == 2 && cout == 1) {
      out[i] = 0.5f * (v[0] + v[1]);
    } else if (cin == 1 && cout == 2) {
      out[2 * i] = out[2 * i + 1] = v[0];
    } else {
      for (int c = 0; c < cout; ++c) out[i * cout + c] = v[c];
    }
  }
}

void WriteFrames(const PcmStream& s, const float* in, size_t n, BYTE* dst) {
  const size_t count = n * s.dst.nChannels;
  for (size_t i = 0; i < count; ++i) {
    if (s.dst.wBitsPerSample == 16) {
      long v = std::lrintf(in[i]);
      const int16_t x = static_cast<int16_t>(v > 32767 ? 32767 : v < -32768 ? -32768 : v);
      std::memcpy(dst + i * 2, &x, 2);
    } else {
      long v = std::lrintf(in[i] / 256.0f) + 128;
      dst[i] = static_cast<BYTE>(v > 255 ? 255 : v < 0 ? 0 : v);
    }
  }
}

LRESULT StreamConvert(ACMDRVSTREAMINSTANCE* pi, ACMDRVSTREAMHEADER* h) {
  PcmStream* s = StreamOf(pi);
  if (!s || !h || h->cbStruct < sizeof *h) return MMSYSERR_INVALPARAM;
  const size_t fin = s->src.nBlockAlign, fout = s->dst.nBlockAlign;
  const size_t cout = s->dst.nChannels;
  size_t nIn = h->cbSrcLength / fin;
  const size_t room = h->cbDstLength / fout;
  size_t produced = 0;
  if (!s->resampler) {
    if (nIn > room) nIn = room;
    s->in.resize(nIn * cout);
    ReadFrames(*s, h->pbSrc, nIn, s->in.data());
    WriteFrames(*s, s->in.data(), nIn, h->pbDst);
    produced = nIn;
  } else {
    PcmResampler& r = *s->resampler;
    s->out.resize(room * cout);
    produced = r.Pull(s->out.data(), room, false);  // what an earlier call could not place
    const size_t buffered = r.Buffered();
    if (buffered + nIn > kMaxBacklog) nIn = buffered < kMaxBacklog ? kMaxBacklog - buffered : 0;
    s->in.resize(nIn * cout);
    ReadFrames(*s, h->pbSrc, nIn, s->in.data());
    r.Push(s->in.data(), nIn);
    const bool end = (h->fdwConvert & ACM_STREAMCONVERTF_END) && nIn * fin == (h->cbSrcLength / fin) * fin;
    produced += r.Pull(s->out.data() + produced * cout, room - produced, end);
    WriteFrames(*s, s->out.data(), produced, h->pbDst);
  }
  h->cbSrcLengthUsed = static_cast<DWORD>(nIn * fin);
  h->cbDstLengthUsed = static_cast<DWORD>(produced * fout);
  return MMSYSERR_NOERROR;
}

}  // namespace

LRESULT CALLBACK PcmConverterDriverProc(DWORD_PTR dwDriverId, HACMDRIVERID hDriver, UINT uMsg,
                                        LPARAM lParam1, LPARAM lParam2) {
  auto* inst = reinterpret_cast<ACMDRVSTREAMINSTANCE*>(lParam1);
  switch (uMsg) {
    case DRV_OPEN:
      return PCMCONV_DRIVER_INSTANCE;
    case DRV_CLOSE:
      return 1;
    case ACMDM_DRIVER_NOTIFY:
      return MMSYSERR_NOERROR;
    case ACMDM_DRIVER_DETAILS:
      return DriverDetails(reinterpret_cast<ACMDRIVERDETAILSW*>(lParam1));
    case ACMDM_DRIVER_ABOUT:
    case ACMDM_HARDWARE_WAVE_CAPS_INPUT:
    case ACMDM_HARDWARE_WAVE_CAPS_OUTPUT:
    case ACMDM_FILTERTAG_DETAILS:
    case ACMDM_FILTER_DETAILS:
    case ACMDM_STREAM_PREPARE:
    case ACMDM_STREAM_UNPREPARE:
      return MMSYSERR_NOTSUPPORTED;
    case ACMDM_FORMATTAG_DETAILS:
      return FormatTagDetails(reinterpret_cast<ACMFORMATTAGDETAILSW*>(lParam1), static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_DETAILS:
      return FormatDetails(reinterpret_cast<ACMFORMATDETAILSW*>(lParam1), static_cast<DWORD>(lParam2));
    case ACMDM_FORMAT_SUGGEST:
      return FormatSuggest(reinterpret_cast<ACMDRVFORMATSUGGEST*>(lParam1));
    case ACMDM_STREAM_OPEN:
      return StreamOpen(inst);
    case ACMDM_STREAM_CLOSE:
      if (!inst) return MMSYSERR_INVALPARAM;
      delete reinterpret_cast<PcmStream*>(inst->dwDriver);
      inst->dwDriver = 0;
      return MMSYSERR_NOERROR;
    case ACMDM_STREAM_SIZE:
      return StreamSize(inst, reinterpret_cast<ACMDRVSTREAMSIZE*>(lParam2));
    case ACMDM_STREAM_CONVERT:
      return StreamConvert(inst, reinterpret_cast<ACMDRVSTREAMHEADER*>(lParam2));
    case ACMDM_STREAM_RESET:
      if (PcmStream* s = StreamOf(inst); s && s->resampler) s->resampler->Reset();
      return MMSYSERR_NOERROR;
    default:
      return DefDriverProc(dwDriverId, reinterpret_cast<HDRVR>(hDriver), uMsg, lParam1, lParam2);
  }
}
