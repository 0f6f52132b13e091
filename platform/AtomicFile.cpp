#include "platform/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include "platform/AtomicFileSystem.h"

namespace {

// The open temporary file, for the stop handler.
char g_szPendingTemp[4096];
volatile sig_atomic_t g_bPending = 0;

void SetPending(const std::string& name) {
  atomic_file::InstallStopHandler();
  g_bPending = 0;
  if (name.size() >= sizeof g_szPendingTemp) return;
  memcpy(g_szPendingTemp, name.c_str(), name.size() + 1);
  g_bPending = 1;
}

// Removes the temporary file and forgets it, keeping errno.
void DropTemp(const std::string& tempName) {
  const int e = errno;
  atomic_file::Remove(tempName.c_str());
  g_bPending = 0;
  errno = e;
}

}  // namespace

const char* atomic_file::PendingTemp() { return g_bPending ? g_szPendingTemp : nullptr; }

FILE* CreateTempFileFor(const std::string& finalName, std::string& tempName) {
  const size_t slash = finalName.find_last_of(atomic_file::kSeparators);
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  tempName = finalName.substr(0, base) + "." + finalName.substr(base) + ".XXXXXX";
  FILE* f = atomic_file::CreateUnique(tempName);
  if (f) SetPending(tempName);
  return f;
}

bool CommitTempFile(FILE* pFile, const std::string& tempName, const std::string& finalName) {
  if (fflush(pFile) != 0) {
    DiscardTempFile(pFile, tempName);
    return false;
  }
  if (fclose(pFile) != 0 || !atomic_file::Replace(tempName.c_str(), finalName.c_str())) {
    DropTemp(tempName);
    return false;
  }
  g_bPending = 0;
  return true;
}

void DiscardTempFile(FILE* pFile, const std::string& tempName) {
  const int e = errno;
  if (pFile) fclose(pFile);
  errno = e;
  DropTemp(tempName);
}
