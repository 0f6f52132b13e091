#include "platform/MappedFile.h"

#include <atomic>
#include <csignal>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace {

// The address ranges of the mappings, read by the signal handler without locks: a slot is free
// when its start is 0.
constexpr int kSlots = 1024;
struct GuardedRange {
  std::atomic<uintptr_t> start{0};
  std::atomic<uintptr_t> end{0};
};
GuardedRange g_ranges[kSlots];
std::atomic<uint64_t> g_zeroedPages{0};
struct sigaction g_previous;
std::once_flag g_installed;
uintptr_t g_pageSize = 4096;  // learnt when the handler is installed: the handler calls nothing but mmap

bool IsGuarded(uintptr_t address) {
  for (const GuardedRange& r : g_ranges) {
    const uintptr_t start = r.start.load(std::memory_order_acquire);
    if (start != 0 && address >= start && address < r.end.load(std::memory_order_acquire)) return true;
  }
  return false;
}

// A read past the end of a mapped file (it was cut short while mapped) or a page the disk could
// not deliver: the page becomes a page of zeros and the read goes on.
void OnBusError(int signal, siginfo_t* info, void* context) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(info->si_addr);
  if (IsGuarded(address)) {
    const uintptr_t page = address & ~(g_pageSize - 1);
    void* zeros = mmap(reinterpret_cast<void*>(page), static_cast<size_t>(g_pageSize), PROT_READ,
                       MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0);
    if (zeros != MAP_FAILED) {
      g_zeroedPages.fetch_add(1, std::memory_order_relaxed);
      return;
    }
  }
  // Not ours: whoever handled the signal before, or the default, which ends the process when
  // the faulting instruction runs again.
  if (g_previous.sa_flags & SA_SIGINFO) {
    g_previous.sa_sigaction(signal, info, context);
  } else if (g_previous.sa_handler != SIG_DFL && g_previous.sa_handler != SIG_IGN) {
    g_previous.sa_handler(signal);
  } else {
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigaction(SIGBUS, &fallback, nullptr);
  }
}

void InstallHandler() {
  g_pageSize = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
  struct sigaction action = {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &g_previous);
}

int Guard(uintptr_t start, uintptr_t end) {
  for (int i = 0; i < kSlots; ++i) {
    // Taken with a start that matches no address, then filled in.
    uintptr_t expected = 0;
    if (g_ranges[i].start.compare_exchange_strong(expected, UINTPTR_MAX, std::memory_order_acq_rel)) {
      g_ranges[i].end.store(end, std::memory_order_release);
      g_ranges[i].start.store(start, std::memory_order_release);
      return i;
    }
  }
  return -1;
}

}  // namespace

bool CMappedFile::Map(int fd, uint64_t size) {
  Unmap();
  if (fd < 0 || size == 0 || size > SIZE_MAX) return false;
  std::call_once(g_installed, InstallHandler);
  void* data = mmap(nullptr, static_cast<size_t>(size), PROT_READ, MAP_PRIVATE, fd, 0);
  if (data == MAP_FAILED) return false;
  const uintptr_t start = reinterpret_cast<uintptr_t>(data);
  m_nSlot = Guard(start, start + static_cast<uintptr_t>(size));
  if (m_nSlot < 0) {  // every slot taken: an unguarded mapping could end the process
    munmap(data, static_cast<size_t>(size));
    return false;
  }
  m_pData = static_cast<const char*>(data);
  m_nSize = size;
  return true;
}

void CMappedFile::Unmap() {
  if (!m_pData) return;
  g_ranges[m_nSlot].start.store(0, std::memory_order_release);
  munmap(const_cast<char*>(m_pData), static_cast<size_t>(m_nSize));
  m_pData = nullptr;
  m_nSize = 0;
  m_nSlot = -1;
}

uint64_t CMappedFile::GetZeroedPages() { return g_zeroedPages.load(std::memory_order_relaxed); }
