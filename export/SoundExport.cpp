#include "export/SoundExport.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <strings.h>

#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "audio/SoundSource.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/SMFileArchiver.h"
#include "metafile/SoundInfo.h"
#include "platform/PathUtil.h"

namespace {

constexpr int kCopyPiece = 8192;
constexpr int kWaveBufferSize = 8192;
// Output files get a larger stdio buffer than the default, so that small writes are gathered.
constexpr size_t kOutputBufferSize = 64 * 1024;

}  // namespace

FILE* OpenSoundData(const CSoundListModel* pModel, const SoundListItem* pItem, bool bNeedWav) {
  if (!pModel || !pItem || !pItem->pFile) return nullptr;
  const CSMSoundFile& file = *pItem->pFile;
  if (bNeedWav ? file.m_nWavSize == 0 : (file.m_nWavSize == 0 && file.m_nOggSize == 0)) return nullptr;
  if (!file.m_data.IsValid()) return nullptr;
  if (EqualsIgnoringCase(file.m_name.GetText(), "none")) return nullptr;
  CSMFileArchiver ar;
  try {
    ar.Open(pModel->pCatalogue, file.m_data.GetFile(), CArchiver::MODE_LOAD);
    ar.Seek(file.m_data);
  } catch (const CArchiver::xArchiver&) {
    return nullptr;  // the archiver closes what it opened
  }
  return ar.Detach();
}

namespace {

// An output file with a stdio buffer of its own (the C library would size one by the
// file system's block, a few kilobytes).
class COutputFile {
 public:
  explicit COutputFile(const char* pszName) : m_pFile(fopen(pszName, "wb")) {
    if (m_pFile && m_buffer) setvbuf(m_pFile, m_buffer.get(), _IOFBF, kOutputBufferSize);
  }
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;
  ~COutputFile() { Close(); }

  FILE* Get() const { return m_pFile; }
  // False when data still buffered could not be written.
  bool Close() {
    FILE* f = m_pFile;
    m_pFile = nullptr;
    return !f || fclose(f) == 0;
  }

 private:
  std::unique_ptr<char[]> m_buffer{new (std::nothrow) char[kOutputBufferSize]};
  FILE* m_pFile;
};

// Copies `size` bytes in 8192-byte pieces and closes both streams. False when the data
// ends early or a write fails; the output is left as far as it was written.
bool CopyAndClose(FILE* in, COutputFile& out, uint32_t size) {
  bool ok = true;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyPiece]);
  if (!buffer) ok = false;
  for (uint32_t left = size; ok && left > 0;) {
    const size_t piece = left >= static_cast<uint32_t>(kCopyPiece) ? kCopyPiece : left;
    ok = fread(buffer.get(), piece, 1, in) == 1 && fwrite(buffer.get(), piece, 1, out.Get()) == 1;
    left -= static_cast<uint32_t>(piece);
  }
  if (!out.Close()) ok = false;
  fclose(in);
  return ok;
}

void PutLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

void PutLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

bool WriteTag(FILE* out, const char* id, uint32_t value) {
  uint8_t item[8];
  memcpy(item, id, 4);
  PutLe32(item + 4, value);
  return fwrite(item, 8, 1, out) == 1;
}

bool WriteLe32At(FILE* out, long position, uint32_t value) {
  uint8_t item[4];
  PutLe32(item, value);
  return fseek(out, position, SEEK_SET) == 0 && fwrite(item, 4, 1, out) == 1;
}

// Writes the WAVE file: header with zero sizes, the PCM data as the chain delivers it, the
// pad byte, then the patched sizes. True when every write and seek succeeded and the data
// chunk of the source was read to its end.
bool WriteWave(FILE* out, CWaveFileSource& source, CSampleBuffer& target) {
  const long riffPos = ftell(out);
  if (riffPos == -1) return false;
  if (!WriteTag(out, "RIFF", 0) || fwrite("WAVE", 4, 1, out) != 1 || !WriteTag(out, "fmt ", 16)) return false;
  const WAVEFORMATEX& wfx = target.m_wfx;
  uint8_t format[16];
  PutLe16(format, wfx.wFormatTag);
  PutLe16(format + 2, wfx.nChannels);
  PutLe32(format + 4, wfx.nSamplesPerSec);
  PutLe32(format + 8, wfx.nAvgBytesPerSec);
  PutLe16(format + 12, wfx.nBlockAlign);
  PutLe16(format + 14, wfx.wBitsPerSample);
  if (fwrite(format, 16, 1, out) != 1) return false;
  const long dataPos = ftell(out);
  if (dataPos == -1) return false;
  if (!WriteTag(out, "data", 0)) return false;

  // The RIFF size (36 + n + pad) must fit its 32 bits.
  constexpr uint64_t kMaxData = UINT32_MAX - 37;
  uint64_t n = 0;
  for (target.Fill(); target.m_nValid > 0; target.Fill()) {
    if (n + static_cast<uint64_t>(target.m_nValid) > kMaxData) return false;
    if (fwrite(target.m_pData, static_cast<size_t>(target.m_nValid), 1, out) != 1) return false;
    n += static_cast<uint64_t>(target.m_nValid);
  }
  const uint32_t pad = static_cast<uint32_t>(n & 1);
  if (pad && fputc(0, out) == EOF) return false;
  if (!WriteLe32At(out, dataPos + 4, static_cast<uint32_t>(n)) ||
      !WriteLe32At(out, riffPos + 4, static_cast<uint32_t>(36 + n + pad)) || fseek(out, 0, SEEK_END) != 0)
    return false;
  // Data the stored sound promised but did not hold (less than one block is a torn tail,
  // which no decoder could use).
  return source.m_nRemaining < source.m_primary.m_wfx.nBlockAlign;
}

}  // namespace

bool MakeOutputFileName(std::string_view text, const char* pszExtension, std::string& fileName) {
  std::string name(text);
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F) c = '_';
  }
  if (name.empty() || name == "." || name == "..") return false;
  fileName = name + "." + pszExtension;
  return true;
}

bool ExtractRaw(const CSoundListModel* pModel, const SoundListItem* pItem) {
  std::string name;
  FILE* in = OpenSoundData(pModel, pItem, false);
  if (!in) return false;
  const CSMSoundFile& file = *pItem->pFile;
  if (!MakeOutputFileName(file.m_name.GetText(), file.GetExtension(), name)) {
    fclose(in);
    return false;
  }
  COutputFile out(name.c_str());
  if (!out.Get()) {
    fclose(in);
    return false;
  }
  return CopyAndClose(in, out, file.GetSize());
}

bool ExtractWaveStream(FILE* pIn, int64_t nStored, const char* pszPath) {
  // The target outlives the source, which unwires it on destruction.
  CSampleBuffer target;
  CWaveFileSource source(nStored);
  if (!source.OpenStream(pIn)) return false;
  const WAVEFORMATEX& native = source.m_primary.m_wfx;
  WAVEFORMATEX wfx{};
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = native.nChannels;
  wfx.nSamplesPerSec = native.nSamplesPerSec;
  if (native.wFormatTag == WAVE_FORMAT_PCM) {
    wfx.wBitsPerSample = native.wBitsPerSample;
  } else if (native.wFormatTag == WAVE_FORMAT_XBOX_ADPCM) {
    wfx.wBitsPerSample = 16;
  } else {
    return false;
  }
  wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * wfx.wBitsPerSample / 8);
  wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
  target.SetFormat(&wfx);
  target.Allocate(kWaveBufferSize);
  if (source.Connect(&target) != 0) return false;
  COutputFile out(pszPath);
  if (!out.Get()) return false;
  const bool ok = WriteWave(out.Get(), source, target);
  return out.Close() && ok;
}

bool ExtractWave(const CSoundListModel* pModel, const SoundListItem* pItem) {
  if (pItem && pItem->pFile && pItem->pFile->m_nOggSize != 0) return ExtractRaw(pModel, pItem);
  FILE* in = OpenSoundData(pModel, pItem, true);
  if (!in) return false;
  std::string name;
  const bool ok = MakeOutputFileName(pItem->pFile->m_name.GetText(), "wav", name) &&
                  ExtractWaveStream(in, pItem->pFile->m_nWavSize, name.c_str());
  fclose(in);
  return ok;
}

bool PlayItem(const CSoundListModel* pModel, const SoundListItem* pItem) {
  FILE* in = OpenSoundData(pModel, pItem, false);
  if (!in) return false;
  // The playing source may hold the playback file open. Without g_pAudio the file is only
  // prepared.
  if (g_pAudio) g_pAudio->Stop();
  COutputFile out(kPlaybackFileName);
  if (!out.Get()) {
    fclose(in);
    return false;
  }
  if (!CopyAndClose(in, out, pItem->pFile->GetSize())) return false;  // a partial copy is not played
  // True whether or not the play started.
  if (g_pAudio) g_pAudio->Play(kPlaybackFileName, pItem->pFile->m_nOggSize != 0 ? AUDIO_KIND_OGG : AUDIO_KIND_WAVE);
  return true;
}

long ExtractRows(const CSoundListModel& model, const std::vector<int64_t>& rows, bool bRaw, IProgressSink* pProgress) {
  if (pProgress) pProgress->SetStage(0, static_cast<int32_t>(rows.size()), "Extracting...");
  long extracted = 0;
  for (int64_t row : rows) {
    if (const SoundListItem* item = model.ItemAt(row)) {
      if (bRaw ? ExtractRaw(&model, item) : ExtractWave(&model, item)) ++extracted;
    }
    if (pProgress) pProgress->Step(1);
  }
  return extracted;
}
