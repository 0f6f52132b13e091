#include "views/SoundListSort.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <vector>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "platform/PathUtil.h"
#include "views/SoundListRanks.h"
#include "views/TwoThreads.h"

namespace {

int CompareText(std::string_view a, std::string_view b) {
  return a.compare(b);  // bytes compared as unsigned, a text before a longer one it begins
}

// A row without a sound file sorts before a row with one; two such rows are equal.
bool CompareMissingFiles(const SoundListItem* a, const SoundListItem* b, int& result) {
  if (a->pFile && b->pFile) return false;
  result = (a->pFile ? 1 : 0) - (b->pFile ? 1 : 0);
  return true;
}

template <int Language>
int CompareSubtitleOf(const SoundListItem* a, const SoundListItem* b) {
  return CompareSubtitle(a, b, Language);
}

constexpr int kMaxChain = 2;
SoundItemComparator g_pfnPrimary = nullptr;
SoundItemComparator g_pfnChain[kMaxChain] = {};

}  // namespace

std::string_view FilenameKey(const CSMSoundFile* f) {
  const std::string_view name = f->m_name.GetText();
  if (!f->m_data.IsValid() && EqualsIgnoringCase(name, "none")) return std::string_view("", 0);
  return name;
}

int CompareId(const SoundListItem* a, const SoundListItem* b) {
  bool ta = a->kind == ITEM_TAGGED, tb = b->kind == ITEM_TAGGED;
  if (ta != tb) return ta ? -1 : 1;
  if (a->kind == ITEM_MISSION && b->kind == ITEM_MISSION)
    return CompareText(static_cast<const CSMMissionSound*>(a->pRecord)->m_name.GetText(),
                       static_cast<const CSMMissionSound*>(b->pRecord)->m_name.GetText());
  return 0;
}

int CompareFilename(const SoundListItem* a, const SoundListItem* b) {
  int r;
  if (CompareMissingFiles(a, b, r)) return r;
  return CompareText(FilenameKey(a->pFile), FilenameKey(b->pFile));
}

int CompareLocation(const SoundListItem* a, const SoundListItem* b) {
  int r;
  if (CompareMissingFiles(a, b, r)) return r;
  uint32_t x = a->pFile->m_data.m_nValue, y = b->pFile->m_data.m_nValue;
  bool mx = x == CSMOffset::kInvalid, my = y == CSMOffset::kInvalid;
  if (mx || my) return (mx ? 0 : 1) - (my ? 0 : 1);
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareSize(const SoundListItem* a, const SoundListItem* b) {
  int r;
  if (CompareMissingFiles(a, b, r)) return r;
  uint32_t x = a->pFile->GetSize(), y = b->pFile->GetSize();
  return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareSubtitle(const SoundListItem* a, const SoundListItem* b, int language) {
  int r;
  if (CompareMissingFiles(a, b, r)) return r;
  return CompareText(a->pFile->m_subtitles[language].GetText(), b->pFile->m_subtitles[language].GetText());
}

SoundItemComparator SelectComparator(ColumnKind kind, bool descending) {
  static const SoundItemComparator kSubtitles[5] = {CompareSubtitleOf<0>, CompareSubtitleOf<1>, CompareSubtitleOf<2>,
                                                    CompareSubtitleOf<3>, CompareSubtitleOf<4>};
  g_pfnPrimary = nullptr;
  g_pfnChain[0] = g_pfnChain[1] = nullptr;
  switch (kind) {
    case COL_ID:
      g_pfnPrimary = CompareId;
      g_pfnChain[0] = CompareFilename;
      break;
    case COL_FILENAME:
      g_pfnPrimary = CompareFilename;
      g_pfnChain[0] = CompareId;
      break;
    case COL_LOCATION:
    case COL_SIZE:
      g_pfnPrimary = kind == COL_LOCATION ? CompareLocation : CompareSize;
      g_pfnChain[0] = CompareFilename;
      g_pfnChain[1] = CompareId;
      break;
    case COL_SUBTITLE:
    case COL_SUBTITLE_FRENCH:
    case COL_SUBTITLE_ITALIAN:
    case COL_SUBTITLE_GERMAN:
    case COL_SUBTITLE_SPANISH:
      g_pfnPrimary = kSubtitles[kind - COL_SUBTITLE];
      g_pfnChain[0] = CompareFilename;
      g_pfnChain[1] = CompareId;
      break;
    default:
      return nullptr;
  }
  return descending ? CompareItemsReversed : CompareItems;
}

int CompareItems(const SoundListItem* a, const SoundListItem* b) {
  if (!g_pfnPrimary) return 0;
  int r = g_pfnPrimary(a, b);
  for (int i = 0; r == 0 && i < kMaxChain && g_pfnChain[i]; ++i) r = g_pfnChain[i](a, b);
  return r;
}

int CompareItemsReversed(const SoundListItem* a, const SoundListItem* b) { return CompareItems(b, a); }

namespace {

// Bits that hold every value below `range`.
int BitsBelow(uint64_t range) { return range <= 1 ? 0 : 64 - __builtin_clzll(range - 1); }

// Sorts values by their bits from `low` up to `high`, least significant digit first, keeping the
// order of equal keys; digits that all values share are left out. The result is in `values`.
void RadixSort(uint64_t* values, uint64_t* buffer, uint32_t count, int low, int high) {
  int bits = high - low;
  if (bits <= 0) return;
  int passes = (bits + 11) / 12;
  int width = (bits + passes - 1) / passes;
  uint64_t mask = (uint64_t{1} << width) - 1;
  std::vector<uint32_t> start(static_cast<size_t>(passes) << width, 0);
  for (uint32_t i = 0; i < count; ++i)
    for (int p = 0; p < passes; ++p) ++start[(static_cast<size_t>(p) << width) + ((values[i] >> (low + p * width)) & mask)];
  uint64_t* from = values;
  uint64_t* to = buffer;
  for (int p = 0; p < passes; ++p) {
    uint32_t* digit = &start[static_cast<size_t>(p) << width];
    int shift = low + p * width;
    if (digit[(values[0] >> shift) & mask] == count) continue;
    uint32_t at = 0;
    for (uint64_t d = 0; d <= mask; ++d) {
      uint32_t k = digit[d];
      digit[d] = at;
      at += k;
    }
    for (uint32_t i = 0; i < count; ++i) to[digit[(from[i] >> shift) & mask]++] = from[i];
    std::swap(from, to);
  }
  if (from != values) std::copy(from, from + count, values);
}

// Sorts by the ranks of the rows' keys: each row gets a file key (0 without a file, else one
// more than its file's rank for the kind) and an ID key (0 tagged, one more than the mission
// sound's rank for mission rows, 1 for file rows), and is ordered by both, the kind's primary one
// first, which is the order of the kind's whole chain. The two keys and the row's index make one
// 64-bit number, sorted by its key bits. False when a row is not the catalogue's, when file rows
// and mission rows are mixed (CompareId does not order them), or when the number would not fit.
bool SortByRanks(SoundListItem** order, uint32_t count, ColumnKind kind, bool descending, CSoundSortRanks& ranks) {
  uint32_t files, missions;
  const uint32_t* fileRank = ranks.FileRanks(kind == COL_ID ? COL_FILENAME : kind, files);
  const uint32_t* missionRank = ranks.MissionRanks(missions);
  if (!fileRank) return false;
  uint64_t fileRange = uint64_t{files} + 1, idRange = uint64_t{missions} + 2;
  int rowBits = BitsBelow(count), fileBits = BitsBelow(fileRange), idBits = BitsBelow(idRange);
  if (rowBits + fileBits + idBits > 64) return false;
  int idShift = kind == COL_ID ? rowBits + fileBits : rowBits;
  int fileShift = kind == COL_ID ? rowBits : rowBits + idBits;

  std::byte* at = ranks.Scratch(2 * sizeof(uint64_t) * count);
  uint64_t* keys = CSoundSortRanks::Take<uint64_t>(at, count);
  uint64_t* buffer = CSoundSortRanks::Take<uint64_t>(at, count);
  // Runs of rows taken in turn by one or two threads: the slots first, then their ranks, two
  // passes whose loads do not wait on each other.
  constexpr uint32_t kNoFile = UINT32_MAX, kTagged = UINT32_MAX, kFileRow = UINT32_MAX - 1, kRun = 16384;
  enum { FILE_ROWS, MISSION_ROWS, FOREIGN_ROWS };
  bool seen[2][3] = {};
  std::atomic<uint32_t> nextRun{0};
  OnTwoThreads(ranks.OnTwoCores(count), [&](bool helper) {
    bool found[3] = {};  // here, not in `seen`: the threads would share its cache line row by row
    for (uint32_t begin; (begin = nextRun.fetch_add(kRun, std::memory_order_relaxed)) < count;) {
      uint32_t end = std::min(count - begin, kRun) + begin;
      for (uint32_t i = begin; i < end; ++i) {
        const SoundListItem& item = *order[i];
        uint32_t file = kNoFile, id = kTagged;
        if (item.pFile && !ranks.FileSlot(item, file)) found[FOREIGN_ROWS] = true;
        if (item.kind == ITEM_MISSION && ranks.MissionSlot(item, id)) {
          found[MISSION_ROWS] = true;
        } else if (item.kind == ITEM_FILE) {
          id = kFileRow;
          found[FILE_ROWS] = true;
        } else if (item.kind != ITEM_TAGGED) {
          found[FOREIGN_ROWS] = true;  // a mission sound not in the table, or no kind of row
        }
        keys[i] = uint64_t{file} << 32 | id;
      }
      if (found[FOREIGN_ROWS]) break;
      for (uint32_t i = begin; i < end; ++i) {
        uint32_t file = static_cast<uint32_t>(keys[i] >> 32), id = static_cast<uint32_t>(keys[i]);
        uint64_t fileKey = file == kNoFile ? 0 : uint64_t{fileRank[file]} + 1;
        uint64_t idKey = id == kTagged ? 0 : id == kFileRow ? 1 : uint64_t{missionRank[id]} + 1;
        if (descending) {
          fileKey = fileRange - 1 - fileKey;
          idKey = idRange - 1 - idKey;
        }
        keys[i] = fileKey << fileShift | idKey << idShift | i;
      }
    }
    std::copy(found, found + 3, seen[helper]);
  });
  auto any = [&seen](int what) { return seen[0][what] || seen[1][what]; };
  if (any(FOREIGN_ROWS) || (any(FILE_ROWS) && any(MISSION_ROWS))) return false;
  RadixSort(keys, buffer, count, rowBits, rowBits + fileBits + idBits);
  for (uint32_t i = 0; i < count; ++i) buffer[i] = reinterpret_cast<uintptr_t>(order[i]);
  uint64_t rowMask = (uint64_t{1} << rowBits) - 1;
  for (uint32_t i = 0; i < count; ++i) order[i] = reinterpret_cast<SoundListItem*>(buffer[keys[i] & rowMask]);
  return true;
}

}  // namespace

void SortItems(SoundListItem** order, uint32_t count, ColumnKind kind, bool descending, CSoundSortRanks* ranks) {
  SoundItemComparator compare = SelectComparator(kind, descending);
  if (!compare || count < 2) return;
  if (ranks && SortByRanks(order, count, kind, descending, *ranks)) return;
  std::sort(order, order + count, [compare](const SoundListItem* a, const SoundListItem* b) { return compare(a, b) < 0; });
}

HeaderClickResult OnColumnClick(SoundListSortState& state, const ColumnKind* kinds, int32_t kindCount,
                                int32_t column) {
  HeaderClickResult result;
  if (!kinds || kindCount <= 0 || column < 0 || column >= kindCount) return result;
  result.handled = true;
  result.oldColumn = state.nSortColumn;
  bool isNumber = kinds[column] == COL_NUMBER;
  if (column != state.nSortColumn && !(state.nSortColumn == -1 && isNumber)) {
    state.nSortColumn = isNumber ? -1 : column;
    state.bSortDescending = 0;
  } else if (state.bSortDescending) {
    state.nSortColumn = -1;
    state.bSortDescending = 0;
  } else {
    state.bSortDescending = 1;
  }
  result.newColumn = state.nSortColumn;
  if (result.newColumn >= 0) result.arrowImage = state.bSortDescending ? 0 : 1;
  return result;
}

void ApplySort(SoundListSortState& state, CSoundListModel* model, const ColumnKind* kinds, int32_t kindCount) {
  if (!model || !kinds || kindCount <= 0) return;
  ColumnKind kind = COL_NUMBER;
  if (state.nSortColumn >= 0 && state.nSortColumn < kindCount) kind = kinds[state.nSortColumn];
  if (kind < COL_NUMBER || kind >= COL_KIND_COUNT) {
    kind = COL_NUMBER;
    state.bSortDescending = 0;
  }
  model->SetSort(kind, state.bSortDescending != 0);
  model->Sort();
}
