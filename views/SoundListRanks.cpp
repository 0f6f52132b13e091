#include "views/SoundListRanks.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <cctype>
#include <cstring>
#include <functional>
#include <mutex>
#include <thread>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "views/SoundListSort.h"
#include "views/TwoThreads.h"

namespace {

// Where a string's bytes start and, when `length` is given, how many are stored. The text a
// comparator sees ends at the first NUL among them: the chunks below cut it there, so that no
// byte has to be read to find its length.
const char* TextOf(const CSMString& string, uint32_t* length) {
  if (length) *length = string.m_pszText ? string.m_nLength : 0;
  return string.m_pszText ? string.m_pszText : "";
}

// The text CompareFilename compares: the name, or nothing for a missing file named "none".
const char* FileNameOf(const CSMSoundFile& f, uint32_t& length) {
  if (f.m_data.IsValid()) return TextOf(f.m_name, &length);
  const std::string_view name = FilenameKey(&f);
  length = static_cast<uint32_t>(name.size());
  return name.data();
}

// Starts reading the first bytes of a text, for a look a few entries later.
void Prefetch(const CSMString& string) { __builtin_prefetch(TextOf(string, nullptr)); }

// Keys of a file or mission sound to rank, compared in turn: a number or a text, then maybe the
// file's name.
enum : uint8_t { KEY_NUMBER = 0, KEY_TEXT = 1, KEY_NAME = 2 };

// Eight bytes in memory order, as a big-endian number cut at the first zero byte: the bytes
// after it read as zeros.
uint64_t CutAtNul(uint64_t v) {
  uint64_t zero = (v - 0x0101010101010101u) & ~v & 0x8080808080808080u;  // exact for the first zero byte
  if (zero) v &= ((zero & (0 - zero)) >> 7) - 1;
  return __builtin_bswap64(v);
}

// Eight bytes of a text stored in `length` bytes from `depth` on, big-endian, ending at its first
// NUL and zero-padded: comparing two chunks compares the texts byte by byte as unsigned bytes,
// a text before any longer one it begins.
uint64_t TextChunk(const char* s, uint32_t length, uint32_t depth) {
  uint64_t v = 0;
  if (depth + 8 <= length)
    memcpy(&v, s + depth, 8);
  else if (depth < length)
    memcpy(&v, s + depth, length - depth);
  return CutAtNul(v);
}

// The same of a packed text (Ranker::Pack), whose bytes are followed by zeros to the end of the
// word after its last byte: one load.
uint64_t PackedChunk(const uint64_t* words, uint32_t depth) {
  uint64_t v;
  memcpy(&v, reinterpret_cast<const char*>(words) + depth, 8);
  return CutAtNul(v);
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
  // The ranker works in ScratchBytes (count, second, parallel) bytes at `scratch`; `text` when
  // the first key is a text, `second` when the entries have a second key, `parallel` when it
  // ranks on two threads.
  Ranker(uint32_t count, bool text, bool second, bool parallel, std::byte* scratch)
      : m_nCount(count), m_bText(text), m_bParallel(parallel) {
    [[maybe_unused]] const std::byte* begin = scratch;
    m_items = CSoundSortRanks::Take<Item>(scratch, count);
    m_higher = CSoundSortRanks::Take<uint8_t>(scratch, count);
    m_class = CSoundSortRanks::Take<uint8_t>(scratch, count);
    m_texts = CSoundSortRanks::Take<const char*>(scratch, count);
    if (second) m_names = CSoundSortRanks::Take<Name>(scratch, count);
    m_buffer = CSoundSortRanks::Take<Item>(scratch, count);
    m_packed = CSoundSortRanks::Take<uint64_t>(scratch, kPackedWords);
    if (parallel) m_otherPacked = CSoundSortRanks::Take<uint64_t>(scratch, kPackedWords);
    assert(static_cast<size_t>(scratch - begin) <= ScratchBytes(count, second, parallel));
  }
  static size_t ScratchBytes(uint32_t count, bool second, bool parallel) {
    return count * (2 * sizeof(Item) + 2 + sizeof(const char*) + (second ? sizeof(Name) : 0)) +
           (parallel ? 2 : 1) * kPackedWords * sizeof(uint64_t) + 64;
  }

  // The first key of entry i: a number or a text.
  void NumberFirst(uint32_t i, uint64_t number) { m_items[i] = {number, i, 0}; }
  void TextFirst(uint32_t i, const char* s, uint32_t length) {
    m_items[i] = {TextChunk(s, length, 0), i, length};
    m_texts[i] = s;
  }
  // The second key of entry i: the name of a file. Given for every entry (NameSecond) where
  // many first keys agree; else read only for the entries whose first keys agree (NamesOf).
  void NameSecond(uint32_t i, const char* s, uint32_t length) {
    m_names[i] = {s, TextChunk(s, length, 0), length};
  }
  void NamesOf(const CSMSoundFile* const* files) { m_files = files; }

  // Gives every entry its rank; returns the number of distinct ranks. On two threads the second
  // does `extra` first, when given.
  uint32_t Rank(uint32_t* ranks, const std::function<void()>& extra = {}) {
    uint32_t n = m_nCount;
    if (n == 0) return 0;
    std::fill(m_higher, m_higher + n, 0);
    m_stack.push_back({0, n, 0, m_bText ? KEY_TEXT : KEY_NUMBER, LOADED});
    if (m_bParallel) {
      Share(extra);
    } else {
      Drain();
      if (extra) extra();
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
    uint32_t length;
  };
  enum : uint8_t { LOADED, TO_LOAD };
  // Entries that agree on every key before `key` and on `key` before `depth`.
  struct Group {
    uint32_t begin, end, depth;
    uint16_t key, state;  // not bytes: a group is written by halves and read whole
  };
  static constexpr uint32_t kInsertion = 16, kSmall = 96, kWide = 1u << 15;
  static constexpr uint32_t kPackedWords = 1u << 17;  // 1 MiB, at home in the second-level cache

  // Ranks every group on the stack and every group they leave.
  void Drain() {
    while (!m_stack.empty()) {
      Group g = m_stack.back();
      m_stack.pop_back();
      Run(g);
    }
  }

  // Drain on two threads, each with a stack and a block of its own; the second does `extra`
  // first, while the first splits the whole. Groups of more than a 64th of the entries are split
  // by whichever thread takes them and their parts shared again; the others are ranked whole by
  // it. Groups cover disjoint places, so the threads never write the same entry.
  void Share(const std::function<void()>& extra) {
    const uint32_t large = std::max<uint32_t>(m_nCount / 64, 256);
    std::vector<Group> shared;
    shared.swap(m_stack);
    std::mutex mutex;
    uint32_t working = 0;  // threads with a group taken from `shared`
    Ranker other = *this;
    other.m_packed = m_otherPacked;
    std::atomic<bool> extraTaken{!extra};
    OnTwoThreads(true, [&](bool helper) {
      if (helper && !extraTaken.exchange(true)) extra();
      Ranker& r = helper ? other : *this;
      std::unique_lock<std::mutex> lock(mutex);
      for (;;) {
        if (shared.empty()) {
          if (working == 0) break;
          lock.unlock();
          std::this_thread::yield();
          lock.lock();
          continue;
        }
        Group g = shared.back();
        shared.pop_back();
        ++working;
        lock.unlock();
        bool split = g.end - g.begin > large;
        if (split) {
          r.Run(g);
        } else {
          r.m_stack.push_back(g);
          r.Drain();
        }
        lock.lock();
        if (split) {
          shared.insert(shared.end(), r.m_stack.begin(), r.m_stack.end());
          r.m_stack.clear();
        }
        --working;
      }
      lock.unlock();
      if (!extraTaken.exchange(true)) extra();
    });
  }

  void Run(Group g) {
    for (;;) {
      uint64_t differ;
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
        differ = Load(a, n, g);
      } else {
        differ = Differ(a, n);
      }
      g.state = LOADED;
      uint64_t first = a[0].chunk;
      if (differ == 0) {
        if (!Descend(g, first)) return;
        continue;
      }
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
      if (!SplitDistinct(g, a, n)) Split(g, a, n, differ);
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
    // chunk, which no longer one shares. The file names' first chunks and lengths, when given,
    // go in the two words before each text, for the entries whose texts turn out equal.
    const uint32_t nameWords = m_names ? 2 : 0;
    size_t words = 0;
    for (uint32_t i = 0; i < n; ++i) words += (a[i].aux - depth) / 8 + 1 + nameWords;
    if (words > kPackedWords) return false;
    constexpr uint32_t kAhead = 8;
    uint32_t at = 0;
    for (uint32_t i = 0; i < n; ++i) {
      if (i + 2 * kAhead < n) {
        __builtin_prefetch(&m_texts[a[i + 2 * kAhead].id]);
        if (nameWords) __builtin_prefetch(&m_names[a[i + 2 * kAhead].id]);
      }
      if (i + kAhead < n) __builtin_prefetch(m_texts[a[i + kAhead].id] + depth);
      if (nameWords) {
        const Name& name = m_names[a[i].id];
        m_packed[at] = name.chunk;
        m_packed[at + 1] = name.length;
        at += 2;
      }
      uint32_t rest = a[i].aux - depth;
      m_packed[at + rest / 8] = 0;
      memcpy(m_packed + at, m_texts[a[i].id] + depth, rest);
      a[i].aux = at;
      a[i].chunk = PackedChunk(m_packed + at, 0);
      at += rest / 8 + 1;
    }
    return true;
  }

  // The bits in which the group's chunks differ from the first's.
  static uint64_t Differ(const Item* a, uint32_t n) {
    uint64_t first = a[0].chunk, differ = 0;
    for (uint32_t i = 1; i < n; ++i) differ |= a[i].chunk ^ first;
    return differ;
  }

  // The chunks of the group's key at its depth; at depth 0 of the file names, with their texts
  // and lengths. No load waits on a byte of a text, so that many are under way at once. Returns
  // Differ of them.
  uint64_t Load(Item* a, uint32_t n, const Group& g) const {
    constexpr uint32_t kAhead = 8;
    uint32_t depth = g.depth;
    if (g.key == KEY_TEXT && m_bPacked) {
      const uint32_t at = depth - m_nPackedDepth;
      const uint64_t first = a[0].chunk = PackedChunk(m_packed + a[0].aux, at);
      uint64_t differ = 0;
      for (uint32_t i = 1; i < n; ++i) differ |= (a[i].chunk = PackedChunk(m_packed + a[i].aux, at)) ^ first;
      return differ;
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
    } else if (depth == 0 && m_bPacked) {
      // Packed with the texts, whose places the entries still hold.
      for (uint32_t i = 0; i < n; ++i) {
        const uint64_t* name = m_packed + a[i].aux - 2;
        a[i] = {name[0], a[i].id, static_cast<uint32_t>(name[1])};
      }
    } else if (depth == 0) {
      for (uint32_t i = 0; i < n; ++i) {
        const Name& name = m_names[a[i].id];
        a[i] = {name.chunk, a[i].id, name.length};
      }
    } else {
      for (uint32_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(m_names[a[i + kAhead].id].text + depth);
        a[i].chunk = TextChunk(m_names[a[i].id].text, a[i].aux, depth);
      }
    }
    return Differ(a, n);
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

  // A group whose chunks take at most kDistinct values: a counting sort by the whole chunk, its
  // values found in a small hash table and sorted. Each run of equal chunks goes on with the
  // next eight bytes. False, with nothing moved, when there are more values.
  bool SplitDistinct(const Group& g, Item* a, uint32_t n) {
    constexpr uint32_t kDistinct = 256, kSlots = 1024;
    constexpr uint16_t kEmpty = 0xFFFF;
    uint16_t slotClass[kSlots];
    uint64_t values[kDistinct];
    uint32_t count[kDistinct] = {};
    std::fill(slotClass, slotClass + kSlots, kEmpty);
    uint8_t* cls = m_class + g.begin;
    // Mostly distinct chunks are left to a split by their bytes, which needs no sort of values.
    const uint32_t limit = std::min(kDistinct, n / 2);
    uint32_t distinct = 0;
    for (uint32_t i = 0; i < n; ++i) {
      uint64_t v = a[i].chunk;
      uint32_t slot = static_cast<uint32_t>((v * 0x9E3779B97F4A7C15u) >> 54);
      for (;;) {
        uint16_t c = slotClass[slot];
        if (c == kEmpty) {
          if (distinct == limit) return false;
          values[distinct] = v;
          slotClass[slot] = c = static_cast<uint16_t>(distinct++);
        } else if (values[c] != v) {
          slot = (slot + 1) & (kSlots - 1);
          continue;
        }
        cls[i] = static_cast<uint8_t>(c);
        ++count[c];
        break;
      }
    }
    uint8_t order[kDistinct];
    for (uint32_t c = 0; c < distinct; ++c) order[c] = static_cast<uint8_t>(c);
    std::sort(order, order + distinct, [&](uint8_t x, uint8_t y) { return values[x] < values[y]; });
    uint32_t next[kDistinct];
    for (uint32_t k = 0, at = 0; k < distinct; ++k) {
      uint32_t c = order[k];
      next[c] = at;
      Group run{g.begin + at, g.begin + at + count[c], g.depth, g.key, LOADED};
      if (at > 0) m_higher[run.begin] = 1;
      if (count[c] > 1 && Descend(run, values[c])) m_stack.push_back(run);
      at += count[c];
    }
    Item* to = m_buffer + g.begin;
    for (uint32_t i = 0; i < n; ++i) to[next[cls[i]]++] = a[i];
    std::copy(to, to + n, a);
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
    Item* to = m_buffer + g.begin;
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
  uint8_t* m_class;           // by place: the class of the entry's chunk in SplitDistinct
  const char** m_texts;       // the first key's texts by entry
  uint64_t* m_packed;         // the block
  uint64_t* m_otherPacked = nullptr;  // the second thread's
  bool m_bText;               // the first key is a text
  bool m_bParallel;           // ranks on two threads
  bool m_bPacked = false;     // the groups being ranked have their first key's texts in the block
  uint32_t m_nPackedDepth = 0;  // from where
  Name* m_names = nullptr;  // the second key's texts by entry, none without one
  const CSMSoundFile* const* m_files = nullptr;  // to read the names from, when not given
  std::vector<Group> m_stack;
  std::vector<uint32_t> m_start, m_next;
};

}  // namespace

void CSoundSortRanks::Clear() {
  m_firstSlot = {};
  m_files = {};
  m_fileRuns = {};
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
    const CSMSoundInfo& info = m_soundInfos.m_pData[i];
    m_firstSlot[i] = slot;
    m_files[i] = info.GetFile(0);
    if (info.m_nFileCount > 0) {
      // Records' files mostly follow one another in memory, in the records' order.
      uintptr_t begin = reinterpret_cast<uintptr_t>(m_files[i]), end = begin + info.m_nFileCount * sizeof(CSMSoundFile);
      if (!m_fileRuns.empty() && m_fileRuns.back().end == begin)
        m_fileRuns.back().end = end;
      else
        m_fileRuns.push_back({begin, end, slot});
    }
    slot += info.m_nFileCount;
  }
  m_firstSlot[count] = slot;
  std::sort(m_fileRuns.begin(), m_fileRuns.end(), [](const FileRun& x, const FileRun& y) { return x.begin < y.begin; });
}

const uint32_t* CSoundSortRanks::FileRanks(ColumnKind kind, uint32_t& distinct) {
  if (kind < COL_FILENAME || kind >= COL_KIND_COUNT) return nullptr;
  std::vector<uint32_t>& ranks = m_fileRanks[kind];
  NumberSlots();
  uint32_t slots = m_firstSlot.back();
  if (ranks.size() != slots + size_t{1}) {
    bool parallel = OnTwoCores(slots);
    // The first key: the file names, the numbers of a number kind or the texts of a subtitle
    // kind; the file names second for the latter two. On two threads the mission sounds' ranks,
    // which every sort needs, are computed alongside when missing.
    bool second = kind != COL_FILENAME;
    bool number = kind == COL_LOCATION || kind == COL_SIZE;
    uint32_t missions = MissionCount();
    bool withMissions = parallel && m_missionRanks.size() != missions + size_t{1};
    size_t rankerBytes = (Ranker::ScratchBytes(slots, second, parallel) + 7) / 8 * 8;
    size_t filesBytes = (slots * sizeof(const CSMSoundFile*) + 7) / 8 * 8;
    std::byte* at = Scratch(rankerBytes + filesBytes + (withMissions ? Ranker::ScratchBytes(missions, false, false) : 0));
    Ranker ranker(slots, !number, second, parallel, at);
    at += rankerBytes;
    const CSMSoundFile** files = Take<const CSMSoundFile*>(at, slots);
    std::byte* missionScratch = at;
    for (size_t i = 0; i < m_files.size(); ++i)
      for (uint32_t slot = m_firstSlot[i], j = 0; slot < m_firstSlot[i + 1]; ++slot, ++j) files[slot] = m_files[i] + j;
    // The texts lie far apart: each is asked for some files ahead, and each file before that.
    // The file names are read for every file where ties of the first key are many (texts), only
    // for the tied ones after a number.
    const int subtitle = kind >= COL_SUBTITLE ? kind - COL_SUBTITLE : -1;
    auto gather = [&](uint32_t begin, uint32_t end) {
      constexpr uint32_t kAhead = 16;
      for (uint32_t slot = begin; slot < end; ++slot) {
        const CSMSoundFile& f = *files[slot];
        if (number) {
          ranker.NumberFirst(slot, kind == COL_LOCATION ? (f.m_data.IsValid() ? uint64_t{f.m_data.m_nValue} + 1 : 0)
                                                        : f.GetSize());
          continue;
        }
        if (slot + 2 * kAhead < end) {
          const CSMSoundFile& later = *files[slot + 2 * kAhead];
          __builtin_prefetch(&later.m_name);
          if (subtitle >= 0) __builtin_prefetch(&later.m_subtitles[subtitle]);
        }
        if (slot + kAhead < end) {
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
    };
    // Runs of slots taken in turn.
    constexpr uint32_t kRun = 4096;
    std::atomic<uint32_t> nextRun{0};
    OnTwoThreads(parallel, [&](bool) {
      for (uint32_t begin; (begin = nextRun.fetch_add(kRun, std::memory_order_relaxed)) < slots;)
        gather(begin, std::min(slots - begin, kRun) + begin);
    });
    if (number) ranker.NamesOf(files);
    // The last element, past every slot, keeps the number of distinct ranks.
    ranks.assign(slots + size_t{1}, 0);
    std::function<void()> missionRanks;
    if (withMissions) missionRanks = [this, missionScratch] { RankMissions(missionScratch); };
    ranks[slots] = ranker.Rank(ranks.data(), missionRanks);
  }
  distinct = ranks[slots];
  return ranks.data();
}

void CSoundSortRanks::RankMissions(std::byte* scratch) {
  uint32_t count = MissionCount();
  Ranker ranker(count, true, false, false, scratch);
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

const uint32_t* CSoundSortRanks::MissionRanks(uint32_t& distinct) {
  uint32_t count = MissionCount();
  if (m_missionRanks.size() != count + size_t{1}) RankMissions(Scratch(Ranker::ScratchBytes(count, false, false)));
  distinct = m_missionRanks[count];
  return m_missionRanks.data();
}

bool CSoundSortRanks::OnTwoCores(uint32_t entries) const {
  static const bool twoCores = std::thread::hardware_concurrency() > 1;
  return twoCores && entries >= m_nParallelFrom;
}

size_t CSoundSortRanks::GetHeldBytes() const {
  size_t bytes = (m_firstSlot.capacity() + m_missionRanks.capacity()) * sizeof(uint32_t) +
                 m_files.capacity() * sizeof(m_files[0]) + m_fileRuns.capacity() * sizeof(FileRun) + m_nScratch;
  for (const auto& r : m_fileRanks) bytes += r.capacity() * sizeof(uint32_t);
  return bytes;
}
