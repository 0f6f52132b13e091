// The in-memory catalogue of one metafile set.
#pragma once

#include <cstdio>

#include "catalogue/ProgressSink.h"
#include "metafile/MissionSounds.h"
#include "metafile/SMFileArchiver.h"
#include "metafile/SMRecordPool.h"
#include "metafile/SoundInfo.h"
#include "metafile/SoundTags.h"
#include "views/SoundListModel.h"
#include "views/SoundListRanks.h"

class CSoundCatalogue : public CSMMetafileProvider {
 public:
  static constexpr int kPathSize = 260;
  static constexpr int kTableStart = 13;

  CSoundCatalogue();
  CSoundCatalogue(const CSoundCatalogue&) = delete;
  CSoundCatalogue& operator=(const CSoundCatalogue&) = delete;
  virtual ~CSoundCatalogue();

  // Loads the set in `path` (its directory, or any file in it). True when everything was read;
  // after a metafile error prints two lines to `diagnostics` (standard output) and returns false.
  bool Load(const char* path, IProgressSink* progress, FILE* diagnostics = stdout);
  void Clear();
  // The directory part of the path becomes the base path; false (and an empty base path)
  // when the path does not fit.
  bool SetBasePath(const char* path);
  FILE* OpenMetafile(int32_t nFile) override;

  static const char* GetMetafileName(int32_t nFile);
  // Joins with exactly one separator; false (directory unchanged) when the result would not
  // fit in `capacity` bytes.
  static bool AppendPath(char* directory, const char* name, size_t capacity = kPathSize);

  CSMSoundTagTable m_soundTags;
  CSMTaggedSoundTable m_taggedSounds;
  CSMMissionSoundTable m_missionSounds;
  CSMSoundInfoTable m_soundInfos;
  CSoundListModel m_listModel;
  CSoundSortRanks m_sortRanks{m_soundInfos, m_missionSounds};  // computed by the sorts, emptied by Clear
  CSMRecordPool m_recordPool;  // texts and sound file entries of the records; emptied by Clear after the tables
  IProgressSink* m_pProgress = nullptr;
  char m_szBasePath[kPathSize] = {};
};
