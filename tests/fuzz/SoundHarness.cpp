#include "tests/fuzz/SoundHarness.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "audio/OggFileSource.h"
#include "codec/AcmDriverRegistration.h"
#include "codec/XboxAdpcmDriver.h"
#include "export/SoundExport.h"

namespace {

// The playback ring: 44100 Hz, stereo, 16 bits, 8 slots of 16384 bytes.
const WAVEFORMATEX kDeviceFormat = {WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
constexpr int kSlotCount = 8;
constexpr int kSlotBytes = 16384;
constexpr int kExportBytes = 8192;
// A chain that still delivers after this many fills is taken never to end.
constexpr int kMaxFills = 1 << 16;

bool Fail(std::string* pWhy, const std::string& text) {
  if (pWhy) *pWhy = text;
  return false;
}

// A read-only stream over bytes that stay the caller's; null for none.
FILE* OpenMemory(const uint8_t* p, size_t n) {
  return n ? fmemopen(const_cast<uint8_t*>(p), n, "rb") : nullptr;
}

// Fills until a fill comes back empty. Every fill must be whole frames of the target's format.
bool Drain(CSampleBuffer& target, const char* what, std::string* pWhy) {
  const int align = target.m_wfx.nBlockAlign;
  for (int i = 0; i < kMaxFills; ++i) {
    target.Fill();
    const int n = target.m_nValid;
    if (n <= 0) return true;
    if (n > target.m_nCapacity || n % align != 0)
      return Fail(pWhy, std::string(what) + ": a fill of " + std::to_string(n) + " bytes in frames of " +
                            std::to_string(align));
  }
  return Fail(pWhy, std::string(what) + ": the chain never ends");
}

CSoundSource* NewSource(bool bOgg, int64_t nStored) {
  if (bOgg) return new COggFileSource;
  return new CWaveFileSource(nStored);
}

// Playback: the stored bytes alone, as the playback file holds them, into the device's ring.
bool Play(const uint8_t* p, size_t stored, bool bOgg, std::string* pWhy) {
  FILE* f = OpenMemory(p, stored);
  if (!f) return true;
  bool ok = true;
  {
    CWaveBufferRing ring;
    ring.SetFormat(&kDeviceFormat);
    ring.Create(kSlotCount, kSlotBytes);
    std::unique_ptr<CSoundSource> source(NewSource(bOgg, -1));
    if (source->OpenStream(f) && source->Attach(&ring) == 0) ok = Drain(ring, "playback", pWhy);
  }
  fclose(f);
  return ok;
}

// Another consumer's format, read from a stream that runs on past the stored bytes.
bool Convert(const uint8_t* p, size_t total, size_t stored, bool bOgg, uint8_t flags, std::string* pWhy) {
  FILE* f = OpenMemory(p, bOgg ? stored : total);
  if (!f) return true;
  bool ok = true;
  {
    CSampleBuffer target;
    std::unique_ptr<CSoundSource> source(NewSource(bOgg, static_cast<int64_t>(stored)));
    if (source->OpenStream(f)) {
      WAVEFORMATEX wfx{};
      wfx.wFormatTag = WAVE_FORMAT_PCM;
      wfx.nChannels = (flags & 2) ? 2 : 1;
      wfx.wBitsPerSample = (flags & 4) ? 8 : 16;
      wfx.nSamplesPerSec = (flags & 8) ? 11025 : source->m_primary.m_wfx.nSamplesPerSec;
      wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * wfx.wBitsPerSample / 8);
      wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
      target.SetFormat(&wfx);
      target.Allocate(kExportBytes);
      if (source->Attach(&target) == 0) ok = Drain(target, "conversion", pWhy);
    }
  }
  const long end = ftell(f);
  fclose(f);
  if (ok && end > static_cast<long>(stored))
    return Fail(pWhy, "conversion: read " + std::to_string(end) + " of " + std::to_string(stored) + " stored bytes");
  return ok;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }

// A canonical PCM WAVE file whose sizes agree with its length.
bool CheckWaveFile(const std::string& path, std::string* pWhy) {
  std::vector<uint8_t> b;
  if (FILE* f = fopen(path.c_str(), "rb")) {
    uint8_t buf[65536];
    for (size_t n; (n = fread(buf, 1, sizeof buf, f)) > 0;) b.insert(b.end(), buf, buf + n);
    fclose(f);
  }
  if (b.size() < 44) return Fail(pWhy, "extract: a file of " + std::to_string(b.size()) + " bytes");
  const uint32_t n = Le32(b, 40), channels = Le16(b, 22), rate = Le32(b, 24), align = Le16(b, 32),
                 bits = Le16(b, 34);
  const bool header = memcmp(b.data(), "RIFF", 4) == 0 && memcmp(b.data() + 8, "WAVEfmt ", 8) == 0 &&
                      Le32(b, 16) == 16 && Le16(b, 20) == 1 && memcmp(b.data() + 36, "data", 4) == 0;
  if (!header || (channels != 1 && channels != 2) || align == 0 || align != channels * bits / 8 ||
      Le32(b, 28) != align * rate)
    return Fail(pWhy, "extract: not a canonical PCM header");
  if (b.size() != 44 + uint64_t{n} + (n & 1) || Le32(b, 4) != b.size() - 8 || n % align != 0)
    return Fail(pWhy, "extract: sizes that disagree with the file");
  return true;
}

// The export writer over a metafile-like stream: the sound, then the next sound's bytes.
bool Extract(const uint8_t* p, size_t total, size_t stored, const std::string& scratch, std::string* pWhy) {
  FILE* f = OpenMemory(p, total);
  if (!f) return true;
  const std::string path = scratch + "/extract.wav";
  const bool written = ExtractWaveStream(f, static_cast<int64_t>(stored), path.c_str());
  const long end = ftell(f);
  fclose(f);
  bool ok = true;
  if (end > static_cast<long>(stored))
    ok = Fail(pWhy, "extract: read " + std::to_string(end) + " of " + std::to_string(stored) + " stored bytes");
  else if (written)
    ok = CheckWaveFile(path, pWhy);
  unlink(path.c_str());
  return ok;
}

// Takes values from the driver input; zeros once it is used up.
class Input {
 public:
  Input(const uint8_t* p, size_t n) : m_p(p), m_n(n) {}
  size_t Left() const { return m_n; }
  template <class T>
  T Take() {
    T v{};
    const size_t k = std::min(sizeof v, m_n);
    memcpy(&v, m_p, k);
    m_p += k;
    m_n -= k;
    return v;
  }
  template <class T, size_t N>
  T Pick(const T (&values)[N]) {
    return values[Take<uint8_t>() % N];
  }
  void Fill(uint8_t* p, size_t n) {
    const size_t k = std::min(n, m_n);
    if (k) memcpy(p, m_p, k);
    for (size_t i = k; i < n; ++i) p[i] = static_cast<uint8_t>(i * 37);
    m_p += k;
    m_n -= k;
  }

 private:
  const uint8_t* m_p;
  size_t m_n;
};

#pragma pack(push, 1)
struct Format {  // as the codec completes it: cbSize 2 and the samples per block
  WAVEFORMATEX wfx;
  WORD wSamplesPerBlock;
};
#pragma pack(pop)

Format TakeFormat(Input& in) {
  Format f{};
  const uint8_t how = in.Take<uint8_t>();
  if (how & 1) {
    in.Fill(reinterpret_cast<uint8_t*>(&f), sizeof f);
    return f;
  }
  static const WORD kTags[] = {WAVE_FORMAT_PCM, WAVE_FORMAT_XBOX_ADPCM};
  static const WORD kChannels[] = {1, 2, 1, 2, 0, 3, 8, 0xFFFF};
  static const DWORD kRates[] = {8000, 11025, 22050, 44100, 0, 999, 1000, 0xFFFFFFFF};
  static const WORD kBits[] = {16, 4, 8, 0};
  WAVEFORMATEX& w = f.wfx;
  w.wFormatTag = kTags[(how >> 1) & 1];
  w.nChannels = in.Pick(kChannels);
  w.nSamplesPerSec = in.Pick(kRates);
  w.wBitsPerSample = (how & 4) ? in.Pick(kBits) : w.wFormatTag == WAVE_FORMAT_PCM ? 16 : 4;
  if (how & 8)
    w.nBlockAlign = in.Take<WORD>();
  else
    w.nBlockAlign = static_cast<WORD>(w.wFormatTag == WAVE_FORMAT_PCM ? w.nChannels * w.wBitsPerSample / 8
                                                                         : 36 * w.nChannels);
  w.nAvgBytesPerSec = w.nSamplesPerSec * w.nBlockAlign;
  w.cbSize = w.wFormatTag == WAVE_FORMAT_PCM ? 0 : 2;
  f.wSamplesPerBlock = 64;
  return f;
}

LRESULT Driver(UINT msg, void* p1, void* p2 = nullptr) {
  return XboxAdpcmDriverProc(ADPCM_DRIVER_INSTANCE, nullptr, msg, reinterpret_cast<LPARAM>(p1),
                             reinterpret_cast<LPARAM>(p2));
}

// Bytes per unit that a stream the driver opened converts: one block on the ADPCM side,
// its samples on the 16-bit PCM side. The driver counts a block's samples in 16 bits, so
// blocks of 64 Ki samples or more convert fewer than they hold: not `exact`.
struct Units {
  uint32_t src, dst;
  bool exact;
};
Units UnitsOf(const ACMDRVSTREAMINSTANCE& inst) {
  const bool decode = inst.pwfxDst->wFormatTag == WAVE_FORMAT_PCM;
  const WAVEFORMATEX* adpcm = decode ? inst.pwfxSrc : inst.pwfxDst;
  const uint32_t block = adpcm->nBlockAlign, samples = 2 * (block - 4u * adpcm->nChannels);
  const bool exact = samples <= 0xFFFF;
  return decode ? Units{block, 2 * samples, exact} : Units{2 * samples, block, exact};
}

// One conversion into buffers of exactly the given sizes (offset by `skew` bytes from their
// allocation); false when the used counts break the driver's promises.
bool ConvertOnce(ACMDRVSTREAMINSTANCE& inst, bool opened, Input& in, DWORD cbSrc, DWORD cbDst, DWORD flags,
                 DWORD cbStruct, int skew, std::string* pWhy) {
  std::unique_ptr<uint8_t[]> src(new uint8_t[cbSrc + skew]), dst(new uint8_t[cbDst + skew]);
  in.Fill(src.get() + skew, cbSrc);
  ACMDRVSTREAMHEADER h{};
  h.cbStruct = cbStruct;
  h.pbSrc = src.get() + skew;
  h.cbSrcLength = cbSrc;
  h.pbDst = dst.get() + skew;
  h.cbDstLength = cbDst;
  h.fdwConvert = flags;
  h.cbSrcLengthUsed = h.cbDstLengthUsed = 0xDEADBEEF;
  const LRESULT r = Driver(ACMDM_STREAM_CONVERT, &inst, &h);
  if (r != MMSYSERR_NOERROR) return true;
  if (h.cbSrcLengthUsed > cbSrc || h.cbDstLengthUsed > cbDst) return Fail(pWhy, "convert: used more than given");
  if (!opened) return true;
  // Every whole unit that fits both sides is converted, whatever the buffers' alignment.
  const Units u = UnitsOf(inst);
  if (!u.exact) return true;
  const uint32_t units = std::min(cbSrc / u.src, cbDst / u.dst);
  if (h.cbSrcLengthUsed != units * u.src || h.cbDstLengthUsed != units * u.dst)
    return Fail(pWhy, "convert: " + std::to_string(h.cbSrcLengthUsed) + " of " + std::to_string(cbSrc) +
                          " source and " + std::to_string(h.cbDstLengthUsed) + " of " + std::to_string(cbDst) +
                          " destination bytes used");
  return true;
}

}  // namespace

void SoundHarnessInit() {
  if (!RegisterAcmDrivers()) abort();
}

bool RunSoundInput(const uint8_t* data, size_t size, const std::string& scratch, std::string* pWhy) {
  if (size < 3) return true;
  const uint8_t flags = data[0];
  const size_t tail = data[1] | data[2] << 8;
  const uint8_t* body = data + 3;
  const size_t total = size - 3;
  const size_t stored = total - std::min(tail, total);
  const bool ogg = flags & 1;
  if (!Play(body, stored, ogg, pWhy)) return false;
  if (!Convert(body, total, stored, ogg, flags, pWhy)) return false;
  return ogg || Extract(body, total, stored, scratch, pWhy);
}

bool RunAdpcmDriverInput(const uint8_t* data, size_t size, std::string* pWhy) {
  Input in(data, size);
  Format src = TakeFormat(in), dst = TakeFormat(in);
  ACMDRVSTREAMINSTANCE inst{};
  const uint8_t how = in.Take<uint8_t>();
  inst.cbStruct = (how & 1) ? in.Take<uint8_t>() % 64 : sizeof inst;
  inst.pwfxSrc = (how & 2) ? nullptr : &src.wfx;
  inst.pwfxDst = (how & 4) ? nullptr : &dst.wfx;
  inst.fdwOpen = in.Take<uint8_t>();
  const bool opened = Driver(ACMDM_STREAM_OPEN, &inst) == MMSYSERR_NOERROR && !(inst.fdwOpen & ACM_STREAMOPENF_QUERY);
  if (!opened) {
    inst.dwDriver = 0;
    // Formats the driver did not open, with an instance block as it would have made one.
    if (!(how & 8)) {
      auto* block = static_cast<DWORD*>(calloc(3, sizeof(DWORD)));
      block[0] = 12;
      inst.dwDriver = reinterpret_cast<DWORD_PTR>(block);
    }
  }
  bool ok = true;
  for (int op = 0; ok && op < 32 && in.Left() > 0; ++op) {
    const uint8_t what = in.Take<uint8_t>();
    if (what & 1) {
      static const DWORD kFlags[] = {ACM_STREAMSIZEF_SOURCE, ACM_STREAMSIZEF_DESTINATION, 2, 0xFFFFFFFF};
      ACMDRVSTREAMSIZE s{};
      s.cbStruct = (what & 2) ? in.Take<uint8_t>() % 32 : sizeof s;
      s.fdwSize = in.Pick(kFlags);
      const DWORD length = (what & 4) ? in.Take<DWORD>() : in.Take<uint16_t>();
      (s.fdwSize == ACM_STREAMSIZEF_SOURCE ? s.cbSrcLength : s.cbDstLength) = length;
      if (Driver(ACMDM_STREAM_SIZE, &inst, &s) != MMSYSERR_NOERROR || !opened) continue;
      // The size answered is one that a conversion fills as promised.
      if (s.cbSrcLength > (1u << 18) || s.cbDstLength > (1u << 18)) continue;
      const Units u = UnitsOf(inst);
      if (s.fdwSize == ACM_STREAMSIZEF_SOURCE && s.cbDstLength < (s.cbSrcLength / u.src) * u.dst)
        ok = Fail(pWhy, "size: too little destination for the source");
      else if (s.fdwSize == ACM_STREAMSIZEF_DESTINATION && s.cbSrcLength % u.src != 0)
        ok = Fail(pWhy, "size: a source that is not whole units");
      else
        ok = ConvertOnce(inst, opened, in, s.cbSrcLength, s.cbDstLength,
                         ACM_STREAMCONVERTF_BLOCKALIGN | ACM_STREAMCONVERTF_START, sizeof(ACMDRVSTREAMHEADER), 0,
                         pWhy);
    } else {
      const DWORD cbSrc = in.Take<uint16_t>() % 40000, cbDst = in.Take<uint16_t>() * 2u;
      const DWORD cbStruct = (what & 2) ? in.Take<uint8_t>() : sizeof(ACMDRVSTREAMHEADER);
      const DWORD flags = (what & 4) ? in.Take<DWORD>() : ACM_STREAMCONVERTF_BLOCKALIGN;
      ok = ConvertOnce(inst, opened, in, cbSrc, cbDst, flags, cbStruct, (what >> 3) & 1, pWhy);
    }
  }
  if (inst.dwDriver) {
    inst.cbStruct = sizeof inst;
    Driver(ACMDM_STREAM_CLOSE, &inst);
  }
  return ok;
}
