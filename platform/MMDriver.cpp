#include "platform/MMDriver.h"

LRESULT WINAPI DefDriverProc(DWORD_PTR, HDRVR, UINT uMsg, LPARAM, LPARAM) {
  switch (uMsg) {
    case DRV_LOAD:
    case DRV_FREE:
    case DRV_ENABLE:
    case DRV_DISABLE:
      return 1;
    case DRV_INSTALL:
    case DRV_REMOVE:
      return DRVCNF_RESTART;
    default:
      return 0;
  }
}

namespace {
char g_moduleAnchor;
}

HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName) {
  if (lpModuleName) return nullptr;
  return reinterpret_cast<HMODULE>(&g_moduleAnchor);
}
