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

#ifdef _WIN32
// On Windows the calls go to advapi32 through keys of our own, which add two views a user would
// otherwise miss:
// - reading also looks in the 32-bit view (KEY_WOW64_32KEY, "WOW6432Node"), where the 32-bit
//   game keeps its key on 64-bit Windows, and below HKEY_CURRENT_USER;
// - a write that HKEY_LOCAL_MACHINE refuses (a user without administrator rights) goes to the
//   same key below HKEY_CURRENT_USER ("Software\Quarn Vantor"), which is read first.
#define RegOpenKeyExA VantorRegOpenKeyExA
#define RegCreateKeyExA VantorRegCreateKeyExA
#define RegQueryValueExA VantorRegQueryValueExA
#define RegSetValueExA VantorRegSetValueExA
#define RegCloseKey VantorRegCloseKey
#endif

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
                            // (on Windows: the registry key, "HKEY_CURRENT_USER\Software\...")
  std::string path;
};
LONG RegQueryValueOrigin(HKEY hKey, LPCSTR lpValueName, RegValueOrigin& origin);

#ifdef _WIN32
// Not a Win32 call: makes every write below HKEY_LOCAL_MACHINE fail with ERROR_ACCESS_DENIED, as
// it does for a user without administrator rights; for tests.
void RegDenyMachineWrites(bool deny);
#endif
