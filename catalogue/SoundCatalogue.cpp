#include "catalogue/SoundCatalogue.h"

#include <cstring>
#include <string>

#include "platform/PathUtil.h"

namespace {
const char* const kMetafileNames[8] = {
    "SchemaMetafile.csc",      "SchemaMetafile_Memory.csc", "SchemaMetafile_Harddrive.csc",
    "SchemaMetafile_DVD1.csc", "SchemaMetafile_DVD2.csc",   "SchemaMetafile_DVD3.csc",
    nullptr,                   nullptr};
}  // namespace

CSoundCatalogue::CSoundCatalogue() { m_listModel.AttachCatalogue(this); }

CSoundCatalogue::~CSoundCatalogue() { Clear(); }

const char* CSoundCatalogue::GetMetafileName(int32_t nFile) {
  return (nFile >= 0 && nFile <= 7) ? kMetafileNames[nFile] : nullptr;
}

bool CSoundCatalogue::AppendPath(char* directory, const char* name, size_t capacity) {
  size_t len = strlen(directory);
  const char* tail = name;
  const char* sep = "";
  if (len > 0 && IsPathSeparator(directory[len - 1])) {
    if (IsPathSeparator(name[0])) ++tail;
  } else if (len > 0 && !IsPathSeparator(name[0])) {
    sep = "/";
  }
  size_t needed = len + strlen(sep) + strlen(tail) + 1;
  if (needed > capacity) return false;
  strcat(directory, sep);
  strcat(directory, tail);
  return true;
}

bool CSoundCatalogue::SetBasePath(const char* path) {
  // Buffers as large as the whole path, so that no directory is ever cut short.
  char drive[kPathSize];
  char dir[kPathSize];
  m_szBasePath[0] = 0;
  if (!path || strlen(path) >= kPathSize) return false;
  _splitpath_s(path, drive, sizeof drive, dir, sizeof dir);
  strcpy(m_szBasePath, drive);
  if (!AppendPath(m_szBasePath, dir)) {
    m_szBasePath[0] = 0;
    return false;
  }
  return true;
}

FILE* CSoundCatalogue::OpenMetafile(int32_t nFile) {
  const char* name = GetMetafileName(nFile);
  if (!name) return nullptr;
  char buffer[kPathSize];
  strcpy(buffer, m_szBasePath);
  if (!AppendPath(buffer, name)) return nullptr;
  FILE* file = fopen(buffer, "rb");
  if (!file) {
    // Metafile names are matched ignoring case.
    std::string found = FindFileIgnoringCase(m_szBasePath, name);
    if (!found.empty()) file = fopen(found.c_str(), "rb");
  }
  return file;
}

void CSoundCatalogue::Clear() {
  m_listModel.ResetFilter();
  m_listModel.ResetSort();
  m_listModel.FreeItems();
  m_sortRanks.Clear();
  m_soundInfos.Clear();
  m_missionSounds.Clear();
  m_taggedSounds.Clear();
  m_soundTags.Clear();
  m_recordPool.Clear();
  m_pProgress = nullptr;
}

bool CSoundCatalogue::Load(const char* path, IProgressSink* progress, FILE* diagnostics) {
  CSMFileArchiver ar;
  ar.SetRecordPool(&m_recordPool);
  try {
    Clear();
    if (!SetBasePath(path)) CArchiver::Throw(5, "CSMFileArchiver::Open: error opening file!");
    m_pProgress = progress;
    ar.Open(this, 2, CArchiver::MODE_LOAD);
    ar.Seek(kTableStart, SEEK_SET);

    if (progress) progress->SetStage(0, 1, "Reading Sound Tags...");
    m_soundTags.Serialize(ar);
    if (progress) progress->Step(0);
    if (progress) progress->SetStage(0, 1, "Reading Tagged Sounds...");
    m_taggedSounds.Serialize(ar);
    if (progress) progress->Step(0);
    if (progress) progress->SetStage(0, 1, "Reading Mission Sounds...");
    m_missionSounds.Serialize(ar);
    if (progress) progress->Step(0);

    m_soundInfos.Build(*this);
    ar.Close();
    m_pProgress = nullptr;
    return true;
  } catch (const CArchiver::xArchiver& e) {
    if (diagnostics) {
      fprintf(diagnostics, "CArchiver exception!\n");
      fprintf(diagnostics, "ErrorCode = 0x%.4x, Message = \"%s\"\n", static_cast<unsigned>(e.code),
              e.message ? e.message : "<none>");
      fflush(diagnostics);
    }
    return false;
  }
}
