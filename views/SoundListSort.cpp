#include "views/SoundListSort.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "platform/PathUtil.h"

namespace {

int CompareText(const char* a, const char* b) {
  if (a == b) return 0;
  return strcmp(a ? a : "", b ? b : "");  // strcmp compares bytes as unsigned
}

// A row without a sound file sorts before a row with one; two such rows are equal.
bool CompareMissingFiles(const SoundListItem* a, const SoundListItem* b, int& result) {
  if (a->pFile && b->pFile) return false;
  result = (a->pFile ? 1 : 0) - (b->pFile ? 1 : 0);
  return true;
}

const char* FilenameKey(const CSMSoundFile* f) {
  const char* name = f->m_name.GetText();
  if (!f->m_data.IsValid() && _stricmp(name, "none") == 0) return "";
  return name;
}

template <int Language>
int CompareSubtitleOf(const SoundListItem* a, const SoundListItem* b) {
  return CompareSubtitle(a, b, Language);
}

constexpr int kMaxChain = 2;
SoundItemComparator g_pfnPrimary = nullptr;
SoundItemComparator g_pfnChain[kMaxChain] = {};

}  // namespace

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

// A row with its primary key taken out, so that most comparisons touch neither the row nor its
// file. Text keys are compared eight bytes at a time (most significant digit first): a run of rows
// whose texts agree so far reads its next eight bytes once per row, not once per comparison.
// Every step orders as CompareItems does, so the result is an order CompareItems accepts.
struct KeyedItem {
  uint32_t group;     // rows of a lower group come first
  uint64_t value;     // a number, or eight bytes of the text from `depth` on, big-endian, zero-padded
  const char* text;   // the text of a text key; null for a number
  const char* text2;  // the file name, when it is the first tie-break (CompareFilename); else null
  SoundListItem* item;
};

// Eight bytes of a text, big-endian and zero-padded; `ended` tells whether the text ends within them.
uint64_t TextChunk(const char* s, bool& ended) {
  uint64_t v = 0;
  ended = false;
  for (int i = 0; i < 8; ++i) {
    v <<= 8;
    if (!ended && *s)
      v |= static_cast<unsigned char>(*s++);
    else
      ended = true;
  }
  return v;
}

template <int First>
int CompareChainFrom(const SoundListItem* a, const SoundListItem* b) {
  int r = 0;
  for (int i = First; r == 0 && i < kMaxChain && g_pfnChain[i]; ++i) r = g_pfnChain[i](a, b);
  return r;
}

// Sorts rows whose keys agree before `depth`, most significant eight bytes first, and hands
// each run of equal keys on to `tie`. `descending` reverses every comparison.
template <class Tie>
void SortByChunks(KeyedItem* begin, KeyedItem* end, size_t depth, bool descending, Tie tie) {
  if (end - begin < 2) return;
  bool ended;
  for (KeyedItem* k = begin; k < end; ++k)
    if (k->text) k->value = TextChunk(k->text + depth, ended);
  std::sort(begin, end, [descending](const KeyedItem& a, const KeyedItem& b) {
    if (a.group != b.group) return descending ? a.group > b.group : a.group < b.group;
    return descending ? a.value > b.value : a.value < b.value;
  });
  for (KeyedItem* run = begin; run < end;) {
    KeyedItem* next = run + 1;
    while (next < end && next->group == run->group && next->value == run->value) ++next;
    ended = true;
    if (run->text) TextChunk(run->text + depth, ended);
    if (next - run > 1) {
      if (!ended)
        SortByChunks(run, next, depth + 8, descending, tie);
      else
        tie(run, next);
    }
    run = next;
  }
}

template <int First>
void SortByChain(KeyedItem* begin, KeyedItem* end, bool descending) {
  if (descending)
    std::sort(begin, end, [](const KeyedItem& a, const KeyedItem& b) { return CompareChainFrom<First>(b.item, a.item) < 0; });
  else
    std::sort(begin, end, [](const KeyedItem& a, const KeyedItem& b) { return CompareChainFrom<First>(a.item, b.item) < 0; });
}

// Rows whose primary keys are equal: by file name (text2) when that is the first tie-break, then
// by the rest of the chain.
void SortTies(KeyedItem* begin, KeyedItem* end, bool descending) {
  if (!begin->text2) return SortByChain<0>(begin, end, descending);
  for (KeyedItem* k = begin; k < end; ++k) {
    k->group = 0;
    k->text = k->text2;
  }
  SortByChunks(begin, end, 0, descending,
               [descending](KeyedItem* b, KeyedItem* e) { SortByChain<1>(b, e, descending); });
}

// Takes out the primary key of a row; false when the kind or the row has no such key.
bool MakeKey(ColumnKind kind, SoundListItem* item, KeyedItem& k) {
  k = {0, 0, nullptr, nullptr, item};
  // Every kind but the file name's own sorts ties by file name first: a row without a file
  // cannot take part in that.
  if (kind != COL_FILENAME) {
    if (!item->pFile) return false;
    k.text2 = FilenameKey(item->pFile);
  }
  const CSMSoundFile* f = item->pFile;
  if (kind == COL_ID) {
    if (item->kind == ITEM_TAGGED) return true;
    if (item->kind != ITEM_MISSION) return false;
    k.group = 1;
    k.text = static_cast<const CSMMissionSound*>(item->pRecord)->m_name.GetText();
  } else if (!f) {
    return false;
  } else if (kind == COL_FILENAME) {
    k.text = FilenameKey(f);
  } else if (kind == COL_LOCATION) {
    k.value = f->m_data.m_nValue == CSMOffset::kInvalid ? 0 : uint64_t{f->m_data.m_nValue} + 1;
  } else if (kind == COL_SIZE) {
    k.value = f->GetSize();
  } else if (kind >= COL_SUBTITLE && kind <= COL_SUBTITLE_SPANISH) {
    k.text = f->m_subtitles[kind - COL_SUBTITLE].GetText();
  } else {
    return false;
  }
  return true;
}

}  // namespace

void SortItems(SoundListItem** order, uint32_t count, ColumnKind kind, bool descending) {
  SoundItemComparator compare = SelectComparator(kind, descending);
  if (!compare || count < 2) return;
  std::vector<KeyedItem> keyed(count);
  bool keyedAll = true;
  for (uint32_t i = 0; i < count && keyedAll; ++i) keyedAll = MakeKey(kind, order[i], keyed[i]);
  if (!keyedAll) {
    std::sort(order, order + count,
              [compare](const SoundListItem* a, const SoundListItem* b) { return compare(a, b) < 0; });
    return;
  }
  SortByChunks(keyed.data(), keyed.data() + count, 0, descending,
               [descending](KeyedItem* b, KeyedItem* e) { SortTies(b, e, descending); });
  for (uint32_t i = 0; i < count; ++i) order[i] = keyed[i].item;
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
