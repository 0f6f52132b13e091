#include "platform/MessageBox.h"

#include <atomic>
#include <cstdio>

namespace {
std::atomic<MESSAGEBOXPRESENTER> g_presenter{nullptr};
thread_local LPCSTR g_pszDetails = nullptr;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  if (MESSAGEBOXPRESENTER p = g_presenter.load()) return p(hWnd, lpText, lpCaption, uType);
  std::fprintf(stderr, "[%s] %s\n%s", lpCaption ? lpCaption : "", lpText ? lpText : "", g_pszDetails ? g_pszDetails : "");
  const UINT buttons = uType & 0x0F;
  return buttons == MB_YESNO ? IDYES : IDOK;
}

MESSAGEBOXPRESENTER SetMessageBoxPresenter(MESSAGEBOXPRESENTER pfn) { return g_presenter.exchange(pfn); }

int MessageBoxDetailsA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, LPCSTR lpDetails) {
  g_pszDetails = lpDetails;
  const int answer = MessageBoxA(hWnd, lpText, lpCaption, uType);
  g_pszDetails = nullptr;
  return answer;
}

LPCSTR GetMessageBoxDetails() { return g_pszDetails; }
