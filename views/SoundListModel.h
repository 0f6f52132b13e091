// The rows of one sound list: the catalogue's sound files, filtered and sorted.
#pragma once

#include <cstdint>

class CSoundCatalogue;
class CSMSoundTagTable;
class CSMTaggedSoundTable;
class CSMMissionSoundTable;
class CSMSoundInfoTable;
class CSMSoundInfo;
struct CSMSoundFile;

enum ItemKind : int32_t { ITEM_FILE = 0, ITEM_TAGGED = 1, ITEM_MISSION = 2 };

enum ColumnKind : int32_t {
  COL_NUMBER = 0,
  COL_ID = 1,
  COL_FILENAME = 2,
  COL_LOCATION = 3,
  COL_SIZE = 4,
  COL_SUBTITLE = 5,
  COL_SUBTITLE_FRENCH = 6,
  COL_SUBTITLE_ITALIAN = 7,
  COL_SUBTITLE_GERMAN = 8,
  COL_SUBTITLE_SPANISH = 9,
  COL_KIND_COUNT = 10
};

struct SoundListItem {
  ItemKind kind;
  const void* pRecord;  // CSMTaggedSound (ITEM_TAGGED) or CSMMissionSound (ITEM_MISSION); null for files
  const CSMSoundInfo* pInfo;
  const CSMSoundFile* pFile;
};

// Show switches of wShowFlags.
enum : uint16_t {
  SHOW_MISSING = 0x01,
  SHOW_OGG = 0x02,
  SHOW_WAV = 0x04,
  SHOW_TAGGED = 0x08,
  SHOW_MISSION = 0x10,
};

struct SoundTagPair {
  uint8_t tag;
  int32_t subtag;
};

class CSoundListModel {
 public:
  CSoundListModel();
  CSoundListModel(const CSoundListModel&) = delete;
  CSoundListModel& operator=(const CSoundListModel&) = delete;
  virtual ~CSoundListModel();

  void AttachCatalogue(CSoundCatalogue* catalogue);
  bool AttachLike(const CSoundListModel& other);
  void ResetFilter();
  void ResetSort();
  void SetSort(ColumnKind kind, bool descending);
  void SetShowFlags(int mode, uint16_t mask);
  void SetMissionFlags(int mode, uint16_t mask);
  void SetTagFilter(int mode, SoundTagPair pair);
  void Rebuild();
  void LoadFileList(const SoundListItem& item);
  void Sort();
  SoundListItem* ItemAt(int64_t row) const;
  void FreeItems();

  CSoundCatalogue* pCatalogue = nullptr;
  const CSMSoundTagTable* pTagTable = nullptr;
  const CSMTaggedSoundTable* pTaggedSounds = nullptr;
  const CSMMissionSoundTable* pMissionSounds = nullptr;
  const CSMSoundInfoTable* pSoundInfo = nullptr;
  uint8_t bFixed = 0;
  uint16_t wShowFlags = 0xFFFF;
  const CSMSoundInfo* pReference = nullptr;
  uint8_t bMatchByFile = 0;
  uint16_t wMissionFlags = 0xFFFF;
  uint8_t nTagFilter = 0xFF;
  int32_t nSubtagFilter = -1;
  ColumnKind nSortKind = COL_NUMBER;
  uint8_t bSortDescending = 0;
  uint32_t nCount = 0;
  SoundListItem* pItems = nullptr;
  SoundListItem** ppOrder = nullptr;

 private:
  bool FilePasses(const CSMSoundFile& file) const;
  bool FileMatchesReference(const CSMSoundFile& file) const;
  template <class Append>
  void GatherFiles(const CSMSoundInfo& info, Append&& append) const;
};
