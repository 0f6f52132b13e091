#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<MESSAGEBOXPRESENTER> g_presenter{nullptr};
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (MESSAGEBOXPRESENTER p = g_presenter.load()) return p(hWnd, lpText, lpCaption, uType);
  std::fprintf(stderr, "[%s] %s\n", lpCaption ? lpCaption : "", lpText ? lpText : "");
  const UINT buttons = uType & 0x0F;
  return buttons == MB_YESNO ? IDYES : IDOK;
}

MESSAGEBOXPRESENTER SetMessageBoxPresenter(MESSAGEBOXPRESENTER pfn) { return g_presenter.exchange(pfn); }
