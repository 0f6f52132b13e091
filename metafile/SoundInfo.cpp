#include "metafile/SoundInfo.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "catalogue/SoundCatalogue.h"
#include "metafile/SMFileArchiver.h"
#include "metafile/SMRecordPool.h"
#include "platform/RadixSort.h"

const uint8_t CSMSoundInfo::kNoUnknown[kUnknownSize] = {};

void CSMSoundInfo::Serialize(CArchiver& ar) {
  if (ar.IsLoading()) {
    FreeFiles();
    FreeUnknown();
    m_nFileCount = 0;
    if (const char* bytes = ar.ReadInPlace(kUnknownSize)) {
      m_unknown = reinterpret_cast<const uint8_t*>(bytes);
    } else {
      // A copy, zeroed first: a record cut short keeps the bytes that were read.
      uint8_t* copy;
      if (CSMRecordPool* pool = ar.GetRecordPool()) {
        copy = reinterpret_cast<uint8_t*>(pool->Allocate(kUnknownSize));
      } else {
        copy = new uint8_t[kUnknownSize]();
        m_bOwnedUnknown = true;
      }
      m_unknown = copy;
      ar.Read(copy, kUnknownSize);
    }
    ar.Read(&m_nFileCount, 1);
    if (m_nFileCount != 0) {
      if (CSMRecordPool* pool = ar.GetRecordPool()) {
        m_pFiles = reinterpret_cast<CSMSoundFile*>(
            pool->Allocate(sizeof(CSMSoundFile) * m_nFileCount, alignof(CSMSoundFile)));
        for (int i = 0; i < m_nFileCount; ++i) new (&m_pFiles[i]) CSMSoundFile;
        m_bPooledFiles = true;
      } else {
        m_pFiles = new CSMSoundFile[m_nFileCount];
      }
      for (int i = 0; i < m_nFileCount; ++i) {
        CSMSoundFile& f = m_pFiles[i];
        f.m_name.Serialize(ar);
        f.m_data.Serialize(ar);
        ar.Read(&f.m_nWavSize, 4);
        ar.Read(&f.m_nOggSize, 4);
        ar.Read(&f.m_nReserved, 4);
        for (CSMString& s : f.m_subtitles) s.Serialize(ar);
      }
    }
  } else if (ar.IsStoring()) {
    CArchiver::Throw(10, "CSMSoundInfo::Serialize [storing]");
  }
}

void CSMSoundInfo::FreeUnknown() {
  if (m_bOwnedUnknown) delete[] m_unknown;
  m_unknown = kNoUnknown;
  m_bOwnedUnknown = false;
}

void CSMSoundInfo::FreeFiles() {
  if (m_bPooledFiles) {
    for (int i = 0; i < m_nFileCount; ++i) m_pFiles[i].~CSMSoundFile();
  } else {
    delete[] m_pFiles;
  }
  m_pFiles = nullptr;
  m_bPooledFiles = false;
}

void CSMSoundInfoTable::Serialize(CArchiver&) {
  CArchiver::Throw(10, "CSMSoundInfoTable::Serialize Serialize NOT ALLOWED!");
}

void CSMSoundInfoTable::Clear() {
  CSMArray<CSMSoundInfo>::Clear();
  delete[] m_ppTaggedInfo;
  delete[] m_ppMissionInfo;
  m_ppTaggedInfo = nullptr;
  m_ppMissionInfo = nullptr;
  m_nTaggedCount = 0;
  m_nMissionCount = 0;
  m_nLoaded = 0;
}

void CSMSoundInfoTable::Build(CSoundCatalogue& catalogue) {
  IProgressSink* progress = catalogue.m_pProgress;
  Clear();

  m_nTaggedCount = catalogue.m_taggedSounds.GetCount();
  if (m_nTaggedCount > 0) m_ppTaggedInfo = new CSMSoundInfo*[m_nTaggedCount]();
  m_nMissionCount = catalogue.m_missionSounds.GetCount();
  if (m_nMissionCount > 0) m_ppMissionInfo = new CSMSoundInfo*[m_nMissionCount]();

  m_nCount = m_nTaggedCount + m_nMissionCount;
  if (m_nCount == 0) return;

  CSMFileArchiver ar;
  ar.SetRecordPool(&catalogue.m_recordPool);
  ar.Open(&catalogue, 2, CArchiver::MODE_LOAD);

  struct WorkEntry {
    uint32_t offset;
    CSMSoundInfo** result;
  };
  std::vector<WorkEntry> work;
  work.reserve(static_cast<size_t>(m_nCount));
  for (int32_t i = 0; i < m_nTaggedCount; ++i)
    work.push_back({catalogue.m_taggedSounds[i].m_info.m_nValue, &m_ppTaggedInfo[i]});
  for (int32_t j = 0; j < m_nMissionCount; ++j)
    work.push_back({catalogue.m_missionSounds[j].m_info.m_nValue, &m_ppMissionInfo[j]});
  RadixSortByKey32(work, [](const WorkEntry& w) { return w.offset; });

  m_pData = new CSMSoundInfo[m_nCount];

  int32_t interval = m_nCount / 40;
  if (progress) progress->SetStage(0, 40, "Reading Sound Information...");

  // Records lie side by side. A crafted set could point its sounds at many distinct offsets
  // inside the same bytes, each record read and kept again: once the bytes read again exceed
  // the fresh ones by kRereadAllowance, the load ends as a read error.
  constexpr uint64_t kRereadAllowance = 1 << 20;
  uint64_t fresh = 0, again = 0;
  uint32_t covered = 0;  // packed end of the furthest record read

  uint32_t previous = CSMOffset::kInvalid;
  CSMSoundInfo* current = nullptr;
  for (size_t i = 0; i < work.size(); ++i) {
    if (work[i].offset != previous) {
      CSMOffset target;
      target.m_nValue = work[i].offset;
      bool sought = true;
      try {
        ar.Seek(target);
      } catch (const CArchiver::xArchiver&) {
        sought = false;
      }
      if (sought) {
        current = &m_pData[m_nLoaded];
        current->Serialize(ar);
        ++m_nLoaded;
        previous = work[i].offset;
        const uint32_t end = ar.GetPosition().m_nValue;
        if (end > covered) fresh += end - std::max(previous, covered);
        if (previous < covered) again += std::min(end, covered) - previous;
        covered = std::max(covered, end);
        if (again > fresh + kRereadAllowance) CArchiver::Throw(6, "CSMSoundInfoTable::Build: records overlap");
      } else {
        current = nullptr;
        previous = ar.GetPosition().m_nValue;
      }
    }
    *work[i].result = current;
    // With fewer than 40 sounds every sound is a step.
    if (progress && (interval == 0 || (static_cast<int32_t>(i) + 1) % interval == 0)) progress->Step(0);
  }
}
