// The building blocks of every metafile record: the record base, the packed
// file-and-offset address, the length-prefixed string and the counted array.
#pragma once

#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "metafile/Archiver.h"

class CSMSerializable {
 public:
  virtual void Serialize(CArchiver& ar) = 0;
  virtual ~CSMSerializable() = default;

  // The tables of a large set are arrays of megabytes: they take huge pages where the system
  // offers them, a page fault for every 2 MiB instead of every 4 KiB.
  static void* operator new[](size_t size);
  static void operator delete[](void* data, size_t size) noexcept;
  static constexpr size_t kLargeArray = 1 << 20;
};

// A place in the metafile set: file number in bits 31..29, byte offset in bits 28..0. A plain
// value, like CSMString: every sound file holds several, so neither carries a vtable.
class CSMOffset {
 public:
  static constexpr uint32_t kInvalid = 0xFFFFFFFF;
  static constexpr uint32_t kOffsetMask = 0x1FFFFFFF;
  static constexpr uint64_t kMinDiskSize = 4;

  CSMOffset() = default;
  void Serialize(CArchiver& ar);
  bool Set(int32_t file, int32_t offset);

  bool IsValid() const { return m_nValue != kInvalid; }
  int32_t GetFile() const { return static_cast<int32_t>(m_nValue >> 29); }
  int32_t GetOffset() const { return static_cast<int32_t>(m_nValue & kOffsetMask); }
  bool operator==(const CSMOffset& other) const { return m_nValue == other.m_nValue; }
  bool operator!=(const CSMOffset& other) const { return m_nValue != other.m_nValue; }

  uint32_t m_nValue = kInvalid;
};

// Length-prefixed single-byte text. Its bytes lie where the archiver found them (in a mapped
// metafile) or in a copy (the record pool's, else its own); they are not terminated, and the
// text ends at the first zero byte, as a C string would.
class CSMString {
 public:
  static constexpr uint64_t kMinDiskSize = 4;

  CSMString() = default;
  CSMString(const CSMString&) = delete;
  CSMString& operator=(const CSMString&) = delete;
  ~CSMString() {
    if (m_bOwned) delete[] m_pszText;
  }

  void Serialize(CArchiver& ar);
  // The text up to its first zero byte; empty (never null) when there is none.
  std::string_view GetText() const {
    return m_pszText ? std::string_view(m_pszText, strnlen(m_pszText, m_nLength)) : std::string_view("", 0);
  }
  void Free() {
    if (m_bOwned) delete[] m_pszText;
    m_pszText = nullptr;
    m_bOwned = false;
    m_nLength = 0;
  }

  const char* m_pszText = nullptr;  // m_nLength bytes; null when the length is 0
  uint32_t m_nLength = 0;
  bool m_bOwned = false;  // the bytes are this string's own copy, freed with it
};

// Counted, owned array of records. Each table overrides the width of its count.
template <class T>
class CSMArray : public CSMSerializable {
 public:
  struct xSMArray {
    int32_t code;
    const char* message;
  };

  CSMArray() = default;
  CSMArray(const CSMArray&) = delete;
  CSMArray& operator=(const CSMArray&) = delete;

  void Serialize(CArchiver& ar) override {
    if (ar.IsLoading()) {
      Clear();
      SerializeNumEntries(ar);
      if (m_nCount > 0) {
        ar.RequireBytes(static_cast<uint64_t>(m_nCount) * T::kMinDiskSize);
        m_pData = new T[m_nCount];
        for (int32_t i = 0; i < m_nCount; ++i) m_pData[i].Serialize(ar);
      }
    } else if (ar.IsStoring()) {
      SerializeNumEntries(ar);
      for (int32_t i = 0; i < m_nCount; ++i) m_pData[i].Serialize(ar);
    }
  }
  ~CSMArray() override { delete[] m_pData; }
  virtual void Clear() {
    delete[] m_pData;
    m_pData = nullptr;
    m_nCount = 0;
  }
  virtual void SerializeNumEntries(CArchiver& ar) {
    if (ar.IsLoading())
      ar.Read(&m_nCount, 4);
    else if (ar.IsStoring())
      ar.Write(&m_nCount, 4);
  }

  int32_t GetCount() const { return m_nCount; }
  T& operator[](int32_t index) {
    if (index < 0 || index >= m_nCount) throw xSMArray{1, "CSMArray<T>::operator[] Index out of range!"};
    return m_pData[index];
  }
  const T& operator[](int32_t index) const { return const_cast<CSMArray&>(*this)[index]; }

  int32_t m_nCount = 0;
  T* m_pData = nullptr;
};
