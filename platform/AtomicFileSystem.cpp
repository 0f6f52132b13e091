#include "platform/AtomicFileSystem.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

extern "C" void RemovePendingTemp(int sig) {
  if (const char* name = atomic_file::PendingTemp()) unlink(name);
  signal(sig, SIG_DFL);
  raise(sig);
}

// mkstemp makes 0600 files; an extracted file gets what any new file would.
mode_t CreationMode() {
  static const mode_t mode = [] {
    const mode_t mask = umask(0);
    umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

}  // namespace

const char atomic_file::kSeparators[] = "/";

FILE* atomic_file::CreateUnique(std::string& pattern) {
  const int fd = mkstemp(pattern.data());
  if (fd < 0) return nullptr;
  fchmod(fd, CreationMode());
  FILE* f = fdopen(fd, "wb");
  if (!f) {
    const int e = errno;
    close(fd);
    unlink(pattern.c_str());
    errno = e;
  }
  return f;
}

void atomic_file::Remove(const char* name) { unlink(name); }

bool atomic_file::Replace(const char* from, const char* to) { return rename(from, to) == 0; }

// SIGINT and SIGTERM, where nobody else handles them.
void atomic_file::InstallStopHandler() {
  static const bool installed = [] {
    for (int sig : {SIGINT, SIGTERM}) {
      struct sigaction old{};
      if (sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) signal(sig, RemovePendingTemp);
    }
    return true;
  }();
  (void)installed;
}
