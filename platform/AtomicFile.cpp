#include "platform/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The open temporary file, for the signal handler; empty when none.
char g_szPendingTemp[4096];
volatile sig_atomic_t g_bPending = 0;

extern "C" void RemovePendingTemp(int sig) {
  if (g_bPending) unlink(g_szPendingTemp);
  signal(sig, SIG_DFL);
  raise(sig);
}

void SetPending(const std::string& name) {
  static const bool installed = [] {
    for (int sig : {SIGINT, SIGTERM}) {
      struct sigaction old{};
      if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) signal(sig, RemovePendingTemp);
    }
    return true;
  }();
  (void)installed;
  g_bPending = 0;
  if (name.size() >= sizeof g_szPendingTemp) return;
  memcpy(g_szPendingTemp, name.c_str(), name.size() + 1);
  g_bPending = 1;
}

mode_t CreationMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

}  // namespace

FILE* CreateTempFileFor(const std::string& finalName, std::string& tempName) {
  const size_t slash = finalName.rfind('/');
  const size_t base = slash == std::string::npos ? 0 : slash + 1;
  tempName = finalName.substr(0, base) + "." + finalName.substr(base) + ".XXXXXX";
  const int fd = mkstemp(tempName.data());
  if (fd < 0) return nullptr;
  SetPending(tempName);
  fchmod(fd, CreationMode());
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    close(fd);
    unlink(tempName.c_str());
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
  if (fclose(pFile) != 0 || rename(tempName.c_str(), finalName.c_str()) != 0) {
    const int e = errno;
    unlink(tempName.c_str());
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
  unlink(tempName.c_str());
  g_bPending = 0;
  errno = e;
}
