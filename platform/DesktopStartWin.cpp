#include "platform/DesktopStart.h"

#include <atomic>
#include <string>

#include "platform/win/WindowsApi.h"
#include <shlobj.h>

namespace {

std::wstring Wide(const std::string& text) {
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                      static_cast<int>(wide.size()));
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string text(size - 1, '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
  return text;
}

bool WriteAll(HANDLE h, const std::string& text) {
  DWORD done = 0;
  for (size_t at = 0; at < text.size(); at += done)
    if (!WriteFile(h, text.data() + at, static_cast<DWORD>(text.size() - at), &done, nullptr) || done == 0) return false;
  return true;
}

}  // namespace

void ShowStartupText(const std::string& text, bool error) {
  if (text.empty()) return;
  // Redirected into a file or a pipe: the bytes as they are, as the Linux program writes them.
  HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN && !GetConsoleMode(out, &mode) &&
      WriteAll(out, text))
    return;
  // The console the program was started from (cmd, PowerShell), in its own characters. The
  // prompt has come back already: the text follows it.
  static std::atomic<bool> attached{false};
  if (attached || AttachConsole(ATTACH_PARENT_PROCESS) || GetLastError() == ERROR_ACCESS_DENIED) {
    attached = true;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                 nullptr, OPEN_EXISTING, 0, nullptr);
    if (console != INVALID_HANDLE_VALUE) {
      const std::wstring wide = Wide(text);
      DWORD done = 0;
      const BOOL ok = WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &done, nullptr);
      CloseHandle(console);
      if (ok) return;
    }
  }
  // Started from Explorer or a shortcut: nobody would see the text anywhere else.
  MessageBoxW(nullptr, Wide(text).c_str(), L"Quarn Vantor", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

std::string MissingDisplay() { return {}; }

std::string DisplayDescription() { return "the Windows desktop"; }

bool FolderWritable(const std::string& folder) {
  // The read-only attribute of a folder says nothing about who may write into it (access()
  // looks at nothing else): try it.
  const std::wstring dir = Wide(folder.empty() ? std::string(".") : folder);
  for (unsigned n = 0; n < 16; ++n) {
    const std::wstring probe = dir + L"\\.quarn-vantor-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                               std::to_wstring(GetTickCount() + n) + L".tmp";
    HANDLE h = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      CloseHandle(h);
      return true;
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

std::string UserDocumentsFolder() {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Documents, KF_FLAG_CREATE, nullptr, &path))) folder = Utf8(path);
  CoTaskMemFree(path);
  return folder;
}
