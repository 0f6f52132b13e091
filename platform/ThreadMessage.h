// Thread message queues: posting to a thread by id, the GetMessage/PeekMessage loop and the
// quit request. There are no windows: every message is a thread message (hwnd null) and the
// window filter of GetMessageA/PeekMessageA is ignored.
#pragma once

#include "platform/WinTypes.h"

#ifndef _WIN32  // windows.h declares these
#define WM_NULL 0x0000
#define WM_QUIT 0x0012
#define WM_USER 0x0400
#define WM_APP 0x8000

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

typedef struct tagPOINT {
  LONG x;
  LONG y;
} POINT, *PPOINT, *LPPOINT;

typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *PMSG, *LPMSG;

// Queues the message for the thread. A thread has a queue from its start when made by
// CreateThread, any other thread once it first calls GetMessageA, PeekMessageA or
// PostQuitMessage. FALSE (ERROR_INVALID_THREAD_ID) when the thread has no queue.
BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
// Waits for the first posted message within [wMsgFilterMin, wMsgFilterMax] (0, 0: any) and
// removes it. After PostQuitMessage, once no such message is left, yields WM_QUIT with the
// exit code in wParam. Returns FALSE for WM_QUIT, -1 for a null lpMsg, else TRUE.
BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
// As GetMessageA without waiting: FALSE when no message is there. PM_REMOVE takes it out.
BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
// Asks the calling thread's message loop to end with nExitCode.
void WINAPI PostQuitMessage(int nExitCode);
#endif  // _WIN32
