// The clock the start-up benchmarks read: milliseconds since this process started, and the
// wall clock in milliseconds since 1970 (for a start measured from the shell that launched it:
// under Wine the process starts only once Wine has).
#pragma once

#include <chrono>

#include "platform/ProcessStats.h"

inline double WallClockMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::system_clock::now().time_since_epoch()).count();
}
