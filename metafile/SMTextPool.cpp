#include "metafile/SMTextPool.h"

#include <new>
#include <sys/mman.h>

char* CSMTextPool::Allocate(size_t size) {
  if (size > m_nLeft) {
    size_t blockSize = size > kBlockSize / 4 ? size : kBlockSize;
    void* block = mmap(nullptr, blockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) throw std::bad_alloc();
    // Large pages where the system offers them: far fewer page faults while a set loads.
    madvise(block, blockSize, MADV_HUGEPAGE);
    m_blocks.push_back({static_cast<char*>(block), blockSize});
    if (blockSize != kBlockSize) return static_cast<char*>(block);  // a large text gets a block of its own
    m_pNext = static_cast<char*>(block);
    m_nLeft = blockSize;
  }
  char* text = m_pNext;
  m_pNext += size;
  m_nLeft -= size;
  return text;
}

void CSMTextPool::Clear() {
  for (auto& [start, size] : m_blocks) munmap(start, size);
  m_blocks.clear();
  m_pNext = nullptr;
  m_nLeft = 0;
}
