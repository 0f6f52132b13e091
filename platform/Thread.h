// Threads: creation (optionally suspended), resumption, priority, ids and exit codes.
#pragma once

#include <cstddef>

#include "platform/Handle.h"

#ifndef _WIN32  // windows.h declares these
#define CREATE_SUSPENDED 0x00000004
#define STILL_ACTIVE 259

#define THREAD_PRIORITY_IDLE (-15)
#define THREAD_PRIORITY_LOWEST (-2)
#define THREAD_PRIORITY_BELOW_NORMAL (-1)
#define THREAD_PRIORITY_NORMAL 0
#define THREAD_PRIORITY_ABOVE_NORMAL 1
#define THREAD_PRIORITY_HIGHEST 2
#define THREAD_PRIORITY_TIME_CRITICAL 15
#define THREAD_PRIORITY_ERROR_RETURN 0x7FFFFFFF

typedef DWORD(WINAPI* LPTHREAD_START_ROUTINE)(LPVOID lpThreadParameter);

// Starts a thread running lpStartAddress(lpParameter); with CREATE_SUSPENDED it waits for
// ResumeThread first. The thread has its message queue from the start, so messages can be
// posted to it as soon as this returns. The handle is signalled when the routine returns,
// whose result becomes the exit code. The stack size and security attributes are ignored.
HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, size_t dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId);
// Lowers the suspend count; the thread runs when it reaches 0. The count before, or
// (DWORD)-1 for a bad handle.
DWORD WINAPI ResumeThread(HANDLE hThread);
// Records the priority and applies it as a nice value relative to the thread's start;
// where the system refuses (raising needs privileges) the call still succeeds.
BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority);
int WINAPI GetThreadPriority(HANDLE hThread);
// STILL_ACTIVE while the thread runs, then the routine's result.
BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode);
DWORD WINAPI GetThreadId(HANDLE hThread);
DWORD WINAPI GetCurrentThreadId();
#endif  // _WIN32
