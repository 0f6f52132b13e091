#include "export/SoundExport.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <new>
#include <strings.h>
#include <sys/stat.h>

#include "audio/AudioController.h"
#include "audio/AudioGlobals.h"
#include "audio/SoundSource.h"
#include "catalogue/SoundCatalogue.h"
#include "metafile/SMFileArchiver.h"
#include "metafile/SoundInfo.h"
#include "platform/AtomicFile.h"
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

// Set when an output file could not be created because the folder refuses it.
bool g_bFolderRefused = false;

// Failure texts that are not an errno's.
constexpr char kIoFailed[] = "";  // the write failed: errno says why

std::string ErrnoText(int e) {
  switch (e) {
    case ENOSPC: return "disk full";
    case EACCES:
    case EPERM: return "permission denied";
    case EROFS: return "read-only file system";
    default: return strerror(e);
  }
}

void SetReason(std::string* pReason, const char* pszText) {
  if (pReason) *pReason = pszText == kIoFailed ? ErrnoText(errno) : pszText;
}

// An output file written under a temporary name with a stdio buffer of its own (the C
// library would size one by the file system's block, a few kilobytes); Commit puts it in
// place, anything else removes it.
class COutputFile {
 public:
  explicit COutputFile(const char* pszName) : m_name(pszName), m_pFile(CreateTempFileFor(m_name, m_temp)) {
    if (m_pFile && m_buffer) setvbuf(m_pFile, m_buffer.get(), _IOFBF, kOutputBufferSize);
    if (!m_pFile && (errno == EACCES || errno == EPERM || errno == EROFS)) g_bFolderRefused = true;
  }
  COutputFile(const COutputFile&) = delete;
  COutputFile& operator=(const COutputFile&) = delete;
  ~COutputFile() {
    if (m_pFile) DiscardTempFile(m_pFile, m_temp);
  }

  FILE* Get() const { return m_pFile; }
  // False (errno set) when the file could not be completed and renamed.
  bool Commit() {
    FILE* f = m_pFile;
    m_pFile = nullptr;
    return f && CommitTempFile(f, m_temp, m_name);
  }

 private:
  std::unique_ptr<char[]> m_buffer{new (std::nothrow) char[kOutputBufferSize]};
  std::string m_name, m_temp;
  FILE* m_pFile;
};

// Copies `size` bytes in 8192-byte pieces, closes the input and commits the output. Null
// on success, else why not.
const char* CopyAndCommit(FILE* in, COutputFile& out, uint32_t size) {
  const char* failure = nullptr;
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyPiece]);
  if (!buffer) failure = "out of memory";
  for (uint32_t left = size; !failure && left > 0;) {
    const size_t piece = left >= static_cast<uint32_t>(kCopyPiece) ? kCopyPiece : left;
    if (fread(buffer.get(), piece, 1, in) != 1) failure = "the stored bytes cannot be read";
    else if (fwrite(buffer.get(), piece, 1, out.Get()) != 1) failure = kIoFailed;
    left -= static_cast<uint32_t>(piece);
  }
  fclose(in);
  if (!failure && !out.Commit()) failure = kIoFailed;
  return failure;
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
// pad byte, then the patched sizes. Null when every write and seek succeeded and the data
// chunk of the source was read to its end, else why not.
const char* WriteWave(FILE* out, CWaveFileSource& source, CSampleBuffer& target) {
  const long riffPos = ftell(out);
  if (riffPos == -1) return kIoFailed;
  if (!WriteTag(out, "RIFF", 0) || fwrite("WAVE", 4, 1, out) != 1 || !WriteTag(out, "fmt ", 16)) return kIoFailed;
  const WAVEFORMATEX& wfx = target.m_wfx;
  uint8_t format[16];
  PutLe16(format, wfx.wFormatTag);
  PutLe16(format + 2, wfx.nChannels);
  PutLe32(format + 4, wfx.nSamplesPerSec);
  PutLe32(format + 8, wfx.nAvgBytesPerSec);
  PutLe16(format + 12, wfx.nBlockAlign);
  PutLe16(format + 14, wfx.wBitsPerSample);
  if (fwrite(format, 16, 1, out) != 1) return kIoFailed;
  const long dataPos = ftell(out);
  if (dataPos == -1) return kIoFailed;
  if (!WriteTag(out, "data", 0)) return kIoFailed;

  // The RIFF size (36 + n + pad) must fit its 32 bits.
  constexpr uint64_t kMaxData = UINT32_MAX - 37;
  uint64_t n = 0;
  for (target.Fill(); target.m_nValid > 0; target.Fill()) {
    if (n + static_cast<uint64_t>(target.m_nValid) > kMaxData) return "too long for a WAVE file";
    if (fwrite(target.m_pData, static_cast<size_t>(target.m_nValid), 1, out) != 1) return kIoFailed;
    n += static_cast<uint64_t>(target.m_nValid);
  }
  const uint32_t pad = static_cast<uint32_t>(n & 1);
  if (pad && fputc(0, out) == EOF) return kIoFailed;
  if (!WriteLe32At(out, dataPos + 4, static_cast<uint32_t>(n)) ||
      !WriteLe32At(out, riffPos + 4, static_cast<uint32_t>(36 + n + pad)) || fseek(out, 0, SEEK_END) != 0)
    return kIoFailed;
  // Data the stored sound promised but did not hold (less than one block is a torn tail,
  // which no decoder could use).
  return source.m_nRemaining < source.m_primary.m_wfx.nBlockAlign ? nullptr : "the data chunk runs past the stored bytes";
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

namespace {

// Opens the item's stored bytes for extraction; null with the reason when they cannot be
// had whole.
FILE* OpenForExtract(const CSoundListModel* pModel, const SoundListItem* pItem, bool bNeedWav, std::string* pReason) {
  const CSMSoundFile* file = pItem ? pItem->pFile : nullptr;
  const char* why = !file                                                ? "no sound file"
                    : (bNeedWav ? file->m_nWavSize == 0 : file->GetSize() == 0) ? "no stored bytes"
                    : !file->m_data.IsValid()                            ? "missing from the set"
                    : EqualsIgnoringCase(file->m_name.GetText(), "none") ? "named \"none\""
                                                                         : nullptr;
  FILE* in = why ? nullptr : OpenSoundData(pModel, pItem, bNeedWav);
  const char* metafile = file ? CSoundCatalogue::GetMetafileName(file->m_data.GetFile()) : nullptr;
  if (!why && !in) {
    if (pReason) *pReason = std::string("cannot read ") + (metafile ? metafile : "its metafile");
    return nullptr;
  }
  // A cut metafile: the stored bytes run past its end. Its size comes from fstat, not a seek
  // to the end: a seek back would leave the stream's reads off the file's block boundaries.
  struct stat st {};
  if (in && (fstat(fileno(in), &st) != 0 ||
             int64_t{st.st_size} - int64_t{file->m_data.GetOffset()} < int64_t{file->GetSize()})) {
    fclose(in);
    if (pReason) *pReason = std::string("stored bytes past the end of ") + (metafile ? metafile : "its metafile");
    return nullptr;
  }
  if (why) SetReason(pReason, why);
  return in;
}

bool ExtractRawAs(const CSoundListModel* pModel, const SoundListItem* pItem, const std::string* pName,
                  std::string* pReason) {
  FILE* in = OpenForExtract(pModel, pItem, false, pReason);
  if (!in) return false;
  const CSMSoundFile& file = *pItem->pFile;
  std::string name;
  if (!pName && !MakeOutputFileName(file.m_name.GetText(), file.GetExtension(), name)) {
    fclose(in);
    SetReason(pReason, "no usable file name");
    return false;
  }
  COutputFile out(pName ? pName->c_str() : name.c_str());
  if (!out.Get()) {
    SetReason(pReason, kIoFailed);
    fclose(in);
    return false;
  }
  const char* failure = CopyAndCommit(in, out, file.GetSize());
  if (failure) SetReason(pReason, failure);
  return !failure;
}

bool ExtractWaveAs(const CSoundListModel* pModel, const SoundListItem* pItem, const std::string* pName,
                   std::string* pReason) {
  if (pItem && pItem->pFile && pItem->pFile->m_nOggSize != 0) return ExtractRawAs(pModel, pItem, pName, pReason);
  FILE* in = OpenForExtract(pModel, pItem, true, pReason);
  if (!in) return false;
  std::string name;
  bool ok = pName || MakeOutputFileName(pItem->pFile->m_name.GetText(), "wav", name);
  if (!ok) SetReason(pReason, "no usable file name");
  else ok = ExtractWaveStream(in, pItem->pFile->m_nWavSize, pName ? pName->c_str() : name.c_str(), pReason);
  fclose(in);
  return ok;
}

}  // namespace

bool ExtractRaw(const CSoundListModel* pModel, const SoundListItem* pItem, std::string* pReason) {
  return ExtractRawAs(pModel, pItem, nullptr, pReason);
}

bool ExtractWaveStream(FILE* pIn, int64_t nStored, const char* pszPath, std::string* pReason) {
  // The target outlives the source, which unwires it on destruction.
  CSampleBuffer target;
  CWaveFileSource source(nStored);
  if (!source.OpenStream(pIn)) {
    SetReason(pReason, "not a WAVE file");
    return false;
  }
  const WAVEFORMATEX& native = source.m_primary.m_wfx;
  char unsupported[64];
  snprintf(unsupported, sizeof unsupported, "unsupported format 0x%04x with %u channels", native.wFormatTag,
           native.nChannels);
  WAVEFORMATEX wfx{};
  wfx.wFormatTag = WAVE_FORMAT_PCM;
  wfx.nChannels = native.nChannels;
  wfx.nSamplesPerSec = native.nSamplesPerSec;
  if (native.wFormatTag == WAVE_FORMAT_PCM) {
    wfx.wBitsPerSample = native.wBitsPerSample;
  } else if (native.wFormatTag == WAVE_FORMAT_XBOX_ADPCM) {
    wfx.wBitsPerSample = 16;
  } else {
    SetReason(pReason, unsupported);
    return false;
  }
  wfx.nBlockAlign = static_cast<WORD>(wfx.nChannels * wfx.wBitsPerSample / 8);
  wfx.nAvgBytesPerSec = wfx.nBlockAlign * wfx.nSamplesPerSec;
  target.SetFormat(&wfx);
  target.Allocate(kWaveBufferSize);
  if (source.Connect(&target) != 0) {
    SetReason(pReason, unsupported);
    return false;
  }
  COutputFile out(pszPath);
  const char* failure = out.Get() ? WriteWave(out.Get(), source, target) : kIoFailed;
  if (!failure && !out.Commit()) failure = kIoFailed;
  if (failure) SetReason(pReason, failure);
  return !failure;
}

bool ExtractWave(const CSoundListModel* pModel, const SoundListItem* pItem, std::string* pReason) {
  return ExtractWaveAs(pModel, pItem, nullptr, pReason);
}

namespace {
// The stored sound PlayItem last handed to the controller (place and size).
std::pair<uint32_t, uint32_t> g_lastPlayed{0, 0};
}  // namespace

bool IsItemPlaying(const SoundListItem* pItem) {
  const CSMSoundFile* file = pItem ? pItem->pFile : nullptr;
  return file && g_pAudio && g_pAudio->IsPlaying() &&
         g_lastPlayed == std::make_pair(file->m_data.m_nValue, file->GetSize());
}

bool PlayItem(const CSoundListModel* pModel, const SoundListItem* pItem) {
  FILE* in = OpenSoundData(pModel, pItem, false);
  if (!in) return false;
  // The playing source may hold the playback file open. Without g_pAudio the file is only
  // prepared.
  if (g_pAudio) g_pAudio->Stop();
  COutputFile out(kPlaybackFileName);
  const bool copied = out.Get() ? !CopyAndCommit(in, out, pItem->pFile->GetSize()) : (fclose(in), false);
  if (!copied) return false;  // a partial copy is not played
  // True whether or not the play started.
  g_lastPlayed = {pItem->pFile->m_data.m_nValue, pItem->pFile->GetSize()};
  if (g_pAudio) g_pAudio->Play(kPlaybackFileName, pItem->pFile->m_nOggSize != 0 ? AUDIO_KIND_OGG : AUDIO_KIND_WAVE);
  return true;
}

ExtractReport ExtractRows(const CSoundListModel& model, const std::vector<int64_t>& rows, bool bRaw,
                          IProgressSink* pProgress, const std::string& folder) {
  std::string prefix = folder;
  if (!prefix.empty() && prefix.back() != '/') prefix += '/';
  if (pProgress) pProgress->SetStage(0, static_cast<int32_t>(rows.size()), "Extracting...");
  ExtractReport report;
  // The names this run wrote, by the stored sound (place and size) each holds.
  std::map<std::string, std::pair<uint32_t, uint32_t>> written;
  for (size_t i = 0; i < rows.size(); ++i) {
    const SoundListItem* item = model.ItemAt(rows[i]);
    const CSMSoundFile* file = item ? item->pFile : nullptr;
    std::string base, name, reason = "no such row";
    const bool named = file && MakeOutputFileName(file->m_name.GetText(), "", base);
    if (named) base.pop_back();  // the "."
    const char* ext = file && (bRaw || file->IsOgg()) ? file->GetExtension() : "wav";
    const std::pair<uint32_t, uint32_t> sound{file ? file->m_data.m_nValue : 0, file ? file->GetSize() : 0};
    bool done = false;
    g_bFolderRefused = false;
    if (named) {
      // A different sound under a name already written gets the next free number.
      name = base + "." + ext;
      for (int n = 2; written.count(name) && written[name] != sound; ++n)
        name = base + " (" + std::to_string(n) + ")." + ext;
      done = written.count(name) != 0;  // the same stored sound: its file is there
      if (!done) {
        const std::string path = prefix + name;
        done = bRaw ? ExtractRawAs(&model, item, &path, &reason) : ExtractWaveAs(&model, item, &path, &reason);
        if (done) {
          written[name] = sound;
          report.files.push_back(path);
        }
      }
    } else if (item) {
      done = bRaw ? ExtractRaw(&model, item, &reason) : ExtractWave(&model, item, &reason);
    }
    const std::string label = "row " + std::to_string(rows[i] + 1) + ": " + (named ? name : "(no name)") + ": ";
    if (done) {
      ++report.nExtracted;
      if (name != base + "." + ext) report.notes.push_back(label + "another sound is named " + base + "." + ext);
    } else {
      report.failures.push_back(label + reason);
      if (g_bFolderRefused) {  // every later file would be refused as well
        report.failures.push_back("stopped: the folder cannot be written (" + reason + ")");
        if (pProgress) pProgress->Step(static_cast<int32_t>(rows.size() - i));
        break;
      }
    }
    if (pProgress) pProgress->Step(1);
  }
  return report;
}
