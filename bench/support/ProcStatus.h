// A field of /proc/self/status in KiB (VmHWM:, RssAnon:, ...); -1 when absent. Memory lines for
// the benchmarks that also run on Windows, from the process's memory counters there.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <psapi.h>

inline void PrintMemoryAtFirstPaint() {
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  std::printf("at the first paint: working set %zu KiB, private %zu KiB, page faults %lu\n", c.WorkingSetSize / 1024,
              c.PagefileUsage / 1024, c.PageFaultCount);
}

inline void PrintPeakMemory() {
  PROCESS_MEMORY_COUNTERS c{};
  GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
  std::printf("peak memory: peak working set %zu KiB, private %zu KiB\n", c.PeakWorkingSetSize / 1024,
              c.PagefileUsage / 1024);
}
#else
#include <sys/resource.h>

inline long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

inline void PrintMemoryAtFirstPaint() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("at the first paint: RssAnon %ld KiB, RssFile %ld KiB, minor faults %ld\n", StatusKb("RssAnon:"),
              StatusKb("RssFile:"), usage.ru_minflt);
}

inline void PrintPeakMemory() {
  std::printf("peak memory: VmHWM %ld KiB, RssAnon %ld KiB\n", StatusKb("VmHWM:"), StatusKb("RssAnon:"));
}
#endif
