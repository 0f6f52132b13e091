#include "metafile/SMRecord.h"

#include <sys/mman.h>

#include "metafile/SMRecordPool.h"

void* CSMSerializable::operator new[](size_t size) {
  if (size < kLargeArray) return ::operator new[](size);
  void* data = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (data == MAP_FAILED) throw std::bad_alloc();
  madvise(data, size, MADV_HUGEPAGE);
  return data;
}

void CSMSerializable::operator delete[](void* data, size_t size) noexcept {
  if (size < kLargeArray)
    ::operator delete[](data);
  else if (data)
    munmap(data, size);
}

bool CSMOffset::Set(int32_t file, int32_t offset) {
  if (file >= 0 && file <= 7 && offset >= 0 && static_cast<uint32_t>(offset) <= kOffsetMask) {
    m_nValue = (static_cast<uint32_t>(file) << 29) | static_cast<uint32_t>(offset);
    return true;
  }
  m_nValue = kInvalid;
  return false;
}

void CSMOffset::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    m_nValue = kInvalid;
    ar.Read(&m_nValue, 4);
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10, "CSMOffset::Serialize [storing]");
  }
}

void CSMString::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    Free();
    uint32_t length = 0;
    ar.Read(&length, 4);
    m_nLength = length;
    if (length != 0) {
      ar.RequireBytes(length);
      if (const char* text = ar.ReadInPlace(length)) {
        m_pszText = text;
        return;
      }
      // A copy, zeroed first, so that a text cut short by the end of the file ends where the
      // bytes read end.
      size_t size = static_cast<size_t>(length) + 1;
      char* copy;
      if (CSMRecordPool* pool = ar.GetRecordPool()) {
        copy = pool->Allocate(size);  // pool memory starts zeroed
        copy[length] = 0;
      } else {
        copy = new char[size]();
        m_bOwned = true;
      }
      m_pszText = copy;
      ar.Read(copy, length);
    }
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10);
  }
}
