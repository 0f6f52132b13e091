#include "metafile/SoundTags.h"

#include <memory>

#include "metafile/SMRecordPool.h"

CSMSoundTag::~CSMSoundTag() { delete[] m_pSubNames; }

void CSMSoundTag::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    delete[] m_pSubNames;
    m_pSubNames = nullptr;
    m_nExtra = 0;
    m_nSubCount = 0;
    m_name.Serialize(ar);
    if (m_name.GetText().substr(0, 1) == "+") {
      ar.Read(&m_nExtra, 1);
      ar.Read(&m_nSubCount, 1);
      if (m_nSubCount != 0) {
        m_pSubNames = new CSMString[m_nSubCount];
        for (int i = 0; i < m_nSubCount; ++i) m_pSubNames[i].Serialize(ar);
      }
    }
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10, "CSMSoundTag::Serialize [storing]");
  }
}

std::string_view CSMSoundTag::GetSubName(int32_t index) const {
  if (index == -1) return m_name.GetText();
  if (index >= 0 && index < m_nSubCount && m_pSubNames) return m_pSubNames[index].GetText();
  return {};
}

void CSMSoundTagTable::SerializeNumEntries(CArchiver& ar) {
  if (!ar.IsLoading()) CArchiver::Throw(10, "CSMSoundTagTable::SerializeNumEntries [storing]");
  uint8_t count = 0;
  ar.Read(&count, 1);
  m_nCount = count;
}

void CSMTaggedSound::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    FreeTags();
    m_nTagCount = 0;
    ar.Read(&m_nTagCount, 1);
    if (m_nTagCount != 0) {
      if (CSMRecordPool* pool = ar.GetRecordPool()) {
        m_pTags = reinterpret_cast<SMTagRef*>(pool->Allocate(sizeof(SMTagRef) * m_nTagCount, alignof(SMTagRef)));
        std::uninitialized_value_construct_n(m_pTags, m_nTagCount);
        m_bPooledTags = true;
      } else {
        m_pTags = new SMTagRef[m_nTagCount]();
      }
      for (int i = 0; i < m_nTagCount; ++i) {
        ar.Read(&m_pTags[i].tag, 1);
        ar.Read(&m_pTags[i].subTag, 4);
      }
    }
    m_info.Serialize(ar);
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10, "CSMTaggedSound::Serialize [storing]");
  }
}

void CSMTaggedSoundTable::SerializeNumEntries(CArchiver& ar) {
  if (!ar.IsLoading()) CArchiver::Throw(10, "CSMTaggedSoundTable::SerializeNumEntries [storing]");
  uint16_t count = 0;
  ar.Read(&count, 2);
  m_nCount = count;
}
