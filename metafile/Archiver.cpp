#include "metafile/Archiver.h"

#include <algorithm>
#include <sys/stat.h>

#include "metafile/SMRecordPool.h"

CArchiver::~CArchiver() { CArchiver::Close(); }

void CArchiver::Throw(int32_t code, const char* message) { throw xArchiver{code, message}; }

void CArchiver::Open(FILE* file, int32_t mode) {
  if (m_pFile || m_nMode != MODE_CLOSED) Throw(1, "CArchiver::Open: archiver already in use!");
  if (!file) Throw(3, "CArchiver::Open: invalid file!");
  if (mode < MODE_LOAD || mode > MODE_STORE) Throw(2, "CArchiver::Open: invalid parameter!");
  m_pFile = file;
  m_nMode = mode;
  m_nTell = -1;
  struct stat st;
  m_nFileSize = (fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) ? st.st_size : -1;
  if (mode == MODE_LOAD && m_pRecordPool) {
    const long start = ftell(file);
    const CMappedFile* mapping = start >= 0 ? m_pRecordPool->MapFile(file) : nullptr;
    if (mapping) {
      m_pData = mapping->GetData();
      m_nDataSize = mapping->GetSize();
      m_nPosition = static_cast<uint64_t>(start);
      m_nFileSize = static_cast<int64_t>(m_nDataSize);
    }
  }
}

void CArchiver::ForgetData() {
  m_pData = nullptr;
  m_nDataSize = 0;
  m_nPosition = 0;
}

void CArchiver::Close() {
  ForgetData();
  if (m_pFile && m_nMode == MODE_STORE) fflush(m_pFile);
  m_pFile = nullptr;
  m_nMode = MODE_CLOSED;
  m_nTell = -1;
}

FILE* CArchiver::Detach() {
  // The stream takes over where the reads from the mapping stand.
  if (m_pData && m_pFile) fseek(m_pFile, static_cast<long>(m_nPosition), SEEK_SET);
  ForgetData();
  FILE* file = m_pFile;
  m_pFile = nullptr;
  m_nMode = MODE_CLOSED;
  m_nTell = -1;
  return file;
}

long CArchiver::Tell() {
  if (!m_pFile) return -1;
  if (m_pData) return static_cast<long>(m_nPosition);
  if (m_nTell < 0) m_nTell = ftell(m_pFile);
  return m_nTell;
}

void CArchiver::ReadStream(void* buffer, size_t count) {
  if (!m_pFile) Throw(3);
  if (m_nMode != MODE_LOAD) Throw(4);
  if (!buffer) Throw(9);
  if (m_pData) {
    // As fread: what is left is copied, then the read fails at the end of the file.
    const uint64_t left = m_nPosition < m_nDataSize ? m_nDataSize - m_nPosition : 0;
    const size_t copied = static_cast<size_t>(std::min<uint64_t>(left, count));
    memcpy(buffer, m_pData + std::min(m_nPosition, m_nDataSize), copied);
    m_nPosition += copied;
    if (copied < count) Throw(6);
    return;
  }
  // The stream belongs to this archiver alone, so its lock is not needed. The short fields
  // that make up most of a record come straight from the stream buffer.
  if (count <= 8) {
    auto* out = static_cast<unsigned char*>(buffer);
    for (size_t i = 0; i < count; ++i) {
      int c = getc_unlocked(m_pFile);
      if (c == EOF) ThrowAfterMove(6);
      out[i] = static_cast<unsigned char>(c);
    }
  } else if (fread_unlocked(buffer, count, 1, m_pFile) != 1) {
    ThrowAfterMove(6);
  }
  if (m_nTell >= 0) m_nTell += static_cast<long>(count);
}

void CArchiver::ThrowAfterMove(int32_t code) {
  m_nTell = -1;  // the stream stands wherever the failed call left it
  Throw(code);
}

void CArchiver::Write(const void* buffer, size_t count) {
  if (!m_pFile) Throw(3);
  if (m_nMode != MODE_STORE) Throw(4);
  if (!buffer) Throw(9);
  if (count != 0 && fwrite(buffer, count, 1, m_pFile) != 1) ThrowAfterMove(7);
  if (m_nTell >= 0) m_nTell += static_cast<long>(count);
}

void CArchiver::Seek(int32_t offset, int origin) {
  if (!m_pFile) Throw(3);
  if (m_pData) {
    // As fseek: any place from the start on, past the end too.
    int64_t base = origin == SEEK_SET ? 0 : origin == SEEK_CUR ? static_cast<int64_t>(m_nPosition)
                                       : origin == SEEK_END   ? static_cast<int64_t>(m_nDataSize)
                                                              : -1;
    if (base < 0 || base + offset < 0) Throw(8);
    m_nPosition = static_cast<uint64_t>(base + offset);
    return;
  }
  if (fseek(m_pFile, offset, origin) != 0) ThrowAfterMove(8);
  if (origin == SEEK_SET)
    m_nTell = offset;
  else if (origin == SEEK_CUR && m_nTell >= 0)
    m_nTell += offset;
  else
    m_nTell = -1;
}

uint64_t CArchiver::BytesLeft() const {
  if (!m_pFile) return 0;
  if (m_nFileSize < 0) return UINT64_MAX;
  long pos = const_cast<CArchiver*>(this)->Tell();
  if (pos < 0 || pos >= m_nFileSize) return 0;
  return static_cast<uint64_t>(m_nFileSize - pos);
}
