// Ranks of the sort keys of a catalogue's sound files and mission sounds. The catalogue does not
// change after its load, so each kind's ranks are computed by its first sort and kept until the
// catalogue's Clear; rows then sort on integers.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "views/SoundListModel.h"

class CSoundSortRanks {
 public:
  CSoundSortRanks(const CSMSoundInfoTable& soundInfos, const CSMMissionSoundTable& missionSounds)
      : m_soundInfos(soundInfos), m_missionSounds(missionSounds) {}
  CSoundSortRanks(const CSoundSortRanks&) = delete;
  CSoundSortRanks& operator=(const CSoundSortRanks&) = delete;

  // Forgets every rank; the next sort computes them from the tables again.
  void Clear();

  // Ranks by file slot (FileSlot) for a kind from 2 to 9: equal for two files exactly when the
  // kind's primary comparator and CompareFilename call them equal, and ordered as they order
  // them. `distinct` is one more than the highest rank. Null for other kinds.
  const uint32_t* FileRanks(ColumnKind kind, uint32_t& distinct);
  // Ranks of the mission sounds' names by table index, in the same way.
  const uint32_t* MissionRanks(uint32_t& distinct);

  // Where the ranks of a row's file and mission sound are; false when the row's file or mission
  // sound is not one of the tables'. Inline below: every row of a sort asks.
  bool FileSlot(const SoundListItem& item, uint32_t& slot);
  bool MissionSlot(const SoundListItem& item, uint32_t& slot) const;

  // Working space of at least `bytes` bytes for computing ranks and sorting rows, kept from one
  // sort to the next (a list sorted again needs no fresh memory) until Clear.
  std::byte* Scratch(size_t bytes);
  // Starts `count` objects of a trivial type at `at` in the working space and moves `at` past them.
  template <class T>
  static T* Take(std::byte*& at, size_t count) {
    T* objects = std::uninitialized_default_construct_n(reinterpret_cast<T*>(at), count) - count;
    at += (count * sizeof(T) + 7) / 8 * 8;
    return objects;
  }

  // Work over at least this many files or rows is shared by two threads, where the machine has
  // two cores (tests set 0 to take that path with few).
  void SetParallelFrom(uint32_t entries) { m_nParallelFrom = entries; }
  bool OnTwoCores(uint32_t entries) const;

  // Bytes the kept ranks and working space occupy.
  size_t GetHeldBytes() const;

 private:
  void NumberSlots();
  uint32_t MissionCount() const;
  // Computes the mission sounds' ranks in `scratch`, Ranker::ScratchBytes of their count.
  void RankMissions(std::byte* scratch);

  const CSMSoundInfoTable& m_soundInfos;
  const CSMMissionSoundTable& m_missionSounds;
  // By sound information index: the slot of its first file (one more at the end), and its files.
  std::vector<uint32_t> m_firstSlot;
  std::vector<const CSMSoundFile*> m_files;
  // Runs of files that follow one another in memory, by address, with the slot of the first.
  struct FileRun {
    uintptr_t begin, end;
    uint32_t slot;
  };
  std::vector<FileRun> m_fileRuns;
  // Ranks by file slot for each kind, and by mission sound; the element past the last holds
  // the number of distinct ranks. Empty until computed.
  std::vector<uint32_t> m_fileRanks[COL_KIND_COUNT];
  std::vector<uint32_t> m_missionRanks;
  std::unique_ptr<std::byte[]> m_scratch;
  size_t m_nScratch = 0;
  uint32_t m_nParallelFrom = 8192;
};

inline bool CSoundSortRanks::FileSlot(const SoundListItem& item, uint32_t& slot) {
  // The slot from where the file lies among the runs of files, so that a row costs no look at
  // its record.
  if (m_firstSlot.empty()) NumberSlots();
  uintptr_t file = reinterpret_cast<uintptr_t>(item.pFile);
  auto run = m_fileRuns.begin();
  if (m_fileRuns.size() <= 8) {
    run += std::count_if(m_fileRuns.begin(), m_fileRuns.end(), [file](const FileRun& r) { return file >= r.begin; });
  } else {
    run = std::upper_bound(m_fileRuns.begin(), m_fileRuns.end(), file,
                           [](uintptr_t at, const FileRun& r) { return at < r.begin; });
  }
  if (!item.pFile || run == m_fileRuns.begin() || file >= (--run)->end || (file - run->begin) % sizeof(CSMSoundFile) != 0)
    return false;
  slot = run->slot + static_cast<uint32_t>((file - run->begin) / sizeof(CSMSoundFile));
  return true;
}

inline uint32_t CSoundSortRanks::MissionCount() const {
  return m_missionSounds.m_pData ? static_cast<uint32_t>(m_missionSounds.GetCount()) : 0;  // none after an early failure
}

inline bool CSoundSortRanks::MissionSlot(const SoundListItem& item, uint32_t& slot) const {
  uintptr_t at = reinterpret_cast<uintptr_t>(item.pRecord) - reinterpret_cast<uintptr_t>(m_missionSounds.m_pData);
  if (!item.pRecord || at >= uintptr_t{MissionCount()} * sizeof(CSMMissionSound) ||
      at % sizeof(CSMMissionSound) != 0)
    return false;
  slot = static_cast<uint32_t>(at / sizeof(CSMMissionSound));
  return true;
}
