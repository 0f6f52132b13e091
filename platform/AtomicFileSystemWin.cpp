#include "platform/AtomicFileSystem.h"

#include <cerrno>
#include <cstdlib>
#include <io.h>
#include <unistd.h>

#include "platform/WinTypes.h"

namespace {

// Ctrl+C, Ctrl+Break and the console closing: the temporary file goes, then the default ends
// the process.
BOOL WINAPI RemovePendingTemp(DWORD) {
  if (const char* name = atomic_file::PendingTemp()) DeleteFileA(name);
  return FALSE;
}

int ErrnoOf(DWORD error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION: return EACCES;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    default: return EIO;
  }
}

}  // namespace

const char atomic_file::kSeparators[] = "/\\";

FILE* atomic_file::CreateUnique(std::string& pattern) {
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return nullptr;
  FILE* f = _fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    _close(fd);
    DeleteFileA(pattern.c_str());
    errno = e;
  }
  return f;
}

void atomic_file::Remove(const char* name) { DeleteFileA(name); }

// rename() refuses an existing target on Windows; MoveFileEx replaces it.
bool atomic_file::Replace(const char* from, const char* to) {
  if (MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
  errno = ErrnoOf(GetLastError());
  return false;
}

void atomic_file::InstallStopHandler() {
  static const bool installed = SetConsoleCtrlHandler(RemovePendingTemp, TRUE);
  (void)installed;
}
