// Events: the kernel calls and the framework's CEvent around them.
#pragma once

#include "platform/Handle.h"

#ifndef _WIN32  // windows.h declares these
// A manual-reset event stays signalled until ResetEvent and releases every waiter; an
// auto-reset event releases one waiter and resets itself. Named events are not supported
// (a name fails with ERROR_NOT_SUPPORTED).
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);

#endif  // _WIN32
class CEvent {
 public:
  explicit CEvent(BOOL bInitiallyOwn = FALSE, BOOL bManualReset = FALSE, LPCSTR lpszName = nullptr,
                  LPSECURITY_ATTRIBUTES lpsaAttribute = nullptr);
  virtual ~CEvent();
  CEvent(const CEvent&) = delete;
  CEvent& operator=(const CEvent&) = delete;

  BOOL SetEvent();
  BOOL ResetEvent();
  // Waits for the event; TRUE when it was signalled within the time-out.
  virtual BOOL Lock(DWORD dwTimeout = INFINITE);
  virtual BOOL Unlock();

  operator HANDLE() const { return m_hObject; }

  HANDLE m_hObject;
};
