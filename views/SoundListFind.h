// Finding rows of a sound list by text: every cell of column kinds 0 to 9 of a row, compared
// ignoring case and accents. Plain C++ shared by the list's find bar and `vantor find`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "views/SoundListModel.h"

// Appends the folded form of Windows-1252 text to `out`: lower case without accents, in
// Windows-1252 (É and é become e, ß ss, Æ ae, Œ oe, Þ th); other characters stay as they are.
void FoldCp1252(std::string_view text, std::string& out);

// A search text, folded as cell texts are.
class CFindQuery {
 public:
  CFindQuery() = default;
  // UTF-8 text (bytes that are not UTF-8 are taken as Windows-1252). Combining accents are dropped.
  explicit CFindQuery(std::string_view utf8);

  bool IsEmpty() const { return m_empty; }
  // False for an empty text and for one holding a character that no Windows-1252 text has.
  bool CanMatch() const { return !m_empty && m_representable; }
  // The folded text in Windows-1252.
  const std::string& Folded() const { return m_folded; }
  // Whether the folded text occurs in the folded form of `cp1252`.
  bool Matches(std::string_view cp1252) const;

 private:
  std::string m_folded;
  bool m_empty = true;
  bool m_representable = true;
};

// Whether any cell of column kinds 0 to 9 of display row `row` holds the query, shown or not.
bool RowMatches(const CSoundListModel& model, int64_t row, const CFindQuery& query);

// The first of the ascending display rows `matches` at or after `from` (direction > 0) or at or
// before it (direction < 0); past the end of the list the search goes on from its other end and
// sets `wrapped`. -1 when `matches` is empty.
int64_t FindFrom(const std::vector<uint32_t>& matches, int64_t from, int direction, bool& wrapped);

// The folded cell texts of a model's rows, gathered once, for searching every row on each key
// stroke. Cells that depend only on the sound file (file name, location, size, subtitles) are
// kept once per file, the ID cell once per tagged or mission sound; the "#" cell is made per row.
// It serves one set of rows: Clear it when the model is rebuilt (sorting changes nothing).
class CSoundListFindIndex {
 public:
  void Clear();
  // The display rows of `model` for which RowMatches holds, ascending.
  void FindRows(const CSoundListModel& model, const CFindQuery& query, std::vector<uint32_t>& rows);
  // Gathers the texts now unless they are there; FindRows does it when needed.
  void Gather(const CSoundListModel& model);
  bool IsGathered() const { return m_gathered; }
  size_t GetHeldBytes() const;

 private:
  static constexpr uint32_t kNoSource = UINT32_MAX;
  bool m_gathered = false;
  const SoundListItem* m_pItems = nullptr;
  uint32_t m_nCount = 0;
  std::string m_text;                 // folded cells, each ended by a 0 byte
  std::vector<size_t> m_starts;       // where each source's cells begin in m_text, then its size
  std::vector<uint32_t> m_fileSource; // per item (gathering order): source of its file cells
  std::vector<uint32_t> m_idSource;   // per item: source of its ID cell, or kNoSource
  std::vector<uint8_t> m_hit;         // per source, during a search
};
