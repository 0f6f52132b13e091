#include "views/SoundListFind.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <unordered_map>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "metafile/SoundInfo.h"
#include "platform/TextCodec.h"
#include "views/SoundListColumns.h"

namespace {

// Folds one code point to lower case without accents: up to two code points into `out`.
int FoldCodePoint(char32_t c, char32_t out[2]) {
  // 0xC0 to 0xFF; null: × and ÷, which stay.
  static const char* const kLatin1[64] = {
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e",    "i", "i", "i", "i",
      "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "ss",
      "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e",    "i", "i", "i", "i",
      "d", "n", "o", "o", "o", "o", "o",  nullptr, "o", "u", "u", "u", "u", "y", "th", "y"};
  const char* folded = nullptr;
  if (c >= 'A' && c <= 'Z') {
    out[0] = c + ('a' - 'A');
    return 1;
  }
  if (c >= 0xC0 && c <= 0xFF) {
    folded = kLatin1[c - 0xC0];
  } else {
    switch (c) {
      case 0x0160: case 0x0161: folded = "s"; break;   // Š š
      case 0x017D: case 0x017E: folded = "z"; break;   // Ž ž
      case 0x0152: case 0x0153: folded = "oe"; break;  // Œ œ
      case 0x0178: folded = "y"; break;                // Ÿ
      case 0x0192: folded = "f"; break;                // ƒ
      default: break;
    }
  }
  if (!folded) {
    out[0] = c;
    return 1;
  }
  int n = 0;
  for (; folded[n]; ++n) out[n] = static_cast<unsigned char>(folded[n]);
  return n;
}

// The Windows-1252 byte of a code point; false when there is none.
bool CodePointToCp1252(char32_t c, unsigned char& byte) {
  if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
    byte = static_cast<unsigned char>(c);
    return true;
  }
  for (unsigned b = 0x80; b < 0xA0; ++b) {
    if (Cp1252ToCodePoint(static_cast<unsigned char>(b)) == c) {
      byte = static_cast<unsigned char>(b);
      return true;
    }
  }
  return false;
}

// The folded bytes of every Windows-1252 byte.
struct FoldTable {
  FoldTable() {
    for (int b = 0; b < 256; ++b) {
      char32_t folded[2];
      int n = FoldCodePoint(Cp1252ToCodePoint(static_cast<unsigned char>(b)), folded);
      for (int i = 0; i < n; ++i) {
        unsigned char out = static_cast<unsigned char>(b);
        CodePointToCp1252(folded[i], out);  // every fold of a Windows-1252 character is one too
        bytes[b][i] = static_cast<char>(out);
      }
      length[b] = static_cast<uint8_t>(n);
    }
  }
  char bytes[256][2];
  uint8_t length[256];
};

const FoldTable& Folds() {
  static const FoldTable table;
  return table;
}

// Decodes one UTF-8 sequence at `i`; a byte that does not start a valid one is taken as Windows-1252.
char32_t NextCodePoint(std::string_view s, size_t& i) {
  const unsigned char c = static_cast<unsigned char>(s[i]);
  int extra = c >= 0xF0 && c < 0xF5 ? 3 : c >= 0xE0 ? (c < 0xF0 ? 2 : -1) : c >= 0xC2 ? 1 : c < 0x80 ? 0 : -1;
  if (extra > 0 && i + extra < s.size()) {
    char32_t cp = c & (0x3F >> extra);
    bool ok = true;
    for (int k = 1; k <= extra && ok; ++k) {
      const unsigned char d = static_cast<unsigned char>(s[i + k]);
      ok = (d & 0xC0) == 0x80;
      cp = (cp << 6) | (d & 0x3F);
    }
    static const char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (ok && cp >= kMin[extra] && cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF)) {
      i += extra + 1;
      return cp;
    }
  }
  ++i;
  return extra == 0 ? c : Cp1252ToCodePoint(c);
}

// Whether the "#" cell of a display row ("%-7ld" of its number) holds `q`.
bool NumberCellHolds(const CSoundListModel& model, uint32_t row, std::string_view q) {
  const long number = model.bSortDescending ? static_cast<long>(model.nCount - row) : static_cast<long>(row) + 1;
  char cell[24];
  char* end = std::to_chars(cell, cell + sizeof cell, number).ptr;
  while (end - cell < 7) *end++ = ' ';
  const size_t n = static_cast<size_t>(end - cell);
  for (size_t i = 0; i + q.size() <= n; ++i)
    if (memcmp(cell + i, q.data(), q.size()) == 0) return true;
  return false;
}

// The first place of `q` (m bytes, m > 0) in `s` (n bytes), or null. Candidates are the places
// where both the first and the last byte of `q` match, sixteen at a time.
const char* FindBytes(const char* s, size_t n, const char* q, size_t m) {
  if (m == 1) return static_cast<const char*>(memchr(s, q[0], n));
  size_t i = 0;
#ifdef __SSE2__
  const __m128i first = _mm_set1_epi8(q[0]), last = _mm_set1_epi8(q[m - 1]);
  for (; i + m - 1 + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + m - 1));
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, first), _mm_cmpeq_epi8(b, last))));
         mask; mask &= mask - 1) {
      const char* at = s + i + __builtin_ctz(mask);
      if (memcmp(at + 1, q + 1, m - 2) == 0) return at;
    }
  }
#endif
  return i < n ? static_cast<const char*>(memmem(s + i, n - i, q, m)) : nullptr;
}

}  // namespace

void FoldCp1252(std::string_view text, std::string& out) {
  const FoldTable& folds = Folds();
  char chunk[512];
  for (size_t at = 0; at < text.size(); at += 256) {
    const size_t end = std::min(text.size(), at + 256);
    char* p = chunk;
    for (size_t i = at; i < end; ++i) {
      const unsigned char c = static_cast<unsigned char>(text[i]);
      *p++ = folds.bytes[c][0];
      if (folds.length[c] == 2) *p++ = folds.bytes[c][1];
    }
    out.append(chunk, static_cast<size_t>(p - chunk));
  }
}

CFindQuery::CFindQuery(std::string_view utf8) {
  for (size_t i = 0; i < utf8.size();) {
    const char32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x300 && cp <= 0x36F) continue;  // combining accents
    char32_t folded[2];
    const int n = FoldCodePoint(cp, folded);
    for (int k = 0; k < n; ++k) {
      unsigned char byte = '?';
      if (folded[k] == 0 || !CodePointToCp1252(folded[k], byte)) m_representable = false;
      m_folded += static_cast<char>(byte);
    }
  }
  m_empty = m_folded.empty();
}

bool CFindQuery::Matches(std::string_view cp1252) const {
  if (!CanMatch()) return false;
  thread_local std::string folded;
  folded.clear();
  FoldCp1252(cp1252, folded);
  return folded.find(m_folded) != std::string::npos;
}

bool RowMatches(const CSoundListModel& model, int64_t row, const CFindQuery& query) {
  if (!query.CanMatch() || !model.ItemAt(row)) return false;
  char cell[kCellTextSize];
  for (int k = 0; k < COL_KIND_COUNT; ++k) {
    const ColumnKind kind = static_cast<ColumnKind>(k);
    GetCellText(&model, row, &kind, 1, 0, cell, sizeof cell);
    if (query.Matches(cell)) return true;
  }
  return false;
}

int64_t FindFrom(const std::vector<uint32_t>& matches, int64_t from, int direction, bool& wrapped) {
  wrapped = false;
  if (matches.empty()) return -1;
  if (direction >= 0) {
    auto it = from <= 0 ? matches.begin()
                        : std::lower_bound(matches.begin(), matches.end(), static_cast<uint64_t>(from),
                                           [](uint32_t a, uint64_t b) { return a < b; });
    if (it != matches.end()) return *it;
    wrapped = true;
    return matches.front();
  }
  auto it = from < 0 ? matches.begin()
                     : std::upper_bound(matches.begin(), matches.end(), static_cast<uint64_t>(from),
                                        [](uint64_t a, uint32_t b) { return a < b; });
  if (it != matches.begin()) return *(it - 1);
  wrapped = true;
  return matches.back();
}

void CSoundListFindIndex::Clear() {
  m_gathered = false;
  m_pItems = nullptr;
  m_nCount = 0;
  std::string().swap(m_text);
  std::vector<size_t>().swap(m_starts);
  std::vector<uint32_t>().swap(m_fileSource);
  std::vector<uint32_t>().swap(m_idSource);
  std::vector<uint8_t>().swap(m_hit);
}

size_t CSoundListFindIndex::GetHeldBytes() const {
  return m_text.capacity() + m_starts.capacity() * sizeof(size_t) +
         (m_fileSource.capacity() + m_idSource.capacity()) * sizeof(uint32_t) + m_hit.capacity();
}

void CSoundListFindIndex::Gather(const CSoundListModel& model) {
  if (m_gathered && m_pItems == model.pItems && m_nCount == model.nCount) return;
  Clear();
  const uint32_t n = model.nCount;
  m_pItems = model.pItems;
  m_nCount = n;
  m_fileSource.assign(n, kNoSource);
  m_idSource.assign(n, kNoSource);
  std::unordered_map<const void*, uint32_t> sources;
  sources.reserve(static_cast<size_t>(n) * 2);

  static const ColumnKind kFileKinds[] = {COL_FILENAME,        COL_LOCATION,         COL_SIZE,
                                          COL_SUBTITLE,        COL_SUBTITLE_FRENCH,  COL_SUBTITLE_ITALIAN,
                                          COL_SUBTITLE_GERMAN, COL_SUBTITLE_SPANISH};
  static const ColumnKind kIdKind = COL_ID;
  char cell[kCellTextSize];
  // Adds the cells of `kinds` of display row r as a new source unless `key` has one.
  auto source = [&](const void* key, uint32_t r, const ColumnKind* kinds, int count) {
    auto [it, added] = sources.try_emplace(key, static_cast<uint32_t>(m_starts.size()));
    if (added) {
      m_starts.push_back(m_text.size());
      for (int k = 0; k < count; ++k) {
        const ColumnKind kind = kinds[k];
        const CSMSoundFile* file = model.ItemAt(r)->pFile;
        if (kind >= COL_SUBTITLE && file) {
          // The subtitle cell is the text as it is ("%.256s"): no need to compose it.
          FoldCp1252(file->m_subtitles[kind - COL_SUBTITLE].GetText().substr(0, 256), m_text);
        } else {
          GetCellText(&model, r, &kind, 1, 0, cell, sizeof cell);
          FoldCp1252(cell, m_text);
        }
        m_text += '\0';
      }
    }
    return it->second;
  };
  for (uint32_t r = 0; r < n; ++r) {
    const SoundListItem* item = model.ItemAt(r);
    const size_t i = static_cast<size_t>(item - model.pItems);
    // Files and the records of tagged and mission sounds are distinct objects: one key space.
    if (item->pFile) m_fileSource[i] = source(item->pFile, r, kFileKinds, 8);
    if (item->pRecord && (item->kind == ITEM_TAGGED || item->kind == ITEM_MISSION))
      m_idSource[i] = source(item->pRecord, r, &kIdKind, 1);
  }
  m_starts.push_back(m_text.size());
  m_hit.assign(m_starts.size() - 1, 0);
  m_gathered = true;
}

void CSoundListFindIndex::FindRows(const CSoundListModel& model, const CFindQuery& query, std::vector<uint32_t>& rows) {
  rows.clear();
  if (!query.CanMatch() || model.nCount == 0) return;
  Gather(model);

  // Every source holding the text: one pass over all folded cells (a 0 byte ends each cell, and
  // the query has none, so no match runs over two cells).
  std::fill(m_hit.begin(), m_hit.end(), 0);
  const std::string& q = query.Folded();
  const char* base = m_text.data();
  const size_t size = m_text.size();
  size_t s = 0;  // the source at `pos`
  for (size_t pos = 0; pos < size;) {
    const char* found = FindBytes(base + pos, size - pos, q.data(), q.size());
    if (!found) break;
    const size_t at = static_cast<size_t>(found - base);
    while (m_starts[s + 1] <= at) ++s;
    m_hit[s] = 1;
    pos = m_starts[++s];
  }

  // The "#" cell holds digits and blanks only.
  const bool number = q.find_first_not_of("0123456789 ") == std::string::npos;
  for (uint32_t r = 0; r < model.nCount; ++r) {
    const size_t i = static_cast<size_t>(model.ppOrder[r] - model.pItems);
    const uint32_t file = m_fileSource[i], id = m_idSource[i];
    if ((file != kNoSource && m_hit[file]) || (id != kNoSource && m_hit[id]) || (number && NumberCellHolds(model, r, q)))
      rows.push_back(r);
  }
}
