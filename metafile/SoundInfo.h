// Sound information records and the table built from the sounds that point to them.
#pragma once

#include "metafile/SMRecord.h"

class CSoundCatalogue;

struct CSMSoundFile {
  static constexpr int kSubtitleCount = 5;

  CSMString m_name;
  CSMOffset m_data;
  uint32_t m_nWavSize = 0;
  uint32_t m_nOggSize = 0;
  uint32_t m_nReserved = 0;
  CSMString m_subtitles[kSubtitleCount];

  bool IsOgg() const { return m_nOggSize != 0; }
  uint32_t GetSize() const { return m_nOggSize != 0 ? m_nOggSize : m_nWavSize; }
  bool IsMissing() const { return !m_data.IsValid(); }
  const char* GetExtension() const { return IsOgg() ? "ogg" : "wav"; }
};

class CSMSoundInfo : public CSMSerializable {
 public:
  static constexpr uint64_t kMinDiskSize = 46;
  static constexpr int kUnknownSize = 45;

  CSMSoundInfo() = default;
  CSMSoundInfo(const CSMSoundInfo&) = delete;
  CSMSoundInfo& operator=(const CSMSoundInfo&) = delete;
  void Serialize(CArchiver& ar) override;
  ~CSMSoundInfo() override {
    FreeFiles();
    FreeUnknown();
  }

  const CSMSoundFile* GetFile(int32_t index) const {
    return (index >= 0 && index < m_nFileCount) ? &m_pFiles[index] : nullptr;
  }

  // kUnknownSize bytes, where the archiver found them (in a mapped metafile) or in a copy; zeros
  // in a record never read.
  const uint8_t* m_unknown = kNoUnknown;
  uint8_t m_nFileCount = 0;
  bool m_bPooledFiles = false;   // the files lie in the archiver's pool: destroyed, not freed
  bool m_bOwnedUnknown = false;  // m_unknown is this record's own copy
  CSMSoundFile* m_pFiles = nullptr;

  static const uint8_t kNoUnknown[kUnknownSize];

 private:
  void FreeFiles();
  void FreeUnknown();
};

class CSMSoundInfoTable : public CSMArray<CSMSoundInfo> {
 public:
  ~CSMSoundInfoTable() override { CSMSoundInfoTable::Clear(); }
  void Serialize(CArchiver& ar) override;
  void Clear() override;

  void Build(CSoundCatalogue& catalogue);
  CSMSoundInfo* GetTaggedSoundInfo(int32_t index) const {
    return (index >= 0 && index < m_nTaggedCount) ? m_ppTaggedInfo[index] : nullptr;
  }
  CSMSoundInfo* GetMissionSoundInfo(int32_t index) const {
    return (index >= 0 && index < m_nMissionCount) ? m_ppMissionInfo[index] : nullptr;
  }
  // Number of slots that hold a record read from the set.
  int32_t GetLoadedCount() const { return m_nLoaded; }

  int32_t m_nTaggedCount = 0;
  CSMSoundInfo** m_ppTaggedInfo = nullptr;
  int32_t m_nMissionCount = 0;
  CSMSoundInfo** m_ppMissionInfo = nullptr;

 private:
  int32_t m_nLoaded = 0;
};
