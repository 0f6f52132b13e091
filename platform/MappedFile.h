// A read-only mapping of a whole regular file. The bytes of a mapped file that is cut short
// while mapped read as zeros instead of ending the process with SIGBUS.
#pragma once

#include <cstddef>
#include <cstdint>

class CMappedFile {
 public:
  CMappedFile() = default;
  CMappedFile(const CMappedFile&) = delete;
  CMappedFile& operator=(const CMappedFile&) = delete;
  ~CMappedFile() { Unmap(); }

  // Maps the first `size` bytes of the file open on `fd`; false, with nothing mapped, when the
  // system refuses (a file system without mappings, no address space left) or `size` is 0.
  bool Map(int fd, uint64_t size);
  void Unmap();

  const char* GetData() const { return m_pData; }
  uint64_t GetSize() const { return m_nSize; }

  // Pages of guarded mappings that read past their file's end and were given zeros instead.
  static uint64_t GetZeroedPages();

 private:
  const char* m_pData = nullptr;
  uint64_t m_nSize = 0;
  int m_nSlot = -1;  // its place among the guarded ranges
};
