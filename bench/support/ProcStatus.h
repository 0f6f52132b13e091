// A field of /proc/self/status in KiB (VmHWM:, RssAnon:, ...); -1 when absent.
#pragma once

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

inline long StatusKb(const char* key) {
  std::ifstream in("/proc/self/status");
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(key, 0) == 0) return std::atol(line.c_str() + std::strlen(key));
  return -1;
}
