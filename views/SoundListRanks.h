// Ranks of the sort keys of a catalogue's sound files and mission sounds. The catalogue does not
// change after its load, so each kind's ranks are computed by its first sort and kept until the
// catalogue's Clear; rows then sort on integers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "views/SoundListModel.h"

class CSMSoundInfoTable;
class CSMMissionSoundTable;

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
  // sound is not one of the tables'.
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
