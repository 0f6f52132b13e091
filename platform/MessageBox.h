// Message boxes (winuser.h subset). The user interface installs the presenter;
// without one the text goes to standard error and the default button is returned.
#pragma once

#include "platform/WinTypes.h"

#ifndef _WIN32  // windows.h declares these
#define MB_OK 0x00000000
#define MB_OKCANCEL 0x00000001
#define MB_YESNO 0x00000004
#define MB_ICONERROR 0x00000010
#define MB_ICONQUESTION 0x00000020
#define MB_ICONWARNING 0x00000030
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONINFORMATION 0x00000040

#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7
#endif  // _WIN32

#ifdef _WIN32
// Ours, not user32's: without a presenter a console program must not open a window.
#define MessageBoxA VantorMessageBoxA
#endif

typedef int (*MESSAGEBOXPRESENTER)(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType);

// Replaces the presenter; returns the previous one (null = standard error).
MESSAGEBOXPRESENTER SetMessageBoxPresenter(MESSAGEBOXPRESENTER pfn);

// MessageBoxA with a longer text that the box offers behind "Show Details..." (null: none).
// The presenter reads it with GetMessageBoxDetails while it runs.
int MessageBoxDetailsA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, LPCSTR lpDetails);
LPCSTR GetMessageBoxDetails();
