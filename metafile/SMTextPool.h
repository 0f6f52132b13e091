// Storage for the texts of loaded records: large blocks handed out piece by piece and freed
// together, instead of one heap allocation per string.
#pragma once

#include <cstddef>
#include <vector>

class CSMTextPool {
 public:
  CSMTextPool() = default;
  CSMTextPool(const CSMTextPool&) = delete;
  CSMTextPool& operator=(const CSMTextPool&) = delete;
  ~CSMTextPool() { Clear(); }

  // `size` bytes, valid until Clear.
  char* Allocate(size_t size);
  // Frees every block; the texts handed out become invalid.
  void Clear();

  static constexpr size_t kFirstBlockSize = 64 << 10;
  static constexpr size_t kBlockSize = 4 << 20;

 private:
  std::vector<std::pair<char*, size_t>> m_blocks;  // start and size of each block
  size_t m_nHeld = 0;  // bytes in all blocks
  char* m_pNext = nullptr;
  size_t m_nLeft = 0;
};
