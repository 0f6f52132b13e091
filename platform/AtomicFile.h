// Files that appear whole or not at all: written under a temporary name in the folder of
// their final name, flushed to the disk and renamed over the final name, which replaces a
// file already there (MoveFileEx with MOVEFILE_REPLACE_EXISTING on Windows).
#pragma once

#include <cstdio>
#include <string>

// Creates the temporary file for `finalName` ("wb"); null (errno set) when it cannot. While
// it is open it is removed if the process ends by SIGINT or SIGTERM (one at a time).
FILE* CreateTempFileFor(const std::string& finalName, std::string& tempName);
// Flushes the C library's buffer, closes the temporary file and renames it to `finalName`
// (the file system keeps the data ahead of a rename that replaces a file). On failure the
// temporary file is removed, `finalName` is untouched, and errno says why.
bool CommitTempFile(FILE* pFile, const std::string& tempName, const std::string& finalName);
// Closes and removes the temporary file, keeping errno.
void DiscardTempFile(FILE* pFile, const std::string& tempName);
