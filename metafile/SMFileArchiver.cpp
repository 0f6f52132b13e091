#include "metafile/SMFileArchiver.h"

namespace {
const char kOpenError[] = "CSMFileArchiver::Open: error opening file!";
const char kSeekError[] = "CSMFileArchiver::Seek: invalid offset!";
}  // namespace

CSMFileArchiver::~CSMFileArchiver() {
  if (m_pFile) CSMFileArchiver::Close();
}

void CSMFileArchiver::RefreshPosition() {
  long pos = m_pFile ? Tell() : -1;
  int32_t offset = (pos < 0 || pos > static_cast<long>(CSMOffset::kOffsetMask)) ? -1 : static_cast<int32_t>(pos);
  m_position.Set(m_position.GetFile(), offset);
}

void CSMFileArchiver::Open(CSMMetafileProvider* pOwner, int32_t nFile, int32_t mode) {
  FILE* file = pOwner ? pOwner->OpenMetafile(nFile) : nullptr;
  if (!file) Throw(5, kOpenError);
  try {
    CArchiver::Open(file, mode);
  } catch (const xArchiver&) {
    fclose(file);
    throw;
  }
  m_pOwner = pOwner;
  m_position.Set(nFile, static_cast<int32_t>(ftell(file)));
}

void CSMFileArchiver::Reopen(int32_t nFile) {
  if (nFile < 0 || nFile > 7 || !m_pOwner) Throw(3, "CSMFileArchiver::Reopen: invalid file!");
  if (m_position.GetFile() == nFile) return;

  FILE* old = m_pFile;
  int32_t mode = m_nMode;
  CArchiver::Close();
  if (old) fclose(old);
  m_position.m_nValue = CSMOffset::kInvalid;

  FILE* file = m_pOwner->OpenMetafile(nFile);
  if (!file) Throw(5, kOpenError);
  try {
    CArchiver::Open(file, mode);
  } catch (const xArchiver&) {
    fclose(file);
    throw;
  }
  m_position.Set(nFile, static_cast<int32_t>(ftell(file)));
}

void CSMFileArchiver::Seek(const CSMOffset& target) {
  if (!target.IsValid()) Throw(2, kSeekError);
  RefreshPosition();
  if (!m_position.IsValid()) Throw(8, kSeekError);
  if (target == m_position) return;
  if (target.GetFile() == m_position.GetFile()) {
    CArchiver::Seek(target.GetOffset() - m_position.GetOffset(), SEEK_CUR);
  } else {
    Reopen(target.GetFile());
    CArchiver::Seek(target.GetOffset(), SEEK_SET);
  }
  // A successful seek ends exactly at the target, a valid position.
  m_position.m_nValue = target.m_nValue;
}

void CSMFileArchiver::Seek(int32_t offset, int origin) {
  RefreshPosition();
  if (!m_position.IsValid()) Throw(8, kSeekError);
  CArchiver::Seek(offset, origin);
  RefreshPosition();
  if (!m_position.IsValid()) Throw(8, kSeekError);
}

CSMOffset& CSMFileArchiver::GetPosition() {
  RefreshPosition();
  return m_position;
}

void CSMFileArchiver::Close() {
  FILE* file = m_pFile;
  CArchiver::Close();
  if (file) fclose(file);
  m_position.m_nValue = CSMOffset::kInvalid;
  m_pOwner = nullptr;
}

FILE* CSMFileArchiver::Detach() {
  FILE* file = CArchiver::Detach();
  m_position.m_nValue = CSMOffset::kInvalid;
  m_pOwner = nullptr;
  return file;
}
