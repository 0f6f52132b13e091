// Row comparators, their tie-break chains and the sort state of a list's header.
#pragma once

#include <cstdint>
#include <string_view>

#include "views/SoundListModel.h"

typedef int (*SoundItemComparator)(const SoundListItem* a, const SoundListItem* b);

// The text CompareFilename compares: the name, or nothing for a missing file named "none".
std::string_view FilenameKey(const CSMSoundFile* f);

int CompareId(const SoundListItem* a, const SoundListItem* b);
int CompareFilename(const SoundListItem* a, const SoundListItem* b);
int CompareLocation(const SoundListItem* a, const SoundListItem* b);
int CompareSize(const SoundListItem* a, const SoundListItem* b);
int CompareSubtitle(const SoundListItem* a, const SoundListItem* b, int language);

// Stores the primary comparator and chain of the kind in process-wide variables and returns
// CompareItems (ascending) or CompareItemsReversed (descending); null for kind 0.
SoundItemComparator SelectComparator(ColumnKind kind, bool descending);
int CompareItems(const SoundListItem* a, const SoundListItem* b);
int CompareItemsReversed(const SoundListItem* a, const SoundListItem* b);

class CSoundSortRanks;

// Sorts the display order by a kind from 1 to 9, on the ranks of the catalogue's keys when
// given (computing those of the kind on its first sort), else with the comparator.
void SortItems(SoundListItem** order, uint32_t count, ColumnKind kind, bool descending, CSoundSortRanks* ranks);

// The sort state a list control keeps, and what a header click does to it.
struct SoundListSortState {
  int32_t nSortColumn = -1;  // column index of the key, -1 for natural order
  uint8_t bSortDescending = 0;
};

struct HeaderClickResult {
  bool handled = false;
  int32_t oldColumn = -1;  // loses its arrow when 0 or more
  int32_t newColumn = -1;  // shows an arrow when 0 or more
  int arrowImage = -1;     // 1 ascending (up), 0 descending (down)
};

// The header-click cycle: data columns go ascending, descending, natural; "#" toggles
// natural order forward and reversed. Updates the state; does not sort.
HeaderClickResult OnColumnClick(SoundListSortState& state, const ColumnKind* kinds, int32_t kindCount,
                                int32_t column);

// Sorts the model by the state, as a header click or a refresh does: SetSort, then Sort.
void ApplySort(SoundListSortState& state, CSoundListModel* model, const ColumnKind* kinds, int32_t kindCount);
