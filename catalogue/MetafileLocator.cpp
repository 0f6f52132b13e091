#include "catalogue/MetafileLocator.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "platform/PathUtil.h"
#include "platform/Registry.h"
#include "platform/WineRegistry.h"

namespace {

const char* const kVariants[] = {"_Memory", "_HardDrive", "_DVD1", "_DVD2", "_DVD3"};

// Reads a string value: its size, then its data, as text up to the first zero byte.
bool ReadStringValue(HKEY key, const char* name, std::string& text) {
  DWORD size = 0;
  if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS || size == 0) return false;
  std::vector<BYTE> data(size);
  if (RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size) != ERROR_SUCCESS) return false;
  const char* chars = reinterpret_cast<const char*>(data.data());
  text.assign(chars, strnlen(chars, size));
  return true;
}

bool WriteStringValue(HKEY key, const char* name, const std::string& text) {
  return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.data()),
                        static_cast<DWORD>(text.size())) == ERROR_SUCCESS;
}

// Drive and directory of a chosen file, ending in its separator.
std::string DirectoryOf(const std::string& path) {
  if (path.size() >= _MAX_DIR) {  // _splitpath would cut the directory short
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }
  char drive[_MAX_DRIVE], dir[_MAX_DIR];
  _splitpath(path.c_str(), drive, dir, nullptr, nullptr);
  return std::string(drive) + dir;
}

// The setting's key: "SOFTWARE" opened for reading, then the program key with full access.
bool OpenProgramKey(HKEY& software, HKEY& program) {
  software = program = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &software) != ERROR_SUCCESS) {
    software = nullptr;
    return false;
  }
  if (RegCreateKeyExA(software, kProgramKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &program,
                      nullptr) != ERROR_SUCCESS)
    program = nullptr;
  return program != nullptr;
}

void CloseKey(HKEY key) {
  if (key) RegCloseKey(key);
}

}  // namespace

bool ProbeMetafileSet(const char* directory, std::string& result) {
  if (!directory || !*directory) return false;
  std::string d = directory;
  if (!IsPathSeparator(d.back())) d += kPathSeparator;
  for (const char* variant : kVariants) {
    std::string path = FindFileIgnoringCase(d, std::string("SchemaMetafile") + variant + ".csc");
    // Only regular files: opening a directory succeeds and a FIFO would block.
    struct stat st;
    if (path.empty() || stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return false;
    fclose(f);
  }
  result = d;
  return true;
}

bool ProbeGameRoot(const char* root, std::string& result) {
  if (!root || !*root) return false;
  std::string d = root;
  if (!IsPathSeparator(d.back())) d += kPathSeparator;
  for (const char* folder : {"Content", "Qrn", "Sounds"}) {
    std::string found = FindFileIgnoringCase(d, folder);
    d = (found.empty() ? d + folder : found) + kPathSeparator;
  }
  return ProbeMetafileSet(d.c_str(), result);
}

bool LocateMetafiles(std::string& result, IMetafileDialog* dialog, MetafileLocation* location) {
  MetafileLocation where;
  HKEY software = nullptr, program = nullptr, game = nullptr;
  OpenProgramKey(software, program);
  bool found = false;
  std::string data;

  if (program && ReadStringValue(program, kMetafilePathValue, data) && ProbeMetafileSet(data.c_str(), result)) {
    found = true;
    where.source = MetafileSource::StoredSetting;
    RegValueOrigin origin;
    if (RegQueryValueOrigin(program, kMetafilePathValue, origin) == ERROR_SUCCESS) where.origin = origin.path;
  }

  if (!found && software && RegOpenKeyExA(software, kGameKey, 0, KEY_READ, &game) == ERROR_SUCCESS &&
      ReadStringValue(game, kGameRootValue, data)) {
    // The game records a Windows path; inside a Wine prefix it names a folder of the prefix.
    std::string root = data;
    RegValueOrigin origin;
    if (RegQueryValueOrigin(game, kGameRootValue, origin) == ERROR_SUCCESS && origin.winePrefix)
      root = MapWindowsPath(origin.path, data);
    if (ProbeGameRoot(root.c_str(), result)) {
      found = true;
      where.source = MetafileSource::GameInstallation;
      where.origin = origin.path;
      where.gameRoot = data;
      if (program) where.stored = WriteStringValue(program, kMetafilePathValue, result);
    }
  }

  if (!found && dialog) {
    std::string chosen;
    while (dialog->DoModal(chosen)) {
      std::string d = DirectoryOf(chosen);
      if (ProbeMetafileSet(d.c_str(), result)) {
        found = true;
        where.source = MetafileSource::Dialog;
        if (program) where.stored = WriteStringValue(program, kMetafilePathValue, d);
        break;
      }
    }
  }

  CloseKey(game);
  CloseKey(program);
  CloseKey(software);
  if (location) *location = where;
  return found;
}

bool ProbeChosenPath(const char* path, std::string& result, std::string* directory) {
  std::string chosen = path ? path : "";
  if (!chosen.empty() && !IsAbsolutePath(chosen)) {
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) return false;
    chosen = std::string(cwd) + kPathSeparator + chosen;
  }
  struct stat st;
  if (chosen.empty() || stat(chosen.c_str(), &st) != 0) return false;
  if (S_ISDIR(st.st_mode) && !IsPathSeparator(chosen.back())) chosen += kPathSeparator;
  std::string d = DirectoryOf(chosen);
  if (!ProbeMetafileSet(d.c_str(), result)) return false;
  if (directory) *directory = d;
  return true;
}

StoreResult StoreMetafileDirectory(const char* path, std::string& result) {
  std::string d;
  if (!ProbeChosenPath(path, result, &d)) return StoreResult::NotAMetafileSet;
  HKEY software, program;
  bool stored = OpenProgramKey(software, program) && WriteStringValue(program, kMetafilePathValue, d);
  CloseKey(program);
  CloseKey(software);
  return stored ? StoreResult::Stored : StoreResult::NotWritten;
}
