// Storage for the texts and sound file entries of loaded records: large blocks handed out piece
// by piece and freed together, instead of one heap allocation each; and read-only mappings of
// the metafiles, so that records can use texts and bytes where they lie in the files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/MappedFile.h"

class CSMRecordPool {
 public:
  CSMRecordPool() = default;
  CSMRecordPool(const CSMRecordPool&) = delete;
  CSMRecordPool& operator=(const CSMRecordPool&) = delete;
  ~CSMRecordPool() { Clear(); }

  // `size` bytes at a multiple of `alignment` (a power of two), valid until Clear.
  char* Allocate(size_t size, size_t alignment = 1) {
    size_t skip = (0 - reinterpret_cast<uintptr_t>(m_pNext)) & (alignment - 1);
    if (size + skip > m_nLeft) return AllocateBlock(size);
    char* text = m_pNext + skip;
    m_pNext += skip + size;
    m_nLeft -= skip + size;
    return text;
  }
  // Frees every block and unmaps every file; the texts handed out become invalid.
  void Clear();

  // The whole regular file open on `file`, mapped read-only until Clear (a file already mapped
  // is not mapped again); null when it cannot be mapped or mapping is off: read the stream then.
  const CMappedFile* MapFile(FILE* file);
  void SetMapFiles(bool map) { m_bMapFiles = map; }

  static constexpr size_t kFirstBlockSize = 64 << 10;
  static constexpr size_t kBlockSize = 4 << 20;

 private:
  // Starts a new block (page-aligned) and takes `size` bytes from it.
  char* AllocateBlock(size_t size);

  std::vector<std::pair<char*, size_t>> m_blocks;  // start and size of each block
  size_t m_nHeld = 0;  // bytes in all blocks
  char* m_pNext = nullptr;
  size_t m_nLeft = 0;

  struct MappedMetafile {
    uint64_t device, inode, size;
    std::unique_ptr<CMappedFile> mapping;
  };
  std::vector<MappedMetafile> m_mappings;
  bool m_bMapFiles = true;
};
