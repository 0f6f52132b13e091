#include "platform/WinThread.h"

CWinThread::CWinThread() : m_hThread(nullptr), m_nThreadID(0), m_bAutoDelete(TRUE), m_msgCur{} {}

CWinThread::~CWinThread() {
  if (m_hThread) CloseHandle(m_hThread);
}

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs) {
  DWORD id = 0;
  HANDLE handle = ::CreateThread(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                 dwCreateFlags | CREATE_SUSPENDED, &id);
  if (!handle) return FALSE;
  m_hThread = handle;
  m_nThreadID = id;
  if (!(dwCreateFlags & CREATE_SUSPENDED)) ResumeThread();
  return TRUE;
}

DWORD CWinThread::ResumeThread() {
  const DWORD previous = ::ResumeThread(m_hThread);
#ifdef _WIN32
  // A Windows thread gets its message queue with its first user32 call: until the thread has
  // made it, messages posted to it would be lost.
  if (previous == 1) {
    while (!::PostThreadMessageA(m_nThreadID, WM_NULL, 0, 0) && GetLastError() == ERROR_INVALID_THREAD_ID &&
           WaitForSingleObject(m_hThread, 1) == WAIT_TIMEOUT) {
    }
  }
#endif
  return previous;
}

BOOL CWinThread::SetThreadPriority(int nPriority) { return ::SetThreadPriority(m_hThread, nPriority); }

int CWinThread::GetThreadPriority() { return ::GetThreadPriority(m_hThread); }

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostThreadMessageA(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance() { return FALSE; }

int CWinThread::Run() {
  while (GetMessageA(&m_msgCur, nullptr, 0, 0) > 0) PreTranslateMessage(&m_msgCur);
  return ExitInstance();
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg) { return pMsg->hwnd == nullptr && DispatchThreadMessageEx(pMsg); }

BOOL CWinThread::DispatchThreadMessageEx(MSG* pMsg) { return FALSE; }

int CWinThread::ExitInstance() { return static_cast<int>(m_msgCur.wParam); }

DWORD WINAPI CWinThread::ThreadEntry(LPVOID pThis) {
  CWinThread* thread = static_cast<CWinThread*>(pThis);
#ifdef _WIN32
  MSG queue;  // makes the thread's message queue before anything else
  PeekMessageA(&queue, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
#endif
  int exitCode = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
  if (thread->m_bAutoDelete) delete thread;
  return static_cast<DWORD>(exitCode);
}
