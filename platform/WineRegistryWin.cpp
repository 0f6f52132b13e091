#include "platform/WineRegistry.h"

// On Windows the game's key is in the system's own registry (RegistryWin.cpp): there are no Wine
// prefixes to search, and a Windows path names its folder as it is.
std::vector<std::string> WinePrefixes() { return {}; }

std::vector<std::string> ParseSteamLibraryFolders(const std::string& vdfText) { return {}; }

bool ReadWineRegistryKey(const std::string& regFile, const std::string& keyPath, RegValueMap& values) {
  return false;
}

std::string MapWindowsPath(const std::string& prefix, const std::string& windowsPath) { return windowsPath; }
