#include "views/SoundListRanks.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "views/SoundListSort.h"

namespace {

// Where a string's text starts and, when `length` is given, its length: the text cut at its first
// NUL byte, as every comparator sees it. Without `length` no byte of the text is read.
const char* TextOf(const CSMString& string, uint32_t* length) {
  const char* s = string.m_pszText ? string.m_pszText : "";
  if (length) *length = static_cast<uint32_t>(strnlen(s, string.m_nLength));
  return s;
}

// The text CompareFilename compares.
const char* FileNameOf(const CSMSoundFile& f, uint32_t& length) {
  const std::string_view name = FilenameKey(&f);
  length = static_cast<uint32_t>(name.size());
  return name.data();
}

// Starts reading the first bytes of a text, for a look a few entries later.
void Prefetch(const CSMString& string) { __builtin_prefetch(TextOf(string, nullptr)); }

// Keys of a file or mission sound to rank, compared in turn: a number or a text, then maybe the
// file's name.
enum : uint8_t { KEY_NUMBER = 0, KEY_TEXT = 1, KEY_NAME = 2 };

// Eight bytes of a text of `length` bytes from `depth` on, big-endian and zero-padded: comparing
// two chunks compares the texts byte by byte as unsigned bytes, a text before any longer one it
// begins.
uint64_t TextChunk(const char* s, uint32_t length, uint32_t depth) {
  uint64_t v = 0;
  if (depth + 8 <= length) {
    memcpy(&v, s + depth, 8);
    return __builtin_bswap64(v);
  }
  for (uint32_t i = depth; i < depth + 8; ++i) v = v << 8 | (i < length ? static_cast<unsigned char>(s[i]) : 0);
  return v;
}

// The same of a packed text (Ranker::Pack), whose bytes are followed by zeros to the end of the
// word after its last byte: one load.
uint64_t PackedChunk(const uint64_t* words, uint32_t depth) {
  uint64_t v;
  memcpy(&v, reinterpret_cast<const char*>(words) + depth, 8);
  return __builtin_bswap64(v);
}

// True when the key ends within the chunk: a number, or a text whose last byte there is the pad.
bool ChunkEnds(uint8_t key, uint64_t chunk) { return key == KEY_NUMBER || (chunk & 0xFF) == 0; }

// Ranks entries by their keys, most significant bytes first. Each entry carries eight bytes of
// its current key (its chunk). A group of entries that agree so far is sorted by the chunk and
// its runs of equal chunks go on with the next eight bytes, or the next key; where two
// neighbours' keys differ, the later one ranks one higher.
//
// The texts of the first key lie scattered among the records. Once a group is small, the rest of
// its entries' texts is copied into one small block, read again there at every further depth
// instead of where it lies (Pack). The file names, second, decide only between entries whose
// first keys agree, and are read where they lie.
class Ranker {
 public:
  // The ranker works in ScratchBytes (count, second) bytes at `scratch`; `second` when the
  // entries have a second key.
  Ranker(uint32_t count, bool second, std::byte* scratch) : m_nCount(count) {
    m_items = CSoundSortRanks::Take<Item>(scratch, count);
    m_buffer = CSoundSortRanks::Take<Item>(scratch, count);
    m_higher = CSoundSortRanks::Take<uint8_t>(scratch, count);
    m_texts = CSoundSortRanks::Take<const char*>(scratch, count);
    m_packed = CSoundSortRanks::Take<uint64_t>(scratch, kPackedWords);
    if (second) {
      m_names = CSoundSortRanks::Take<Name>(scratch, count);
      m_nameLengths = CSoundSortRanks::Take<uint32_t>(scratch, count);
    }
  }
  static size_t ScratchBytes(uint32_t count, bool second) {
    return count * (2 * sizeof(Item) + 1 + sizeof(const char*) + (second ? sizeof(Name) + sizeof(uint32_t) : 0)) +
           kPackedWords * sizeof(uint64_t) + 64;
  }

  // The first key of entry i: a number or a text.
  void NumberFirst(uint32_t i, uint64_t number) { m_items[i] = {number, i, 0}; }
  void TextFirst(uint32_t i, const char* s, uint32_t length) {
    m_items[i] = {TextChunk(s, length, 0), i, length};
    m_texts[i] = s;
    m_bText = true;
  }
  // The second key of entry i: the name of a file. Given for every entry (NameSecond) where
  // many first keys agree; else read only for the entries whose first keys agree (NamesOf).
  void NameSecond(uint32_t i, const char* s, uint32_t length) {
    m_names[i] = {s, TextChunk(s, length, 0)};
    m_nameLengths[i] = length;
  }
  void NamesOf(const CSMSoundFile* const* files) { m_files = files; }

  // Gives every entry its rank; returns the number of distinct ranks.
  uint32_t Rank(uint32_t* ranks) {
    uint32_t n = m_nCount;
    if (n == 0) return 0;
    std::fill(m_higher, m_higher + n, 0);
    m_stack.push_back({0, n, 0, m_bText ? KEY_TEXT : KEY_NUMBER, LOADED});
    while (!m_stack.empty()) {
      Group g = m_stack.back();
      m_stack.pop_back();
      Run(g);
    }
    uint32_t rank = 0;
    for (uint32_t i = 0; i < n; ++i) {
      rank += m_higher[i];
      ranks[m_items[i].id] = rank;
    }
    return rank + 1;
  }

 private:
  struct Item {
    uint64_t chunk;  // of the group's key at the group's depth
    uint32_t id;
    uint32_t aux;  // the length of the key's text, or where in the block the packed rest of it is
  };
  struct Name {
    const char* text;
    uint64_t chunk;  // the first
  };
  enum : uint8_t { LOADED, TO_LOAD };
  // Entries that agree on every key before `key` and on `key` before `depth`.
  struct Group {
    uint32_t begin, end, depth;
    uint8_t key, state;
  };
  static constexpr uint32_t kInsertion = 16, kSmall = 96, kWide = 1u << 15;
  static constexpr uint32_t kPackedWords = 1u << 17;  // 1 MiB, at home in the second-level cache

  void Run(Group g) {
    for (;;) {
      uint32_t n = g.end - g.begin;
      Item* a = &m_items[g.begin];
      if (g.state == TO_LOAD) {
        if (g.key == KEY_TEXT && !m_bPacked && n <= kPackedWords && Pack(a, n, g.depth)) {
          // The group and every group it leaves on the stack are ranked on the block, before
          // the block is needed for another.
          size_t below = m_stack.size();
          m_bPacked = true;
          m_nPackedDepth = g.depth;
          g.state = LOADED;
          Run(g);
          while (m_stack.size() > below) {
            Group h = m_stack.back();
            m_stack.pop_back();
            Run(h);
          }
          m_bPacked = false;
          return;
        }
        Load(a, n, g);
      }
      g.state = LOADED;
      if (n <= kSmall) {
        if (n <= kInsertion) {
          for (uint32_t i = 1; i < n; ++i) {
            Item e = a[i];
            uint32_t j = i;
            for (; j > 0 && e.chunk < a[j - 1].chunk; --j) a[j] = a[j - 1];
            a[j] = e;
          }
        } else {
          std::sort(a, a + n, [](const Item& x, const Item& y) { return x.chunk < y.chunk; });
        }
        return Runs(g);
      }
      uint64_t first = a[0].chunk, differ = 0;
      for (uint32_t i = 1; i < n; ++i) differ |= a[i].chunk ^ first;
      if (differ == 0) {
        if (!Descend(g, first)) return;
        continue;
      }
      if (!PartitionFew(g, a, n)) Split(g, a, n, differ);
      return;
    }
  }

  // The runs of equal chunks of a sorted group: each run's first entry ranks higher than the
  // one before it, and runs of more than one entry go on.
  void Runs(const Group& g) {
    for (uint32_t begin = g.begin; begin < g.end;) {
      uint32_t end = begin + 1;
      while (end < g.end && m_items[end].chunk == m_items[begin].chunk) ++end;
      if (begin > g.begin) m_higher[begin] = 1;
      Group run{begin, end, g.depth, g.key, LOADED};
      if (end - begin > 1 && Descend(run, m_items[begin].chunk)) m_stack.push_back(run);
      begin = end;
    }
  }

  // Copies the first key's texts of a group from `depth` on into the block, each from a word of
  // its own and followed by zeros, and loads their chunks there. False when they do not fit.
  bool Pack(Item* a, uint32_t n, uint32_t depth) {
    // Every text of a group at `depth` is at least that long: a shorter one ended in an earlier
    // chunk, which no longer one shares.
    size_t words = 0;
    for (uint32_t i = 0; i < n; ++i) words += (a[i].aux - depth) / 8 + 1;
    if (words > kPackedWords) return false;
    constexpr uint32_t kAhead = 8;
    uint32_t at = 0;
    for (uint32_t i = 0; i < n; ++i) {
      if (i + 2 * kAhead < n) __builtin_prefetch(&m_texts[a[i + 2 * kAhead].id]);
      if (i + kAhead < n) __builtin_prefetch(m_texts[a[i + kAhead].id] + depth);
      uint32_t rest = a[i].aux - depth;
      m_packed[at + rest / 8] = 0;
      memcpy(m_packed + at, m_texts[a[i].id] + depth, rest);
      a[i].aux = at;
      a[i].chunk = PackedChunk(m_packed + at, 0);
      at += rest / 8 + 1;
    }
    return true;
  }

  // The chunks of the group's key at its depth; at depth 0 of the file names, with their texts
  // and lengths. No load waits on a byte of a text, so that many are under way at once.
  void Load(Item* a, uint32_t n, const Group& g) const {
    constexpr uint32_t kAhead = 8;
    uint32_t depth = g.depth;
    if (g.key == KEY_TEXT && m_bPacked) {
      for (uint32_t i = 0; i < n; ++i) a[i].chunk = PackedChunk(m_packed + a[i].aux, depth - m_nPackedDepth);
      return;
    }
    if (g.key == KEY_TEXT) {
      for (uint32_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(m_texts[a[i + kAhead].id] + depth);
        a[i].chunk = TextChunk(m_texts[a[i].id], a[i].aux, depth);
      }
    } else if (depth == 0 && m_files) {
      for (uint32_t i = 0; i < n; ++i) {
        if (i + 2 * kAhead < n) __builtin_prefetch(&m_files[a[i + 2 * kAhead].id]->m_name);
        if (i + kAhead < n) Prefetch(m_files[a[i + kAhead].id]->m_name);
        uint32_t length;
        const char* s = FileNameOf(*m_files[a[i].id], length);
        m_names[a[i].id].text = s;
        a[i].chunk = TextChunk(s, length, 0);
        a[i].aux = length;
      }
    } else if (depth == 0) {
      for (uint32_t i = 0; i < n; ++i) a[i] = {m_names[a[i].id].chunk, a[i].id, m_nameLengths[a[i].id]};
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(m_names[a[i + kAhead].id].text + depth);
        a[i].chunk = TextChunk(m_names[a[i].id].text, a[i].aux, depth);
      }
    }
  }

  // A group whose chunks agree goes on with the next eight bytes of its key, or with the next
  // key; false when there is none (its entries are equal).
  bool Descend(Group& g, uint64_t chunk) const {
    if (!ChunkEnds(g.key, chunk)) {
      g.depth += 8;
    } else if (g.key != KEY_NAME && m_names) {
      g.key = KEY_NAME;
      g.depth = 0;
    } else {
      return false;
    }
    g.state = TO_LOAD;
    return true;
  }

  // A group whose chunks take few values, as a sample of them tells, mostly one: a three-way
  // partition around the most frequent sampled value moves only the other entries. False when
  // the sample has more than kFew values.
  bool PartitionFew(const Group& g, Item* a, uint32_t n) {
    constexpr uint32_t kSample = 32, kFew = 8;
    uint64_t values[kSample];
    for (uint32_t i = 0; i < kSample; ++i) values[i] = a[static_cast<uint64_t>(i) * n / kSample].chunk;
    std::sort(values, values + kSample);
    uint64_t pivot = values[0];
    uint32_t distinct = 1, best = 0;
    for (uint32_t i = 0, run = 0; i < kSample; ++i) {
      if (i > 0 && values[i] != values[i - 1]) {
        ++distinct;
        run = 0;
      }
      if (++run > best) {
        best = run;
        pivot = values[i];
      }
    }
    if (distinct > kFew) return false;
    uint32_t lt = 0, gt = n;
    for (uint32_t i = 0; i < gt;) {
      if (a[i].chunk < pivot)
        std::swap(a[lt++], a[i++]);
      else if (a[i].chunk > pivot)
        std::swap(a[i], a[--gt]);
      else
        ++i;
    }
    if (lt > 0) m_higher[g.begin + lt] = 1;
    if (gt < n) {
      m_higher[g.begin + gt] = 1;
      m_stack.push_back({g.begin + gt, g.end, g.depth, g.key, LOADED});
    }
    Group equal{g.begin + lt, g.begin + gt, g.depth, g.key, LOADED};
    if (gt - lt > 1 && Descend(equal, pivot)) m_stack.push_back(equal);
    if (lt > 0) m_stack.push_back({g.begin, g.begin + lt, g.depth, g.key, LOADED});
    return true;
  }

  // Counting sort by the highest byte in which the chunks differ, or by the two highest for a
  // large group; each bucket goes on as a group.
  void Split(const Group& g, Item* a, uint32_t n, uint64_t differ) {
    int top = (63 - __builtin_clzll(differ)) & ~7;
    int bits = n >= kWide && top >= 8 ? 16 : 8;
    int shift = top + 8 - bits;
    uint32_t buckets = 1u << bits, mask = buckets - 1;
    m_start.assign(buckets + 1, 0);
    uint32_t* start = m_start.data();
    for (uint32_t i = 0; i < n; ++i) ++start[((a[i].chunk >> shift) & mask) + 1];
    for (uint32_t b = 1; b <= buckets; ++b) start[b] += start[b - 1];
    m_next.assign(start, start + buckets);
    uint32_t* next = m_next.data();
    Item* to = m_buffer;
    for (uint32_t i = 0; i < n; ++i) to[next[(a[i].chunk >> shift) & mask]++] = a[i];
    std::copy(to, to + n, a);
    for (uint32_t b = 0; b < buckets; ++b) {
      if (start[b] == start[b + 1]) continue;
      if (start[b] > 0) m_higher[g.begin + start[b]] = 1;
      if (start[b + 1] - start[b] > 1) m_stack.push_back({g.begin + start[b], g.begin + start[b + 1], g.depth, g.key, LOADED});
    }
  }

  uint32_t m_nCount;
  Item* m_items;
  Item* m_buffer;
  uint8_t* m_higher;          // by place: the entry there ranks one higher than the one before
  const char** m_texts;       // the first key's texts by entry
  uint64_t* m_packed;         // the block
  bool m_bText = false;       // the first key is a text
  bool m_bPacked = false;     // the groups being ranked have their first key's texts in the block
  uint32_t m_nPackedDepth = 0;  // from where
  Name* m_names = nullptr;  // the second key's texts by entry, none without one
  uint32_t* m_nameLengths = nullptr;
  const CSMSoundFile* const* m_files = nullptr;  // to read the names from, when not given
  std::vector<Group> m_stack;
  std::vector<uint32_t> m_start, m_next;
};

}  // namespace

void CSoundSortRanks::Clear() {
  m_firstSlot = {};
  m_files = {};
  for (auto& r : m_fileRanks) r = {};
  m_missionRanks = {};
  m_scratch.reset();
  m_nScratch = 0;
}

std::byte* CSoundSortRanks::Scratch(size_t bytes) {
  if (m_nScratch < bytes) {
    m_scratch.reset();
    m_scratch.reset(new std::byte[bytes]);
    m_nScratch = bytes;
  }
  return m_scratch.get();
}

void CSoundSortRanks::NumberSlots() {
  if (!m_firstSlot.empty()) return;
  int32_t count = m_soundInfos.m_pData ? m_soundInfos.GetCount() : 0;  // a load that failed early has no records
  m_firstSlot.resize(static_cast<size_t>(count) + 1);
  m_files.resize(static_cast<size_t>(count));
  uint32_t slot = 0;
  for (int32_t i = 0; i < count; ++i) {
    m_firstSlot[i] = slot;
    m_files[i] = m_soundInfos.m_pData[i].GetFile(0);
    slot += m_soundInfos.m_pData[i].m_nFileCount;
  }
  m_firstSlot[count] = slot;
}

bool CSoundSortRanks::FileSlot(const SoundListItem& item, uint32_t& slot) {
  // The row's record and file by their places in the table and in the record's files, kept
  // here so that a row costs no look at its record.
  NumberSlots();
  uintptr_t info = reinterpret_cast<uintptr_t>(item.pInfo) - reinterpret_cast<uintptr_t>(m_soundInfos.m_pData);
  if (!item.pInfo || info >= m_files.size() * sizeof(CSMSoundInfo) || info % sizeof(CSMSoundInfo) != 0) return false;
  size_t i = info / sizeof(CSMSoundInfo);
  uintptr_t file = reinterpret_cast<uintptr_t>(item.pFile) - reinterpret_cast<uintptr_t>(m_files[i]);
  if (!item.pFile || file >= (m_firstSlot[i + 1] - m_firstSlot[i]) * sizeof(CSMSoundFile) ||
      file % sizeof(CSMSoundFile) != 0)
    return false;
  slot = m_firstSlot[i] + static_cast<uint32_t>(file / sizeof(CSMSoundFile));
  return true;
}

uint32_t CSoundSortRanks::MissionCount() const {
  return m_missionSounds.m_pData ? static_cast<uint32_t>(m_missionSounds.GetCount()) : 0;  // none after an early failure
}

bool CSoundSortRanks::MissionSlot(const SoundListItem& item, uint32_t& slot) const {
  uintptr_t at = reinterpret_cast<uintptr_t>(item.pRecord) - reinterpret_cast<uintptr_t>(m_missionSounds.m_pData);
  if (!item.pRecord || at >= uintptr_t{MissionCount()} * sizeof(CSMMissionSound) ||
      at % sizeof(CSMMissionSound) != 0)
    return false;
  slot = static_cast<uint32_t>(at / sizeof(CSMMissionSound));
  return true;
}

const uint32_t* CSoundSortRanks::FileRanks(ColumnKind kind, uint32_t& distinct) {
  if (kind < COL_FILENAME || kind >= COL_KIND_COUNT) return nullptr;
  std::vector<uint32_t>& ranks = m_fileRanks[kind];
  NumberSlots();
  uint32_t slots = m_firstSlot.back();
  if (ranks.size() != slots + size_t{1}) {
    // The first key: the file names, the numbers of a number kind or the texts of a subtitle
    // kind; the file names second for the latter two.
    bool second = kind != COL_FILENAME;
    std::byte* at = Scratch(Ranker::ScratchBytes(slots, second) + slots * sizeof(const CSMSoundFile*) + 16);
    Ranker ranker(slots, second, at);
    at += (Ranker::ScratchBytes(slots, second) + 7) / 8 * 8;  // the ranker's share, then aligned
    const CSMSoundFile** files = Take<const CSMSoundFile*>(at, slots);
    for (size_t i = 0; i < m_files.size(); ++i)
      for (uint32_t slot = m_firstSlot[i], j = 0; slot < m_firstSlot[i + 1]; ++slot, ++j) files[slot] = m_files[i] + j;
    // The texts lie far apart: each is asked for some files ahead, and each file before that.
    // The file names are read for every file where ties of the first key are many (texts), only
    // for the tied ones after a number.
    bool number = kind == COL_LOCATION || kind == COL_SIZE;
    const int subtitle = kind >= COL_SUBTITLE ? kind - COL_SUBTITLE : -1;
    constexpr uint32_t kAhead = 16;
    for (uint32_t slot = 0; slot < slots; ++slot) {
      const CSMSoundFile& f = *files[slot];
      if (number) {
        ranker.NumberFirst(slot, kind == COL_LOCATION ? (f.m_data.IsValid() ? uint64_t{f.m_data.m_nValue} + 1 : 0)
                                                      : f.GetSize());
        continue;
      }
      if (slot + 2 * kAhead < slots) {
        const CSMSoundFile& later = *files[slot + 2 * kAhead];
        __builtin_prefetch(&later.m_name);
        if (subtitle >= 0) __builtin_prefetch(&later.m_subtitles[subtitle]);
      }
      if (slot + kAhead < slots) {
        const CSMSoundFile& ahead = *files[slot + kAhead];
        Prefetch(ahead.m_name);
        if (subtitle >= 0) Prefetch(ahead.m_subtitles[subtitle]);
      }
      uint32_t length;
      const char* name = FileNameOf(f, length);
      if (subtitle < 0) {
        ranker.TextFirst(slot, name, length);
      } else {
        ranker.NameSecond(slot, name, length);
        const char* s = TextOf(f.m_subtitles[subtitle], &length);
        ranker.TextFirst(slot, s, length);
      }
    }
    if (number) ranker.NamesOf(files);
    // The last element, past every slot, keeps the number of distinct ranks.
    ranks.assign(slots + size_t{1}, 0);
    ranks[slots] = ranker.Rank(ranks.data());
  }
  distinct = ranks[slots];
  return ranks.data();
}

const uint32_t* CSoundSortRanks::MissionRanks(uint32_t& distinct) {
  uint32_t count = MissionCount();
  if (m_missionRanks.size() != count + size_t{1}) {
    Ranker ranker(count, false, Scratch(Ranker::ScratchBytes(count, false)));
    constexpr uint32_t kAhead = 16;
    for (uint32_t i = 0; i < count; ++i) {
      if (i + kAhead < count) Prefetch(m_missionSounds.m_pData[i + kAhead].m_name);
      uint32_t length;
      const char* s = TextOf(m_missionSounds.m_pData[i].m_name, &length);
      ranker.TextFirst(i, s, length);
    }
    m_missionRanks.assign(count + size_t{1}, 0);
    m_missionRanks[count] = ranker.Rank(m_missionRanks.data());
  }
  distinct = m_missionRanks[count];
  return m_missionRanks.data();
}

size_t CSoundSortRanks::GetHeldBytes() const {
  size_t bytes = (m_firstSlot.capacity() + m_missionRanks.capacity()) * sizeof(uint32_t) +
                 m_files.capacity() * sizeof(m_files[0]) + m_nScratch;
  for (const auto& r : m_fileRanks) bytes += r.capacity() * sizeof(uint32_t);
  return bytes;
}
