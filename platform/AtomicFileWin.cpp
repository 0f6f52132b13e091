#include "platform/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <io.h>
#include <unistd.h>

#include "platform/WinTypes.h"

namespace {

// The open temporary file, for the console handler; empty when none.
char g_szPendingTemp[4096];
volatile LONG g_bPending = 0;

// Ctrl+C, Ctrl+Break and the console closing: the temporary file goes, then the default ends
// the process.
BOOL WINAPI RemovePendingTemp(DWORD type) {
  if (g_bPending) DeleteFileA(g_szPendingTemp);
  return FALSE;
}

void SetPending(const std::string& name) {
  static const bool installed = SetConsoleCtrlHandler(RemovePendingTemp, TRUE);
  (void)installed;
  g_bPending = 0;
  if (name.size() >= sizeof g_szPendingTemp) return;
  memcpy(g_szPendingTemp, name.c_str(), name.size() + 1);
  g_bPending = 1;
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

FILE* CreateTempFileFor(const std::string& finalName, std::string& tempName) {
  const size_t slash = finalName.find_last_of("/\\");
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  tempName = finalName.substr(0, base) + "." + finalName.substr(base) + ".XXXXXX";
  const int fd = mkstemp(tempName.data());
  if (fd < 0) return nullptr;
  SetPending(tempName);
  FILE* f = _fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    _close(fd);
    DeleteFileA(tempName.c_str());
    g_bPending = 0;
    errno = e;
  }
  return f;
}

bool CommitTempFile(FILE* pFile, const std::string& tempName, const std::string& finalName) {
  if (fflush(pFile) != 0) {
    DiscardTempFile(pFile, tempName);
    return false;
  }
  if (fclose(pFile) != 0) {
    const int e = errno;
    DeleteFileA(tempName.c_str());
    g_bPending = 0;
    errno = e;
    return false;
  }
  // rename() refuses an existing target on Windows; MoveFileEx replaces it.
  if (!MoveFileExA(tempName.c_str(), finalName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const int e = ErrnoOf(GetLastError());
    DeleteFileA(tempName.c_str());
    g_bPending = 0;
    errno = e;
    return false;
  }
  g_bPending = 0;
  return true;
}

void DiscardTempFile(FILE* pFile, const std::string& tempName) {
  const int e = errno;
  if (pFile) fclose(pFile);
  DeleteFileA(tempName.c_str());
  g_bPending = 0;
  errno = e;
}
