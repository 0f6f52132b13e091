#include "views/SoundListRanks.h"

#include <algorithm>
#include <cstring>

#include "metafile/MissionSounds.h"
#include "metafile/SoundInfo.h"
#include "views/SoundListSort.h"

namespace {

// Keys of a file or mission sound to rank, compared in turn: a number, then one or two texts.
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

// True when the key ends within the chunk: a number, or a text whose last byte there is the pad.
bool ChunkEnds(uint8_t key, uint64_t chunk) { return key == KEY_NUMBER || (chunk & 0xFF) == 0; }

// Ranks entries by their keys, most significant bytes first. Each entry carries eight bytes of
// its current key (its chunk). A group of entries that agree so far is sorted by the chunk and
// its runs of equal chunks go on with the next eight bytes, or the next key; where two
// neighbours' keys differ, the later one ranks one higher.
class Ranker {
 public:
  // Entry i has the texts text[0][i] and, when there is a second key, text[1][i]. The ranker
  // works in ScratchBytes (count) bytes at `scratch`.
  Ranker(uint32_t count, const std::string_view* text0, const std::string_view* text1, std::byte* scratch) : m_nCount(count) {
    m_items = CSoundSortRanks::Take<Item>(scratch, count);
    m_buffer = CSoundSortRanks::Take<Item>(scratch, count);
    m_higher = CSoundSortRanks::Take<uint8_t>(scratch, count);
    std::fill(m_higher, m_higher + count, 0);
    m_text[0] = text0;
    m_text[1] = text1;
  }
  static size_t ScratchBytes(uint32_t count) { return count * (2 * sizeof(Item) + 1) + 8; }

  // Gives every entry its rank; returns the number of distinct ranks. `numbers`, when given, is
  // the first key, before the texts.
  uint32_t Rank(const uint64_t* numbers, uint32_t* ranks) {
    uint32_t n = m_nCount;
    if (n == 0) return 0;
    for (uint32_t i = 0; i < n; ++i) m_items[i] = {numbers ? numbers[i] : 0, i, 0};
    m_stack.push_back({0, n, 0, numbers ? KEY_NUMBER : KEY_TEXT, numbers ? LOADED : TO_LOAD});
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
    uint64_t chunk;   // of the group's key at the group's depth
    uint32_t id;
    uint32_t length;  // of the text of the group's key
  };
  enum : uint8_t { LOADED, TO_LOAD };
  // Entries that agree on every key before `key` and on `key` before `depth`.
  struct Group {
    uint32_t begin, end, depth;
    uint8_t key, state;
  };
  static constexpr uint32_t kSmall = 16;

  uint8_t LastKey() const { return m_text[1] ? KEY_NAME : KEY_TEXT; }

  void Run(Group g) {
    for (;;) {
      uint32_t n = g.end - g.begin;
      Item* a = &m_items[g.begin];
      if (g.state == TO_LOAD) Load(a, n, m_text[g.key - 1], g.depth);
      g.state = LOADED;
      if (n <= kSmall) {
        for (uint32_t i = 1; i < n; ++i) {
          Item e = a[i];
          uint32_t j = i;
          for (; j > 0 && e.chunk < a[j - 1].chunk; --j) a[j] = a[j - 1];
          a[j] = e;
        }
        return Runs(g);
      }
      uint64_t first = a[0].chunk, differ = 0;
      for (uint32_t i = 1; i < n; ++i) differ |= a[i].chunk ^ first;
      if (differ == 0) {
        if (!Descend(g, first)) return;
        continue;
      }
      if (!PartitionFew(g, a, n)) SplitByte(g, a, n, differ);
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

  // The chunks at `depth`; at depth 0, of a new key, with the lengths of its texts. No load
  // waits on a byte of a text, so that many are under way at once.
  static void Load(Item* a, uint32_t n, const std::string_view* text, uint32_t depth) {
    if (depth == 0)
      for (uint32_t i = 0; i < n; ++i) a[i].length = static_cast<uint32_t>(text[a[i].id].size());
    constexpr uint32_t kAhead = 8;
    for (uint32_t i = 0; i < n; ++i) {
      if (i + kAhead < n) __builtin_prefetch(text[a[i + kAhead].id].data() + depth);
      a[i].chunk = TextChunk(text[a[i].id].data(), a[i].length, depth);
    }
  }

  // A group whose chunks agree goes on with the next eight bytes of its key, or with the next
  // key; false when there is none (its entries are equal).
  bool Descend(Group& g, uint64_t chunk) const {
    if (!ChunkEnds(g.key, chunk)) {
      g.depth += 8;
    } else if (g.key < LastKey()) {
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

  // Counting sort by the highest byte in which the chunks differ; each bucket goes on as a group.
  void SplitByte(const Group& g, Item* a, uint32_t n, uint64_t differ) {
    int shift = (63 - __builtin_clzll(differ)) & ~7;
    uint32_t start[257] = {};
    for (uint32_t i = 0; i < n; ++i) ++start[((a[i].chunk >> shift) & 0xFF) + 1];
    for (int b = 1; b <= 256; ++b) start[b] += start[b - 1];
    uint32_t next[256];
    std::copy(start, start + 256, next);
    Item* to = m_buffer;
    for (uint32_t i = 0; i < n; ++i) to[next[(a[i].chunk >> shift) & 0xFF]++] = a[i];
    std::copy(to, to + n, a);
    for (int b = 0; b < 256; ++b) {
      if (start[b] == start[b + 1]) continue;
      if (start[b] > 0) m_higher[g.begin + start[b]] = 1;
      if (start[b + 1] - start[b] > 1) m_stack.push_back({g.begin + start[b], g.begin + start[b + 1], g.depth, g.key, LOADED});
    }
  }

  uint32_t m_nCount;
  Item* m_items;
  Item* m_buffer;
  uint8_t* m_higher;  // by place: the entry there ranks one higher than the one before
  const std::string_view* m_text[2];
  std::vector<Group> m_stack;
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
    bool number = kind == COL_LOCATION || kind == COL_SIZE;
    std::byte* at = Scratch(slots * 2 * sizeof(std::string_view) + Ranker::ScratchBytes(slots) + 16);
    std::string_view* names = Take<std::string_view>(at, slots);
    // The first key: the texts of a subtitle kind, the numbers of a number kind.
    std::string_view* texts = number ? nullptr : Take<std::string_view>(at, slots);
    uint64_t* numbers = number ? Take<uint64_t>(at, slots) : nullptr;
    for (size_t i = 0; i < m_files.size(); ++i) {
      const CSMSoundInfo& info = m_soundInfos.m_pData[i];
      for (int32_t j = 0; j < info.m_nFileCount; ++j) {
        const CSMSoundFile& f = *info.GetFile(j);
        uint32_t slot = m_firstSlot[i] + static_cast<uint32_t>(j);
        names[slot] = FilenameKey(&f);
        if (kind == COL_LOCATION)
          numbers[slot] = f.m_data.IsValid() ? uint64_t{f.m_data.m_nValue} + 1 : 0;
        else if (kind == COL_SIZE)
          numbers[slot] = f.GetSize();
        else if (kind != COL_FILENAME)
          texts[slot] = f.m_subtitles[kind - COL_SUBTITLE].GetText();
      }
    }
    // The last element, past every slot, keeps the number of distinct ranks.
    ranks.assign(slots + size_t{1}, 0);
    if (kind == COL_FILENAME)
      ranks[slots] = Ranker(slots, names, nullptr, at).Rank(nullptr, ranks.data());
    else
      ranks[slots] = Ranker(slots, texts, names, at).Rank(numbers, ranks.data());
  }
  distinct = ranks[slots];
  return ranks.data();
}

const uint32_t* CSoundSortRanks::MissionRanks(uint32_t& distinct) {
  uint32_t count = MissionCount();
  if (m_missionRanks.size() != count + size_t{1}) {
    std::byte* at = Scratch(count * sizeof(std::string_view) + Ranker::ScratchBytes(count) + 16);
    std::string_view* names = Take<std::string_view>(at, count);
    for (uint32_t i = 0; i < count; ++i) names[i] = m_missionSounds.m_pData[i].m_name.GetText();
    m_missionRanks.assign(count + size_t{1}, 0);
    m_missionRanks[count] = Ranker(count, names, nullptr, at).Rank(nullptr, m_missionRanks.data());
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
