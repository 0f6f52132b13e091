#include "platform/MappedFile.h"

#include <io.h>

#include "platform/WinTypes.h"

// Windows refuses to shorten a file while a view of it is mapped (ERROR_USER_MAPPED_FILE), so a
// mapping never reads past its file's end and no pages are ever zeroed here.
bool CMappedFile::Map(int fd, uint64_t size) {
  Unmap();
  if (fd < 0 || size == 0 || size > SIZE_MAX) return false;
  HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  if (file == INVALID_HANDLE_VALUE) return false;
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, static_cast<DWORD>(size >> 32),
                                      static_cast<DWORD>(size), nullptr);
  if (!mapping) return false;
  void* data = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, static_cast<SIZE_T>(size));
  CloseHandle(mapping);  // the view keeps the mapping alive
  if (!data) return false;
  m_pData = static_cast<const char*>(data);
  m_nSize = size;
  return true;
}

void CMappedFile::Unmap() {
  if (!m_pData) return;
  UnmapViewOfFile(m_pData);
  m_pData = nullptr;
  m_nSize = 0;
}

uint64_t CMappedFile::GetZeroedPages() { return 0; }
