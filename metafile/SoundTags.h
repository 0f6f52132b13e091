// Sound tags with their sub-tag names, and the sounds reached through tags.
#pragma once

#include "metafile/SMRecord.h"

class CSMSoundTag : public CSMSerializable {
 public:
  static constexpr uint64_t kMinDiskSize = 4;

  CSMSoundTag() = default;
  CSMSoundTag(const CSMSoundTag&) = delete;
  CSMSoundTag& operator=(const CSMSoundTag&) = delete;
  void Serialize(CArchiver& ar) override;
  ~CSMSoundTag() override;

  // -1: the tag's own name; 0..m_nSubCount-1: a sub-tag name; otherwise null.
  // The tag's name (index -1) or a sub-tag's; a view without data for any other index.
  std::string_view GetSubName(int32_t index) const;

  CSMString m_name;
  uint8_t m_nExtra = 0;
  uint8_t m_nSubCount = 0;
  CSMString* m_pSubNames = nullptr;
};

class CSMSoundTagTable : public CSMArray<CSMSoundTag> {
 public:
  ~CSMSoundTagTable() override = default;
  void SerializeNumEntries(CArchiver& ar) override;
};

struct SMTagRef {
  static constexpr uint8_t kNoTag = 0xFF;
  static constexpr uint32_t kNoSubTag = 0xFFFFFFFF;
  uint8_t tag;
  uint32_t subTag;
};

class CSMTaggedSound : public CSMSerializable {
 public:
  static constexpr uint64_t kMinDiskSize = 5;

  CSMTaggedSound() = default;
  CSMTaggedSound(const CSMTaggedSound&) = delete;
  CSMTaggedSound& operator=(const CSMTaggedSound&) = delete;
  void Serialize(CArchiver& ar) override;
  ~CSMTaggedSound() override { FreeTags(); }

  const SMTagRef* GetTag(int32_t index) const {
    return (index >= 0 && index < m_nTagCount) ? &m_pTags[index] : nullptr;
  }

  uint8_t m_nTagCount = 0;
  bool m_bPooledTags = false;  // the pairs lie in the archiver's record pool
  SMTagRef* m_pTags = nullptr;
  CSMOffset m_info;

 private:
  void FreeTags() {
    if (!m_bPooledTags) delete[] m_pTags;
    m_pTags = nullptr;
    m_bPooledTags = false;
  }
};

class CSMTaggedSoundTable : public CSMArray<CSMTaggedSound> {
 public:
  ~CSMTaggedSoundTable() override = default;
  void SerializeNumEntries(CArchiver& ar) override;
};
