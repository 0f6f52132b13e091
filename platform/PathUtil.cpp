#include "platform/PathUtil.h"

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>

namespace {

void CopyPart(char* out, size_t cap, const char* begin, const char* end) {
  if (!out) return;
  size_t n = static_cast<size_t>(end - begin);
  if (n > cap - 1) n = cap - 1;
  memcpy(out, begin, n);
  out[n] = 0;
}

struct PathParts {
  const char *begin, *dir, *file, *end;
};

PathParts SplitParts(const char* path) {
  PathParts parts;
  parts.begin = path ? path : "";
  parts.end = parts.begin + strlen(parts.begin);
  parts.dir = parts.begin;
  if (parts.end - parts.begin >= 2 && parts.begin[1] == ':') parts.dir = parts.begin + 2;
  const char* lastSep = nullptr;
  for (const char* q = parts.dir; q < parts.end; ++q)
    if (IsPathSeparator(*q)) lastSep = q;
  parts.file = lastSep ? lastSep + 1 : parts.dir;
  return parts;
}

}  // namespace

void _splitpath_s(const char* path, char* drive, size_t driveSize, char* dir, size_t dirSize) {
  PathParts parts = SplitParts(path);
  CopyPart(drive, driveSize, parts.begin, parts.dir);
  CopyPart(dir, dirSize, parts.dir, parts.file);
}

#ifndef _WIN32
void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  PathParts parts = SplitParts(path);
  CopyPart(drive, _MAX_DRIVE, parts.begin, parts.dir);
  CopyPart(dir, _MAX_DIR, parts.dir, parts.file);
  const char* file = parts.file;
  const char* end = parts.end;

  const char* dot = nullptr;
  for (const char* q = file; q < end; ++q)
    if (*q == '.') dot = q;
  if (!dot) dot = end;
  CopyPart(fname, _MAX_FNAME, file, dot);
  CopyPart(ext, _MAX_EXT, dot, end);
}

int _stricmp(const char* a, const char* b) {
  for (;; ++a, ++b) {
    int ca = tolower(static_cast<unsigned char>(*a));
    int cb = tolower(static_cast<unsigned char>(*b));
    if (ca != cb || ca == 0) return ca - cb;
  }
}
#endif  // _WIN32

bool IsAbsolutePath(const std::string& path) {
  if (!path.empty() && IsPathSeparator(path[0])) return true;
#ifdef _WIN32
  return path.size() >= 3 && isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':' && IsPathSeparator(path[2]);
#else
  return false;
#endif
}

std::string AbsolutePath(const std::string& path) {
  if (path.size() >= 2 && IsPathSeparator(path[0]) && IsPathSeparator(path[1])) return path;
  std::error_code ec;
  std::string absolute = std::filesystem::absolute(path, ec).string();
  return ec ? path : absolute;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  for (size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

std::string FindFileIgnoringCase(const std::string& dir, const std::string& name) {
  std::string base = dir;
  if (base.empty()) base = ".";
  std::string exact = base + (IsPathSeparator(base.back()) ? "" : std::string(1, kPathSeparator)) + name;
  struct stat st;
  if (stat(exact.c_str(), &st) == 0) return exact;
  DIR* d = opendir(base.c_str());
  if (!d) return std::string();
  std::string found;
  while (dirent* e = readdir(d)) {
    if (_stricmp(e->d_name, name.c_str()) == 0) {
      found = base + (IsPathSeparator(base.back()) ? "" : std::string(1, kPathSeparator)) + e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}
