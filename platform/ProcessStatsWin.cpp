#include "platform/ProcessStats.h"

#include <cstdio>

#include "platform/WinTypes.h"
// psapi.h after windows.h
#include <psapi.h>

double SinceProcessStart() {
  FILETIME created, exited, kernel, user, now;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  GetSystemTimePreciseAsFileTime(&now);
  auto ticks = [](FILETIME t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return static_cast<double>(ticks(now) - ticks(created)) / 1e4;  // 100 ns ticks
}

long StatusKb(const char*) { return -1; }

void PrintMemoryAtFirstPaint() {
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  std::printf("at the first paint: working set %zu KiB, private %zu KiB, page faults %lu\n", c.WorkingSetSize / 1024,
              c.PagefileUsage / 1024, c.PageFaultCount);
}

void PrintPeakMemory() {
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  std::printf("peak memory: peak working set %zu KiB, private %zu KiB\n", c.PeakWorkingSetSize / 1024,
              c.PagefileUsage / 1024);
}
