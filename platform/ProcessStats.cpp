#include "platform/ProcessStats.h"

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

// From the process's start time in /proc against CLOCK_BOOTTIME.
double SinceProcessStart() {
  std::ifstream in("/proc/self/stat");
  std::string stat((std::istreambuf_iterator<char>(in)), {});
  std::istringstream fields(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; i <= 22; ++i) fields >> field;  // field 22: starttime in clock ticks
  const double start = std::stod(field) * 1000.0 / sysconf(_SC_CLK_TCK);
  timespec now;
  clock_gettime(CLOCK_BOOTTIME, &now);
  return now.tv_sec * 1000.0 + now.tv_nsec / 1e6 - start;
}

long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}

void PrintMemoryAtFirstPaint() {
  rusage usage;
  getrusage(RUSAGE_SELF, &usage);
  std::printf("at the first paint: RssAnon %ld KiB, RssFile %ld KiB, minor faults %ld\n", StatusKb("RssAnon:"),
              StatusKb("RssFile:"), usage.ru_minflt);
}

void PrintPeakMemory() {
  std::printf("peak memory: VmHWM %ld KiB, RssAnon %ld KiB\n", StatusKb("VmHWM:"), StatusKb("RssAnon:"));
}
