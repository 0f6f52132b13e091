// The columns of a sound list and the text of every cell.
#pragma once

#include <cstddef>
#include <cstdint>

#include "views/SoundListModel.h"

class CSMTaggedSound;

struct SoundListColumn {
  const char* heading;
  int32_t width;
};

// Heading and width of a column kind; null for kinds above 9.
const SoundListColumn* GetColumn(ColumnKind kind);

// Two-character code of a metafile number ("  ", "MM", "HD", "D1".."D3", "U7", "U8").
const char* GetMetafileCode(uint32_t nFile);

constexpr size_t kCellTextSize = 260;

// The text of the tag pairs of a tagged sound; returns the length of the whole text, of which
// only the pieces that fit are written when a buffer is given.
size_t FormatTagList(const CSoundListModel& model, const CSMTaggedSound& sound, char* buffer, size_t capacity);

enum { CELL_NO_MODEL = -1, CELL_NO_ROW = -2, CELL_OK = 0 };

// The text of one cell, as the list control asks for it: the row index in display order and the
// column index into `kinds`. Returns CELL_NO_MODEL, CELL_NO_ROW or CELL_OK; the buffer holds the
// terminated text (empty when there is none).
int GetCellText(const CSoundListModel* model, int64_t row, const ColumnKind* kinds, int32_t kindCount,
                int32_t column, char* buffer, size_t capacity);
