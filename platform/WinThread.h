// The framework's worker thread with a message loop (CWinThread).
#pragma once

#include "platform/Thread.h"
#include "platform/ThreadMessage.h"

class CWinThread {
 public:
  CWinThread();
  // Closes the thread handle; the thread itself must have ended or must not use the object.
  virtual ~CWinThread();
  CWinThread(const CWinThread&) = delete;
  CWinThread& operator=(const CWinThread&) = delete;

  // Starts the thread (InitInstance, then Run); CREATE_SUSPENDED leaves it waiting for
  // ResumeThread. m_hThread and m_nThreadID are set before the thread runs any code of
  // the object. The stack size and security attributes are ignored.
  BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = nullptr);
  DWORD ResumeThread();
  BOOL SetThreadPriority(int nPriority);
  int GetThreadPriority();
  BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);
  operator HANDLE() const { return m_hThread; }

  // On the thread: FALSE (the default) ends it at once through ExitInstance.
  virtual BOOL InitInstance();
  // The message loop: gets each message, offers it to PreTranslateMessage, and on WM_QUIT
  // returns ExitInstance().
  virtual int Run();
  // Dispatches thread messages through DispatchThreadMessageEx; TRUE when handled.
  virtual BOOL PreTranslateMessage(MSG* pMsg);
  // The message map of thread messages: TRUE when the message was handled (none here).
  virtual BOOL DispatchThreadMessageEx(MSG* pMsg);
  // The thread's exit code: by default the WM_QUIT's wParam.
  virtual int ExitInstance();

  HANDLE m_hThread;
  DWORD m_nThreadID;
  // When TRUE the thread deletes this object as it ends.
  BOOL m_bAutoDelete;
  MSG m_msgCur;

 private:
  static DWORD WINAPI ThreadEntry(LPVOID pThis);
};
