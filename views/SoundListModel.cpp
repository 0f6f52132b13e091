#include "views/SoundListModel.h"

#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "views/SoundListSort.h"

CSoundListModel::CSoundListModel() {
  ResetFilter();
  ResetSort();
}

CSoundListModel::~CSoundListModel() { FreeItems(); }

void CSoundListModel::AttachCatalogue(CSoundCatalogue* catalogue) {
  pCatalogue = catalogue;
  pTagTable = catalogue ? &catalogue->m_soundTags : nullptr;
  pTaggedSounds = catalogue ? &catalogue->m_taggedSounds : nullptr;
  pMissionSounds = catalogue ? &catalogue->m_missionSounds : nullptr;
  pSoundInfo = catalogue ? &catalogue->m_soundInfos : nullptr;
  ResetFilter();
  ResetSort();
  FreeItems();
}

bool CSoundListModel::AttachLike(const CSoundListModel& other) {
  if (!other.pCatalogue) return false;
  AttachCatalogue(other.pCatalogue);
  return true;
}

void CSoundListModel::ResetFilter() {
  pReference = nullptr;
  bMatchByFile = 0;
  wShowFlags = 0xFFFF;
  wMissionFlags = 0xFFFF;
  nTagFilter = 0xFF;
  nSubtagFilter = -1;
}

void CSoundListModel::ResetSort() {
  nSortKind = COL_NUMBER;
  bSortDescending = 0;
}

void CSoundListModel::SetSort(ColumnKind kind, bool descending) {
  nSortKind = kind;
  bSortDescending = descending ? 1 : 0;
}

void CSoundListModel::SetShowFlags(int mode, uint16_t mask) {
  if (mode == 0)
    wShowFlags |= mask;
  else if (mode == 1)
    wShowFlags &= static_cast<uint16_t>(~mask);
}

void CSoundListModel::SetMissionFlags(int mode, uint16_t mask) {
  if (mode == 0)
    wMissionFlags |= mask;
  else if (mode == 1)
    wMissionFlags &= static_cast<uint16_t>(~mask);
}

void CSoundListModel::SetTagFilter(int mode, SoundTagPair pair) {
  int32_t tagCount = pTagTable ? pTagTable->GetCount() : 0;
  if (pair.tag >= tagCount) {
    pair = {0xFF, -1};
  } else if (pair.subtag != -1 && pair.subtag >= (*pTagTable)[pair.tag].m_nSubCount) {
    pair.subtag = -1;
  }
  if (mode == 0) {
    nTagFilter = pair.tag;
    nSubtagFilter = pair.subtag;
  } else if (mode == 1) {
    nTagFilter = 0xFF;
    nSubtagFilter = -1;
  }
}

bool CSoundListModel::FilePasses(const CSMSoundFile& file) const {
  return ((wShowFlags & SHOW_MISSING) || file.m_data.IsValid()) && (file.m_nOggSize == 0 || (wShowFlags & SHOW_OGG)) &&
         (file.m_nWavSize == 0 || (wShowFlags & SHOW_WAV));
}

bool CSoundListModel::FileMatchesReference(const CSMSoundFile& file) const {
  if (!file.m_data.IsValid()) return false;
  for (int32_t k = 0; k < pReference->m_nFileCount; ++k) {
    const CSMSoundFile* ref = pReference->GetFile(k);
    if (ref->m_data.IsValid() && ref->m_data == file.m_data) return true;
  }
  return false;
}

template <class Append>
void CSoundListModel::GatherFiles(const CSMSoundInfo& info, Append&& append) const {
  for (int32_t j = 0; j < info.m_nFileCount; ++j) {
    const CSMSoundFile* file = info.GetFile(j);
    if (pReference) {
      if (!bMatchByFile && j != 0) continue;
      if (bMatchByFile && !FileMatchesReference(*file)) continue;
    }
    if (FilePasses(*file)) append(file);
  }
}

void CSoundListModel::Rebuild() {
  if (bFixed) return;
  FreeItems();
  if (!pSoundInfo) return;

  std::vector<SoundListItem> rows;
  if ((wShowFlags & SHOW_TAGGED) && pTaggedSounds) {
    for (int32_t i = 0; i < pTaggedSounds->GetCount(); ++i) {
      const CSMSoundInfo* info = pSoundInfo->GetTaggedSoundInfo(i);
      if (!info) continue;
      if (pReference && !bMatchByFile && info != pReference) continue;
      const CSMTaggedSound& sound = pTaggedSounds->m_pData[i];
      if (nTagFilter != 0xFF) {
        bool found = false;
        for (int32_t t = 0; t < sound.m_nTagCount && !found; ++t) {
          const SMTagRef* ref = sound.GetTag(t);
          found = ref->tag == nTagFilter &&
                  (nSubtagFilter == -1 || ref->subTag == static_cast<uint32_t>(nSubtagFilter));
        }
        if (!found) continue;
      }
      GatherFiles(*info, [&](const CSMSoundFile* f) { rows.push_back({ITEM_TAGGED, &sound, info, f}); });
    }
  }
  if ((wShowFlags & SHOW_MISSION) && pMissionSounds) {
    for (int32_t i = 0; i < pMissionSounds->GetCount(); ++i) {
      const CSMSoundInfo* info = pSoundInfo->GetMissionSoundInfo(i);
      if (!info) continue;
      if (pReference && !bMatchByFile && info != pReference) continue;
      const CSMMissionSound& sound = pMissionSounds->m_pData[i];
      uint16_t bits = sound.m_nFlags & wMissionFlags;
      if (!(bits & SMF_MISSION_MASK) || !(bits & SMF_SEX_MASK)) continue;
      GatherFiles(*info, [&](const CSMSoundFile* f) { rows.push_back({ITEM_MISSION, &sound, info, f}); });
    }
  }

  if (rows.empty()) return;
  nCount = static_cast<uint32_t>(rows.size());
  pItems = new SoundListItem[nCount];
  ppOrder = new SoundListItem*[nCount];
  for (uint32_t r = 0; r < nCount; ++r) {
    pItems[r] = rows[r];
    ppOrder[r] = &pItems[r];
  }
}

void CSoundListModel::LoadFileList(const SoundListItem& item) {
  bFixed = 1;
  FreeItems();
  const CSMSoundInfo* info = item.pInfo;
  if (!info || info->m_nFileCount == 0) return;
  nCount = info->m_nFileCount;
  pItems = new SoundListItem[nCount];
  ppOrder = new SoundListItem*[nCount];
  for (uint32_t j = 0; j < nCount; ++j) {
    pItems[j] = {ITEM_FILE, nullptr, info, info->GetFile(static_cast<int32_t>(j))};
    ppOrder[j] = &pItems[j];
  }
}

void CSoundListModel::Sort() {
  if (nSortKind == COL_NUMBER) {
    for (uint32_t r = 0; r < nCount; ++r) ppOrder[r] = &pItems[bSortDescending ? nCount - 1 - r : r];
    return;
  }
  SortItems(ppOrder, nCount, nSortKind, bSortDescending != 0, pCatalogue ? &pCatalogue->m_sortRanks : nullptr);
}

SoundListItem* CSoundListModel::ItemAt(int64_t row) const {
  if (row < 0 || row >= static_cast<int64_t>(nCount)) return nullptr;
  return ppOrder[row];
}

void CSoundListModel::FreeItems() {
  delete[] pItems;
  delete[] ppOrder;
  pItems = nullptr;
  ppOrder = nullptr;
  nCount = 0;
}
