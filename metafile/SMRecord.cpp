#include "metafile/SMRecord.h"

#include "metafile/SMRecordPool.h"

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
      size_t size = static_cast<size_t>(length) + 1;
      if (CSMRecordPool* pool = ar.GetRecordPool()) {
        m_pszText = pool->Allocate(size);
        m_bPooled = true;
        m_pszText[length] = 0;  // pool memory starts zeroed, so a cut text is terminated too
      } else {
        m_pszText = new char[size]();  // zeroed, so that a text cut short is still terminated
      }
      ar.Read(m_pszText, length);
    }
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10);
  }
}
