// The registry calls of advapi32 over this system's stores, below HKEY_LOCAL_MACHINE:
// - "SOFTWARE\Quarn Vantor" and its sub-keys: the program's own settings file (SettingsStore.h),
//   read and written. A created key reaches the file with its first value.
// - any other key below "SOFTWARE": read-only, from the system.reg of the Wine and Proton
//   prefixes (WineRegistry.h); a value comes from the first prefix that has it.
// "SOFTWARE" opens only when the user has a configuration directory ($XDG_CONFIG_HOME or
// $HOME/.config). Names compare ignoring case. Results are Win32 error codes.
#pragma once

#include <string>

#include "platform/RegistryTypes.h"

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition);
// With lpData null, only the size (and type) is returned; ERROR_MORE_DATA with the needed
// size in *lpcbData when the buffer is too small.
LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData);
LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData);
LONG RegCloseKey(HKEY hKey);

// Not a Win32 call: where a value of an open key is kept, for telling the user.
struct RegValueOrigin {
  bool winePrefix = false;  // true: `path` is the Wine prefix; false: `path` is the settings file
  std::string path;
};
LONG RegQueryValueOrigin(HKEY hKey, LPCSTR lpValueName, RegValueOrigin& origin);
