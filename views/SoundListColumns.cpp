#include "views/SoundListColumns.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "catalogue/SoundCatalogue.h"
#include "platform/PathUtil.h"

namespace {

// `prefix`, then at most `limit` bytes of `text`, as snprintf writes them.
void PrintText(char* buffer, size_t size, std::string_view text, size_t limit, const char* prefix = "") {
  snprintf(buffer, size, "%s%.*s", prefix, static_cast<int>(std::min({text.size(), limit, size})), text.data());
}

const SoundListColumn kColumns[COL_KIND_COUNT] = {
    {"#", 46},
    {"ID", 160},
    {"Filename", 86},
    {"File & Offset", 108},
    {"Size", 64},
    {"Subtitle", 280},
    {"Subtitle (French)", 280},
    {"Subtitle (Italian)", 280},
    {"Subtitle (German)", 280},
    {"Subtitle (Spanish)", 280},
};

const char* const kMetafileCodes[8] = {"  ", "MM", "HD", "D1", "D2", "D3", "U7", "U8"};

void CopyCut(char* buffer, size_t capacity, const char* text) {
  if (!buffer || capacity == 0) return;
  size_t n = strlen(text);
  if (n > capacity - 1) n = capacity - 1;
  memcpy(buffer, text, n);
  buffer[n] = 0;
}

}  // namespace

const SoundListColumn* GetColumn(ColumnKind kind) {
  return (kind >= 0 && kind < COL_KIND_COUNT) ? &kColumns[kind] : nullptr;
}

const char* GetMetafileCode(uint32_t nFile) { return kMetafileCodes[nFile & 7]; }

size_t FormatTagList(const CSoundListModel& model, const CSMTaggedSound& sound, char* buffer, size_t capacity) {
  if (buffer && capacity > 0) buffer[0] = 0;
  size_t total = 0;
  size_t used = 0;
  int32_t tagCount = model.pTagTable ? model.pTagTable->GetCount() : 0;
  for (int32_t i = 0; i < sound.m_nTagCount; ++i) {
    const SMTagRef* ref = sound.GetTag(i);
    char piece[256];
    if (ref->tag == SMTagRef::kNoTag) {
      snprintf(piece, sizeof piece, "<invalid tag>");
    } else if (ref->tag >= tagCount) {
      snprintf(piece, sizeof piece, "<invalid tag 0x%.2x>", ref->tag);
    } else {
      const CSMSoundTag& tag = model.pTagTable->m_pData[ref->tag];
      char sub[112] = "";
      if (ref->subTag != SMTagRef::kNoSubTag) {
        if (ref->subTag < tag.m_nSubCount)
          PrintText(sub, sizeof sub, tag.GetSubName(static_cast<int32_t>(ref->subTag)), SIZE_MAX, ".");
        else
          snprintf(sub, sizeof sub, ".<subtag %.2x %.2x %.2x %.2x>", ref->subTag & 0xFF, (ref->subTag >> 8) & 0xFF,
                   (ref->subTag >> 16) & 0xFF, ref->subTag >> 24);
      }
      const std::string_view name = tag.GetSubName(-1);
      snprintf(piece, sizeof piece, "%.*s%s", static_cast<int>(std::min(name.size(), sizeof piece)), name.data(), sub);
    }
    size_t len = strlen(piece);
    if (i + 1 < sound.m_nTagCount && len < sizeof piece - 1) {
      piece[len++] = ' ';
      piece[len] = 0;
    }
    total += len;
    if (buffer && capacity > total) {
      memcpy(buffer + used, piece, len + 1);
      used += len;
    }
  }
  return total;
}

int GetCellText(const CSoundListModel* model, int64_t row, const ColumnKind* kinds, int32_t kindCount,
                int32_t column, char* buffer, size_t capacity) {
  if (buffer && capacity > 0) buffer[0] = 0;
  if (!model) return CELL_NO_MODEL;
  const SoundListItem* item = model->ItemAt(row);
  if (!item) return CELL_NO_ROW;
  if (!kinds || column < 0 || column >= kindCount) return CELL_OK;
  ColumnKind kind = kinds[column];
  if (kind < 0 || kind >= COL_KIND_COUNT) return CELL_OK;

  const CSMSoundFile* file = item->pFile;
  char text[kCellTextSize + 128];
  text[0] = 0;
  switch (kind) {
    case COL_NUMBER: {
      long number = model->bSortDescending ? static_cast<long>(model->nCount - row) : static_cast<long>(row + 1);
      snprintf(text, sizeof text, "%-7ld", number);
      break;
    }
    case COL_ID:
      if (item->kind == ITEM_MISSION) {
        PrintText(text, sizeof text, static_cast<const CSMMissionSound*>(item->pRecord)->m_name.GetText(), 128);
      } else if (item->kind == ITEM_TAGGED) {
        FormatTagList(*model, *static_cast<const CSMTaggedSound*>(item->pRecord), buffer, capacity);
        return CELL_OK;
      }
      break;
    case COL_FILENAME:
      if (!file) break;
      if (!file->m_data.IsValid()) {
        if (!EqualsIgnoringCase(file->m_name.GetText(), "none")) PrintText(text, sizeof text, file->m_name.GetText(), 128);
      } else {
        const std::string_view name = file->m_name.GetText();
        snprintf(text, sizeof text, "%.*s.%s", static_cast<int>(std::min<size_t>(name.size(), 128)), name.data(),
                 file->GetExtension());
      }
      break;
    case COL_LOCATION:
      if (file && file->m_data.IsValid())
        snprintf(text, sizeof text, "%s: 0x%08X", GetMetafileCode(static_cast<uint32_t>(file->m_data.GetFile())),
                 static_cast<unsigned>(file->m_data.GetOffset()));
      break;
    case COL_SIZE:
      if (file) snprintf(text, sizeof text, "%ld", static_cast<long>(file->GetSize()));
      break;
    default:
      if (file) PrintText(text, sizeof text, file->m_subtitles[kind - COL_SUBTITLE].GetText(), 256);
      break;
  }
  CopyCut(buffer, capacity, text);
  return CELL_OK;
}
