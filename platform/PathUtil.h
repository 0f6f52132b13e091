// Runtime path and text helpers with the Windows runtime's names and rules.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#define _MAX_DRIVE 3
#define _MAX_DIR 256
#define _MAX_FNAME 256
#define _MAX_EXT 256

#ifndef _WIN32  // the C runtime's own on Windows
// Splits a path into drive ("C:"), directory (up to and including the last separator),
// file name and extension (from the last dot of the file part). Both '/' and '\' separate.
// Any output may be null; each is cut to its _MAX_ size including the terminator.
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext);
#endif
// The drive and directory of a path into buffers of the given sizes (cut to fit).
void _splitpath_s(const char* path, char* drive, size_t driveSize, char* dir, size_t dirSize);

#ifndef _WIN32
// Case-insensitive comparison of ASCII letters, as the runtime's _stricmp in the C locale.
int _stricmp(const char* a, const char* b);
#endif
// The same comparison for texts of known length, ASCII letters only (equal when _stricmp in the C
// locale would give 0).
bool EqualsIgnoringCase(std::string_view a, std::string_view b);

inline bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif
// An absolute path: "/..." on both systems; on Windows also "C:\...", "C:/..." and "\\server\...".
bool IsAbsolutePath(const std::string& path);
// `path` made absolute against the current folder. A network name ("\\server\share\...") is
// returned as it is: MinGW's std::filesystem takes it for a folder on the current drive.
std::string AbsolutePath(const std::string& path);

// Finds the entry of `dir` whose name equals `name` ignoring case; the exact name wins.
// Returns the full path of the entry, or an empty string when there is none.
std::string FindFileIgnoringCase(const std::string& dir, const std::string& name);
