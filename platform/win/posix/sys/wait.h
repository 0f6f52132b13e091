// Waiting for a spawned process; see spawn.h: none is ever spawned on Windows.
#pragma once

#include <sys/types.h>

#define WIFEXITED(status) (((status) & 0x7f) == 0)
#define WEXITSTATUS(status) (((status) >> 8) & 0xff)

inline pid_t waitpid(pid_t, int*, int) { return -1; }
