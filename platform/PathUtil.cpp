#include "platform/PathUtil.h"

#include <cctype>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace {

void CopyPart(char* out, size_t cap, const char* begin, const char* end) {
  if (!out) return;
  size_t n = static_cast<size_t>(end - begin);
  if (n > cap - 1) n = cap - 1;
  memcpy(out, begin, n);
  out[n] = 0;
}

}  // namespace

void _splitpath(const char* path, char* drive, char* dir, char* fname, char* ext) {
  const char* p = path ? path : "";
  const char* end = p + strlen(p);
  const char* d = p;
  if (end - p >= 2 && p[1] == ':') d = p + 2;
  CopyPart(drive, _MAX_DRIVE, p, d);

  const char* lastSep = nullptr;
  for (const char* q = d; q < end; ++q)
    if (IsPathSeparator(*q)) lastSep = q;
  const char* file = lastSep ? lastSep + 1 : d;
  CopyPart(dir, _MAX_DIR, d, file);

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

std::string FindFileIgnoringCase(const std::string& dir, const std::string& name) {
  std::string base = dir;
  if (base.empty()) base = ".";
  std::string exact = base + (IsPathSeparator(base.back()) ? "" : "/") + name;
  struct stat st;
  if (stat(exact.c_str(), &st) == 0) return exact;
  DIR* d = opendir(base.c_str());
  if (!d) return std::string();
  std::string found;
  while (dirent* e = readdir(d)) {
    if (_stricmp(e->d_name, name.c_str()) == 0) {
      found = base + (IsPathSeparator(base.back()) ? "" : "/") + e->d_name;
      break;
    }
  }
  closedir(d);
  return found;
}
