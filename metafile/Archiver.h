// Checked block I/O over a stream that somebody else opened.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

class CSMRecordPool;

class CArchiver {
 public:
  // The one error record of the metafile layer.
  struct xArchiver {
    int32_t code;
    const char* message;
  };

  enum { MODE_CLOSED = 0, MODE_LOAD = 1, MODE_STORE = 2 };

  CArchiver() = default;
  CArchiver(const CArchiver&) = delete;
  CArchiver& operator=(const CArchiver&) = delete;
  virtual ~CArchiver();

  virtual void Open(FILE* file, int32_t mode);
  virtual void Close();
  virtual FILE* Detach();

  void Read(void* buffer, size_t count) {
    if (m_pData) {
      // Loading from a mapping of the file: a field that lies whole before its end is copied.
      if (buffer && m_nPosition <= m_nDataSize && count <= m_nDataSize - m_nPosition) {
        memcpy(buffer, m_pData + m_nPosition, count);
        m_nPosition += count;
        return;
      }
      ReadStream(buffer, count);
      return;
    }
#ifdef __GLIBC__
    // A field the stream buffer already holds is copied from it directly (the stream belongs
    // to this archiver alone); anything else takes the checked path.
    if (count != 0 && m_pFile && m_nMode == MODE_LOAD && buffer &&
        static_cast<size_t>(m_pFile->_IO_read_end - m_pFile->_IO_read_ptr) >= count) {
      memcpy(buffer, m_pFile->_IO_read_ptr, count);
      m_pFile->_IO_read_ptr += count;
      if (m_nTell >= 0) m_nTell += static_cast<long>(count);
      return;
    }
#endif
    ReadStream(buffer, count);
  }
  // The next `count` bytes where they lie in the mapped file, moving past them; null, with
  // nothing moved, when the archiver does not load from a mapping or fewer bytes are left.
  // The bytes stay valid as long as the record pool that mapped the file.
  const char* ReadInPlace(size_t count) {
    if (!m_pData || m_nPosition > m_nDataSize || count > m_nDataSize - m_nPosition) return nullptr;
    const char* bytes = m_pData + m_nPosition;
    m_nPosition += count;
    // Records are read front to back: ask for the bytes a little further on while these are used.
    __builtin_prefetch(bytes + kPrefetchDistance);
    return bytes;
  }
  bool IsReadingInPlace() const { return m_pData != nullptr; }
  void Write(const void* buffer, size_t count);
  void Seek(int32_t offset, int origin);
  // The stream position, as ftell gives it; kept up to date by Read, Write and Seek so that
  // the stream is asked only after an open or a failed call.
  long Tell();

  bool IsLoading() const { return m_pFile && m_nMode == MODE_LOAD; }
  bool IsStoring() const { return m_pFile && m_nMode == MODE_STORE; }
  bool IsOpen() const { return m_pFile != nullptr; }

  // Bytes between the stream position and the end of the file; UINT64_MAX when the
  // stream is not a regular file.
  uint64_t BytesLeft() const;
  // Lengths read from a file are checked before anything is allocated for them: a
  // length larger than what is left fails as a short read (code 6). Small lengths
  // pass unchecked; their allocation is bounded and the following Read catches them.
  void RequireBytes(uint64_t count) const {
    if (count > kUncheckedBytes && count > BytesLeft()) Throw(6);
  }
  static constexpr uint64_t kUncheckedBytes = 65536;
  static constexpr size_t kPrefetchDistance = 1024;

  [[noreturn]] static void Throw(int32_t code, const char* message = nullptr);

  // Where records loaded through this archiver keep their texts and sound file entries; null:
  // each on the heap. An archiver with a pool that can map its file loads from the mapping:
  // the stream stays where it was opened until Detach.
  void SetRecordPool(CSMRecordPool* pool) { m_pRecordPool = pool; }
  CSMRecordPool* GetRecordPool() const { return m_pRecordPool; }

 protected:
  FILE* m_pFile = nullptr;
  int32_t m_nMode = MODE_CLOSED;

 private:
  void ReadStream(void* buffer, size_t count);
  [[noreturn]] void ThrowAfterMove(int32_t code);
  void ForgetData();

  int64_t m_nFileSize = -1;  // size of the attached regular file, -1 when unknown
  long m_nTell = -1;         // the stream position when known, else -1
  CSMRecordPool* m_pRecordPool = nullptr;
  // The file's bytes when loading from a mapping, and the position in them.
  const char* m_pData = nullptr;
  uint64_t m_nDataSize = 0;
  uint64_t m_nPosition = 0;
};
