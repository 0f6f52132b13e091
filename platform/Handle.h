// Kernel object handles: closing, waiting with time-outs, and the thread's last error.
#pragma once

#include "platform/WinError.h"
#include "platform/WinTypes.h"

#ifndef _WIN32  // windows.h declares these
typedef struct _SECURITY_ATTRIBUTES* LPSECURITY_ATTRIBUTES;

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INFINITE 0xFFFFFFFF

#define WAIT_OBJECT_0 0x00000000
#define WAIT_ABANDONED 0x00000080
#define WAIT_TIMEOUT 258
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)

DWORD WINAPI GetLastError();
void WINAPI SetLastError(DWORD dwErrCode);

// Releases the handle; the object lives on while other handles or a running thread use it.
BOOL WINAPI CloseHandle(HANDLE hObject);

// Waits until the object is signalled (an event is set, a thread has ended) or the time-out
// in milliseconds passes (0 polls, INFINITE never expires). An auto-reset event is reset by
// the wait it satisfies, so one SetEvent releases one waiter.
// WAIT_OBJECT_0, WAIT_TIMEOUT, or WAIT_FAILED for a handle that is not open.
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
#endif  // _WIN32
