// Figures of the running process, for the benchmarks: its age and its memory.
#pragma once

// Milliseconds since this process started.
double SinceProcessStart();
// A field of /proc/self/status in KiB (VmHWM:, RssAnon:, ...); -1 when absent (always on Windows).
long StatusKb(const char* key);
// One line each on standard output: the memory in use at the first paint, and at its peak.
void PrintMemoryAtFirstPaint();
void PrintPeakMemory();
