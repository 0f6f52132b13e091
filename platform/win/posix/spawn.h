// Process spawning for the tools that run a helper program: on Windows there is none to run,
// so spawning fails and the caller takes its fallback.
#pragma once

#include <cerrno>
#include <sys/types.h>

typedef struct {
  int unused;
} posix_spawn_file_actions_t;
typedef struct {
  int unused;
} posix_spawnattr_t;

inline int posix_spawn_file_actions_init(posix_spawn_file_actions_t*) { return 0; }
inline int posix_spawn_file_actions_destroy(posix_spawn_file_actions_t*) { return 0; }
inline int posix_spawn_file_actions_addopen(posix_spawn_file_actions_t*, int, const char*, int, int) { return 0; }
inline int posix_spawnp(pid_t*, const char*, const posix_spawn_file_actions_t*, const posix_spawnattr_t*,
                        char* const[], char* const[]) {
  return ENOSYS;
}
