#include "platform/Registry.h"

#include <memory>
#include <mutex>
#include <set>
#include <sstream>
#include <vector>

#include "platform/SettingsStore.h"
#include "platform/WineRegistry.h"

struct HKEY__ {
  enum Kind { Root, Software, Program, Game } kind = Root;
  std::string path;  // below HKEY_LOCAL_MACHINE, '\' between names
  REGSAM access = 0;
  struct PrefixValues {
    std::string prefix;
    RegValueMap values;
  };
  std::vector<PrefixValues> game;  // Game: the key as each prefix has it, in search order
};

namespace {

const char kProgramKeyName[] = "Quarn Vantor";

std::mutex g_handlesLock;
std::set<HKEY__*> g_handles;

// The handle's key, or null for an unknown handle. HKEY_LOCAL_MACHINE is the root.
const HKEY__* Resolve(HKEY hKey) {
  static const HKEY__ root;
  if (hKey == HKEY_LOCAL_MACHINE) return &root;
  std::lock_guard<std::mutex> lock(g_handlesLock);
  return g_handles.count(hKey) ? hKey : nullptr;
}

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> names;
  std::stringstream in(path);
  std::string name;
  while (std::getline(in, name, '\\'))
    if (!name.empty()) names.push_back(name);
  return names;
}

bool IsProgramKey(const std::string& stored, const std::string& path) {
  return _stricmp(stored.c_str(), path.c_str()) == 0 ||
         (stored.size() > path.size() && stored[path.size()] == '\\' &&
          _stricmp(stored.substr(0, path.size()).c_str(), path.c_str()) == 0);
}

bool ProgramKeyExists(const std::string& path) {
  SettingsTree tree;
  LoadSettings(tree);
  for (const auto& entry : tree)
    if (!entry.second.empty() && IsProgramKey(entry.first, path)) return true;
  return false;
}

// Opens (or, with `create`, creates) the key `subKey` below `parent`.
LONG OpenKey(HKEY parent, LPCSTR subKey, REGSAM access, bool create, PHKEY result, LPDWORD disposition) {
  if (!result) return ERROR_INVALID_PARAMETER;
  *result = nullptr;
  const HKEY__* base = Resolve(parent);
  if (!base) return ERROR_INVALID_HANDLE;

  auto key = std::make_unique<HKEY__>();
  key->access = access;
  std::vector<std::string> names = SplitKeyPath(base->path + "\\" + (subKey ? subKey : ""));
  for (size_t i = 0; i < names.size(); ++i) key->path += (i ? "\\" : "") + names[i];
  bool exists = true;
  if (names.empty()) {
    key->kind = HKEY__::Root;
  } else if (_stricmp(names[0].c_str(), "SOFTWARE") != 0 || UserConfigDirectory().empty()) {
    return ERROR_FILE_NOT_FOUND;
  } else if (names.size() == 1) {
    key->kind = HKEY__::Software;
  } else if (_stricmp(names[1].c_str(), kProgramKeyName) == 0) {
    key->kind = HKEY__::Program;
    exists = ProgramKeyExists(key->path);
    if (create) {
      if (LONG rc = CheckSettingsWritable()) return rc;
    } else if (!exists) {
      return ERROR_FILE_NOT_FOUND;
    }
  } else {
    key->kind = HKEY__::Game;
    if (create && (access & (KEY_SET_VALUE | KEY_CREATE_SUB_KEY))) return ERROR_ACCESS_DENIED;
    for (const std::string& prefix : WinePrefixes()) {
      HKEY__::PrefixValues entry{prefix, {}};
      if (ReadWineRegistryKey(prefix + "/system.reg", key->path, entry.values)) key->game.push_back(entry);
    }
    if (key->game.empty()) return create ? ERROR_ACCESS_DENIED : ERROR_FILE_NOT_FOUND;
  }
  if (disposition) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
  std::lock_guard<std::mutex> lock(g_handlesLock);
  *result = key.release();
  g_handles.insert(*result);
  return ERROR_SUCCESS;
}

// The value `name` of an open key, with where it comes from.
LONG FindValue(const HKEY__* key, LPCSTR name, RegValue& value, RegValueOrigin* origin) {
  std::string valueName = name ? name : "";
  if (key->kind == HKEY__::Program) {
    SettingsTree tree;
    LoadSettings(tree);
    auto k = tree.find(key->path);
    if (k == tree.end()) return ERROR_FILE_NOT_FOUND;
    auto v = k->second.find(valueName);
    if (v == k->second.end()) return ERROR_FILE_NOT_FOUND;
    value = v->second;
    if (origin) *origin = RegValueOrigin{false, SettingsFilePath()};
    return ERROR_SUCCESS;
  }
  for (const HKEY__::PrefixValues& entry : key->game) {
    auto v = entry.values.find(valueName);
    if (v == entry.values.end()) continue;
    value = v->second;
    if (origin) *origin = RegValueOrigin{true, entry.prefix};
    return ERROR_SUCCESS;
  }
  return ERROR_FILE_NOT_FOUND;
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult) {
  return OpenKey(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  return OpenKey(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                      LPDWORD lpcbData) {
  const HKEY__* key = Resolve(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  if (!(key->access & KEY_QUERY_VALUE)) return ERROR_ACCESS_DENIED;
  RegValue value;
  if (LONG rc = FindValue(key, lpValueName, value, nullptr)) return rc;
  if (lpType) *lpType = value.type;
  if (!lpcbData) return ERROR_SUCCESS;
  DWORD capacity = *lpcbData;
  *lpcbData = static_cast<DWORD>(value.data.size());
  if (!lpData) return ERROR_SUCCESS;
  if (capacity < value.data.size()) return ERROR_MORE_DATA;
  value.data.copy(reinterpret_cast<char*>(lpData), value.data.size());
  return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  const HKEY__* key = Resolve(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  if (!lpData && cbData) return ERROR_INVALID_PARAMETER;
  if (!(key->access & KEY_SET_VALUE) || key->kind != HKEY__::Program) return ERROR_ACCESS_DENIED;
  SettingsTree tree;
  // An unreadable file may still hold settings: never replace what could not be read.
  if (LoadSettings(tree) == SettingsState::Unreadable) return ERROR_ACCESS_DENIED;
  RegValue& value = tree[key->path][lpValueName ? lpValueName : ""];
  value.type = dwType;
  value.data.assign(reinterpret_cast<const char*>(lpData), lpData ? cbData : 0);
  return SaveSettings(tree);
}

LONG RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_LOCAL_MACHINE) return ERROR_SUCCESS;
  {
    std::lock_guard<std::mutex> lock(g_handlesLock);
    if (!g_handles.erase(hKey)) return ERROR_INVALID_HANDLE;
  }
  delete hKey;
  return ERROR_SUCCESS;
}

LONG RegQueryValueOrigin(HKEY hKey, LPCSTR lpValueName, RegValueOrigin& origin) {
  const HKEY__* key = Resolve(hKey);
  if (!key) return ERROR_INVALID_HANDLE;
  RegValue value;
  return FindValue(key, lpValueName, value, &origin);
}
