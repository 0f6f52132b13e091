// The process's memory lines for the benchmarks (/proc/self/status fields, or Windows' counters).
#pragma once

#include "platform/ProcessStats.h"
