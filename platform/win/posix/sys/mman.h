// Anonymous private mappings over VirtualAlloc, for the code that allocates whole pages.
#pragma once

#include <cstddef>

#define PROT_READ 0x1
#define PROT_WRITE 0x2
#define MAP_PRIVATE 0x02
#define MAP_ANONYMOUS 0x20
#define MAP_FAILED ((void*)-1)
#define MADV_HUGEPAGE 14

// Only anonymous private read-write mappings (fd -1); anything else fails.
void* mmap(void* addr, size_t length, int prot, int flags, int fd, long offset);
int munmap(void* addr, size_t length);
// Advice is ignored.
inline int madvise(void*, size_t, int) { return 0; }
