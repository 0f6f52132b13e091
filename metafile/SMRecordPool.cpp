#include "metafile/SMRecordPool.h"

#include <new>
#include <sys/mman.h>
#include <sys/stat.h>

char* CSMRecordPool::AllocateBlock(size_t size) {
  // Blocks grow with what the pool holds, from kFirstBlockSize up to kBlockSize, so that a
  // small set stays small; a text larger than a quarter block gets a block of its own.
  size_t blockSize = m_nHeld < kFirstBlockSize ? kFirstBlockSize : (m_nHeld < kBlockSize ? m_nHeld : kBlockSize);
  bool own = size > blockSize / 4;
  if (own) blockSize = size;
  void* block = mmap(nullptr, blockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) throw std::bad_alloc();
  // Large pages where the system offers them: far fewer page faults while a large set loads.
  if (blockSize >= kBlockSize) madvise(block, blockSize, MADV_HUGEPAGE);
  m_blocks.push_back({static_cast<char*>(block), blockSize});
  m_nHeld += blockSize;
  if (own) return static_cast<char*>(block);
  m_pNext = static_cast<char*>(block) + size;
  m_nLeft = blockSize - size;
  return static_cast<char*>(block);
}

void CSMRecordPool::Clear() {
  for (auto& [start, size] : m_blocks) munmap(start, size);
  m_blocks.clear();
  m_nHeld = 0;
  m_pNext = nullptr;
  m_nLeft = 0;
  m_mappings.clear();
}

const CMappedFile* CSMRecordPool::MapFile(FILE* file) {
  struct stat st;
  if (!m_bMapFiles || !file || fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0) return nullptr;
  const uint64_t device = st.st_dev, inode = st.st_ino, size = static_cast<uint64_t>(st.st_size);
  // A file replaced or grown since its mapping is mapped anew; the old mapping stays, as records
  // may use it.
  for (const MappedMetafile& m : m_mappings)
    if (m.device == device && m.inode == inode && m.size == size) return m.mapping.get();
  auto mapping = std::make_unique<CMappedFile>();
  if (!mapping->Map(fileno(file), size)) return nullptr;
  m_mappings.push_back({device, inode, size, std::move(mapping)});
  return m_mappings.back().mapping.get();
}
