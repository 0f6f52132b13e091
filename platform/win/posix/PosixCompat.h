// POSIX and glibc calls the code above uses that the Windows C runtime lacks, under their
// POSIX names; included ahead of every source of the Windows build.
#pragma once

#ifdef __cplusplus
#include <cstddef>
#include <cstdio>

// The stream's lock is not taken.
#define getc_unlocked _getc_nolock
inline size_t fread_unlocked(void* p, size_t size, size_t n, FILE* f) { return fread(p, size, n, f); }

// The first occurrence of `needle` in `haystack`, or null.
void* memmem(const void* haystack, size_t haystackLen, const void* needle, size_t needleLen);
// A read-only stream over `size` bytes: a copy in a temporary file that goes when it closes.
// Only "r" and "rb" are served; other modes fail (errno EINVAL).
FILE* fmemopen(void* buffer, size_t size, const char* mode);
// Creates a new folder from a template ending in "XXXXXX"; the template on success, else null.
char* mkdtemp(char* templ);
// The mode is left to the folder's inherited access rights.
int mkdir(const char* path, int mode);
// The variable of this process and of the programs it starts, as the C runtime and the system
// see it. The Windows environment holds no empty values: an empty `value` removes the variable.
int setenv(const char* name, const char* value, int overwrite);
int unsetenv(const char* name);
#endif
