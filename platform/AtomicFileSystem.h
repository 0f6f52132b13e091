// What writing a file whole needs from the system; AtomicFile.cpp builds on it.
#pragma once

#include <cstdio>
#include <string>

namespace atomic_file {

// The characters that end a folder in a path.
extern const char kSeparators[];
// Opens `pattern` ("...XXXXXX", the X's replaced) as a new file for writing, with the mode a
// new file gets; a stream, or null with errno set and nothing left behind.
FILE* CreateUnique(std::string& pattern);
void Remove(const char* name);
// Renames `from` over `to`, replacing a file there; errno set on failure.
bool Replace(const char* from, const char* to);
// Arranges, once, that PendingTemp() is removed when the user stops the process.
void InstallStopHandler();

// The temporary file open now, for the stop handler; null when none.
const char* PendingTemp();

}  // namespace atomic_file
