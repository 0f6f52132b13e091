// Windows keeps the programs' settings in the registry, which every test process of a Wine
// prefix shares: while one of these lives, HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this
// process are empty keys of its own (RegOverridePredefKey), removed at the end.
#pragma once
#ifdef _WIN32

#include <string>

#include "platform/win/WindowsApi.h"

class PrivateRegistry {
 public:
  PrivateRegistry() : m_path("Software\\Quarn Vantor Tests\\" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    RegCreateKeyExA(HKEY_CURRENT_USER, (m_path + "\\machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &m_machine, nullptr);
    RegCreateKeyExA(HKEY_CURRENT_USER, (m_path + "\\user").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &m_user,
                    nullptr);
    m_ok = m_machine && m_user && RegOverridePredefKey(HKEY_LOCAL_MACHINE, m_machine) == ERROR_SUCCESS &&
           RegOverridePredefKey(HKEY_CURRENT_USER, m_user) == ERROR_SUCCESS;
  }
  ~PrivateRegistry() {
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    if (m_machine) RegCloseKey(m_machine);
    if (m_user) RegCloseKey(m_user);
    RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
  }
  PrivateRegistry(const PrivateRegistry&) = delete;
  PrivateRegistry& operator=(const PrivateRegistry&) = delete;
  bool ok() const { return m_ok; }

 private:
  std::string m_path;
  HKEY m_machine = nullptr;
  HKEY m_user = nullptr;
  bool m_ok = false;
};

#endif  // _WIN32
