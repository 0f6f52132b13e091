#include <sys/mman.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include "platform/WinTypes.h"

void* mmap(void* addr, size_t length, int prot, int flags, int fd, long offset) {
  if (addr || fd != -1 || offset != 0 || !(flags & MAP_ANONYMOUS) || length == 0) return MAP_FAILED;
  void* data = VirtualAlloc(nullptr, length, MEM_RESERVE | MEM_COMMIT, (prot & PROT_WRITE) ? PAGE_READWRITE : PAGE_READONLY);
  return data ? data : MAP_FAILED;
}

int munmap(void* addr, size_t length) { return VirtualFree(addr, 0, MEM_RELEASE) ? 0 : -1; }

void* memmem(const void* haystack, size_t haystackLen, const void* needle, size_t needleLen) {
  if (needleLen == 0) return const_cast<void*>(haystack);
  if (haystackLen < needleLen) return nullptr;
  const char* h = static_cast<const char*>(haystack);
  const char* n = static_cast<const char*>(needle);
  for (const char* p = h; p <= h + (haystackLen - needleLen); ++p) {
    p = static_cast<const char*>(memchr(p, n[0], static_cast<size_t>(h + haystackLen - needleLen - p) + 1));
    if (!p) return nullptr;
    if (memcmp(p, n, needleLen) == 0) return const_cast<char*>(p);
  }
  return nullptr;
}

FILE* fmemopen(void* buffer, size_t size, const char* mode) {
  if (!mode || mode[0] != 'r' || strchr(mode, '+') || strchr(mode, 'w') || strchr(mode, 'a')) {
    errno = EINVAL;
    return nullptr;
  }
  char dir[MAX_PATH + 1], path[MAX_PATH + 1];
  if (!GetTempPathA(sizeof dir, dir) || !GetTempFileNameA(dir, "vnt", 0, path)) {
    errno = EIO;
    return nullptr;
  }
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    DeleteFileA(path);
    errno = EIO;
    return nullptr;
  }
  const char* bytes = static_cast<const char*>(buffer);
  for (size_t done = 0; done < size;) {
    DWORD n = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size - done, 1u << 30));
    if (!WriteFile(file, bytes + done, chunk, &n, nullptr) || n == 0) {
      CloseHandle(file);
      errno = EIO;
      return nullptr;
    }
    done += n;
  }
  SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), _O_RDONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(file);
    return nullptr;
  }
  FILE* stream = _fdopen(fd, "rb");
  if (!stream) _close(fd);
  return stream;
}

char* mkdtemp(char* templ) {
  const size_t len = templ ? strlen(templ) : 0;
  if (len < 6 || strcmp(templ + len - 6, "XXXXXX") != 0) {
    errno = EINVAL;
    return nullptr;
  }
  static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16) ^ static_cast<unsigned>(reinterpret_cast<uintptr_t>(templ));
  for (int attempt = 0; attempt < 100; ++attempt) {
    for (size_t i = len - 6; i < len; ++i) {
      seed = seed * 1103515245u + 12345u;
      templ[i] = letters[(seed >> 16) % (sizeof letters - 1)];
    }
    if (CreateDirectoryA(templ, nullptr)) return templ;
    if (GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  errno = EEXIST;
  return nullptr;
}

int mkdir(const char* path, int mode) { return _mkdir(path); }

int setenv(const char* name, const char* value, int overwrite) {
  if (!name || !*name || strchr(name, '=') || !value) {
    errno = EINVAL;
    return -1;
  }
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

int unsetenv(const char* name) {
  if (!name || !*name || strchr(name, '=')) {
    errno = EINVAL;
    return -1;
  }
  return _putenv_s(name, "") == 0 ? 0 : -1;
}
