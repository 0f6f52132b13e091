// Read-only access to the machine registry of Wine and Proton prefixes (their system.reg),
// where the game records its installation when it is played on this system.
#pragma once

#include <string>
#include <vector>

#include "platform/RegistryTypes.h"

// Prefixes that hold a system.reg, in search order and each once: $WINEPREFIX, ~/.wine, then
// steamapps/compatdata/<app>/pfx of every Steam library, the libraries being the Steam roots
// (~/.steam/steam, ~/.local/share/Steam, the Flatpak one) and the folders their
// libraryfolders.vdf lists. The environment is read at every call.
std::vector<std::string> WinePrefixes();

// The library folders listed in the text of a Steam libraryfolders.vdf, in file order.
std::vector<std::string> ParseSteamLibraryFolders(const std::string& vdfText);

// Reads the values of the key `keyPath` (below HKEY_LOCAL_MACHINE, '\' between names, case
// ignored) from a system.reg file. A 64-bit prefix keeps 32-bit programs' keys below
// Software\Wow6432Node; that view is used when the key itself is not there. String data comes
// as UTF-8 with a terminating zero. False when the file has neither the key nor a key below it.
bool ReadWineRegistryKey(const std::string& regFile, const std::string& keyPath, RegValueMap& values);

// The host path of a Windows path inside a prefix: the drive through the prefix's dosdevices
// links ("c:" -> ../drive_c), '\' to '/', each name that exists matched ignoring case, a
// trailing separator kept. Empty for a path without a drive letter or an unknown drive.
std::string MapWindowsPath(const std::string& prefix, const std::string& windowsPath);
