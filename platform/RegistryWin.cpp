#include "platform/Registry.h"

#include <memory>
#include <mutex>
#include <set>
#include <vector>

#undef RegOpenKeyExA
#undef RegCreateKeyExA
#undef RegQueryValueExA
#undef RegSetValueExA
#undef RegCloseKey

namespace {

// One of our keys: the same path opened in each place it is read from, in reading order.
struct VantorKey {
  std::string path;  // below the root, '\' between names
  REGSAM access = 0;
  HKEY user = nullptr;       // HKEY_CURRENT_USER
  HKEY machine = nullptr;    // HKEY_LOCAL_MACHINE, the program's own view
  HKEY machine32 = nullptr;  // HKEY_LOCAL_MACHINE, the 32-bit view (read-only)
};

std::mutex g_lock;
std::set<VantorKey*> g_keys;
bool g_denyMachineWrites = false;

VantorKey* Find(HKEY hKey) {
  std::lock_guard<std::mutex> lock(g_lock);
  auto it = g_keys.find(reinterpret_cast<VantorKey*>(hKey));
  return it == g_keys.end() ? nullptr : *it;
}

bool MachineWritesDenied() {
  std::lock_guard<std::mutex> lock(g_lock);
  return g_denyMachineWrites;
}

void CloseAll(VantorKey* key) {
  for (HKEY h : {key->user, key->machine, key->machine32})
    if (h) RegCloseKey(h);
}

// Where regedit shows a key of the 32-bit view.
std::string Wow6432Path(const std::string& path) {
  const size_t first = path.find('\\');
  if (_stricmp(path.substr(0, first).c_str(), "SOFTWARE") != 0) return path;
  return first == std::string::npos ? path + "\\WOW6432Node" : path.substr(0, first) + "\\WOW6432Node" + path.substr(first);
}

const REGSAM kWriteAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY;

LONG OpenKey(HKEY parent, LPCSTR subKey, REGSAM access, bool create, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  std::string path;
  if (parent != HKEY_LOCAL_MACHINE) {
    VantorKey* base = Find(parent);
    if (!base) return ERROR_INVALID_HANDLE;
    path = base->path;
  }
  if (subKey && *subKey) path += (path.empty() ? "" : "\\") + std::string(subKey);

  auto key = std::make_unique<VantorKey>();
  key->path = path;
  key->access = access & ~(KEY_WOW64_32KEY | KEY_WOW64_64KEY);
  const REGSAM readAccess = key->access & ~kWriteAccess;
  LONG rc = ERROR_FILE_NOT_FOUND;
  DWORD made = REG_OPENED_EXISTING_KEY;
  if (create && !MachineWritesDenied()) {
    rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, key->access, nullptr,
                         &key->machine, &made);
  } else if (!create) {
    rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, key->access, &key->machine);
  } else {
    rc = ERROR_ACCESS_DENIED;
  }
  // A key the user may read but not write is still read.
  if (rc == ERROR_ACCESS_DENIED &&
      RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, readAccess, &key->machine) != ERROR_SUCCESS)
    key->machine = nullptr;
  else if (rc != ERROR_SUCCESS && rc != ERROR_ACCESS_DENIED)
    key->machine = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, readAccess | KEY_WOW64_32KEY, &key->machine32) !=
      ERROR_SUCCESS)
    key->machine32 = nullptr;
  // The current user's key: read when it is there; made when the machine refuses the write.
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, key->access, &key->user) != ERROR_SUCCESS) key->user = nullptr;
  if (create && rc == ERROR_ACCESS_DENIED && !key->user) {
    DWORD userMade = 0;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, key->access, nullptr,
                        &key->user, &userMade) != ERROR_SUCCESS)
      key->user = nullptr;
    else
      made = userMade;
  }
  if (!key->user && !key->machine && !key->machine32) {
    CloseAll(key.get());
    return rc == ERROR_SUCCESS ? ERROR_FILE_NOT_FOUND : rc;
  }
  if (create && !key->user && !key->machine) {
    CloseAll(key.get());
    return ERROR_ACCESS_DENIED;
  }
  if (disposition) *disposition = made;
  std::lock_guard<std::mutex> lock(g_lock);
  g_keys.insert(key.get());
  *result = reinterpret_cast<HKEY>(key.release());
  return ERROR_SUCCESS;
}

// The first place that holds the value, with its name for the user.
LONG FindValue(const VantorKey* key, LPCSTR name, HKEY& where, std::string& origin) {
  const struct {
    HKEY h;
    const char* root;
  } places[] = {{key->user, "HKEY_CURRENT_USER\\"},
                {key->machine, "HKEY_LOCAL_MACHINE\\"},
                {key->machine32, nullptr}};
  for (const auto& p : places) {
    DWORD size = 0;
    if (!p.h || RegQueryValueExA(p.h, name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS) continue;
    where = p.h;
    origin = p.root ? p.root + key->path : "HKEY_LOCAL_MACHINE\\" + Wow6432Path(key->path);
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

}  // namespace

LONG VantorRegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return OpenKey(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LONG VantorRegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                           REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                           LPDWORD lpdwDisposition) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return OpenKey(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LONG VantorRegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                            LPDWORD lpcbData) {
  const VantorKey* key = Find(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  if (!(key->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  HKEY where = nullptr;
  std::string origin;
  if (LONG rc = FindValue(key, lpValueName, where, origin)) return rc;
  return RegQueryValueExA(where, lpValueName, nullptr, lpType, lpData, lpcbData);
}

LONG VantorRegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                          DWORD cbData) {
  VantorKey* key = Find(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  if (!(key->access & KEY_SET_VALUE)) return ERROR_ACCESS_DENIED;
  LONG rc = ERROR_ACCESS_DENIED;
  if (key->machine && !MachineWritesDenied()) rc = RegSetValueExA(key->machine, lpValueName, 0, dwType, lpData, cbData);
  if (rc != ERROR_ACCESS_DENIED) {
    // The machine's value is the one that counts now: an older one of the user's would hide it.
    if (rc == ERROR_SUCCESS && key->user) RegDeleteValueA(key->user, lpValueName);
    return rc;
  }
  if (!key->user && RegCreateKeyExA(HKEY_CURRENT_USER, key->path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    key->access, nullptr, &key->user, nullptr) != ERROR_SUCCESS) {
    key->user = nullptr;
    return ERROR_ACCESS_DENIED;
  }
  return RegSetValueExA(key->user, lpValueName, 0, dwType, lpData, cbData);
}

LONG VantorRegCloseKey(HKEY hKey) {
  if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  VantorKey* key = nullptr;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    auto it = g_keys.find(reinterpret_cast<VantorKey*>(hKey));
    if (it == g_keys.end()) return ERROR_INVALID_HANDLE;
    key = *it;
    g_keys.erase(it);
  }
  CloseAll(key);
  delete key;
  return ERROR_SUCCESS;
}

LONG RegQueryValueOrigin(HKEY hKey, LPCSTR lpValueName, RegValueOrigin& origin) {
  const VantorKey* key = Find(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  HKEY where = nullptr;
  origin.winePrefix = false;
  return FindValue(key, lpValueName, where, origin.path);
}

void RegDenyMachineWrites(bool deny) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_denyMachineWrites = deny;
}
