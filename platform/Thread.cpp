#include "platform/Thread.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <system_error>
#include <thread>

#include "platform/KernelObject.h"

namespace {

class ThreadObject : public kernel::KernelObject {
 public:
  bool IsSignalled() const override { return ended; }

  // All guarded by `mutex`.
  bool ended = false;
  DWORD exitCode = STILL_ACTIVE;
  DWORD suspendCount = 0;
  pid_t tid = 0;
  int startNice = 0;
  int priority = THREAD_PRIORITY_NORMAL;
};

int NiceOffset(int nPriority) {
  switch (nPriority) {
    case THREAD_PRIORITY_IDLE: return 19;
    case THREAD_PRIORITY_LOWEST: return 10;
    case THREAD_PRIORITY_BELOW_NORMAL: return 5;
    case THREAD_PRIORITY_NORMAL: return 0;
    case THREAD_PRIORITY_ABOVE_NORMAL: return -5;
    case THREAD_PRIORITY_HIGHEST: return -10;
    case THREAD_PRIORITY_TIME_CRITICAL: return -20;
    default: return 1000;
  }
}

void RunThread(std::shared_ptr<ThreadObject> thread, LPTHREAD_START_ROUTINE start, LPVOID parameter) {
  kernel::CreateMessageQueue();
  {
    std::unique_lock<std::mutex> lock(thread->mutex);
    thread->tid = gettid();
    thread->startNice = getpriority(PRIO_PROCESS, thread->tid);
    thread->changed.notify_all();
    thread->changed.wait(lock, [&] { return thread->suspendCount == 0; });
  }
  DWORD exitCode = start(parameter);
  kernel::ReleaseMessageQueue();
  {
    std::lock_guard<std::mutex> lock(thread->mutex);
    thread->exitCode = exitCode;
    thread->ended = true;
  }
  thread->changed.notify_all();
}

}  // namespace

HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES lpThreadAttributes, size_t dwStackSize,
                           LPTHREAD_START_ROUTINE lpStartAddress, LPVOID lpParameter, DWORD dwCreationFlags,
                           LPDWORD lpThreadId) {
  if (!lpStartAddress) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto thread = std::make_shared<ThreadObject>();
  thread->suspendCount = (dwCreationFlags & CREATE_SUSPENDED) ? 1 : 0;
  try {
    std::thread(RunThread, thread, lpStartAddress, lpParameter).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  DWORD id;
  {
    std::unique_lock<std::mutex> lock(thread->mutex);
    thread->changed.wait(lock, [&] { return thread->tid != 0; });
    id = static_cast<DWORD>(thread->tid);
  }
  if (lpThreadId) *lpThreadId = id;
  return kernel::OpenHandle(std::move(thread));
}

DWORD WINAPI ResumeThread(HANDLE hThread) {
  std::shared_ptr<ThreadObject> thread = kernel::LookupAs<ThreadObject>(hThread);
  if (!thread) return static_cast<DWORD>(-1);
  std::lock_guard<std::mutex> lock(thread->mutex);
  DWORD before = thread->suspendCount;
  if (before > 0 && --thread->suspendCount == 0) thread->changed.notify_all();
  return before;
}

BOOL WINAPI SetThreadPriority(HANDLE hThread, int nPriority) {
  int offset = NiceOffset(nPriority);
  if (offset == 1000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::shared_ptr<ThreadObject> thread = kernel::LookupAs<ThreadObject>(hThread);
  if (!thread) return FALSE;
  std::lock_guard<std::mutex> lock(thread->mutex);
  thread->priority = nPriority;
  // While `ended` is false under the lock, the thread id still names this thread.
  if (!thread->ended) setpriority(PRIO_PROCESS, thread->tid, std::clamp(thread->startNice + offset, -20, 19));
  return TRUE;
}

int WINAPI GetThreadPriority(HANDLE hThread) {
  std::shared_ptr<ThreadObject> thread = kernel::LookupAs<ThreadObject>(hThread);
  if (!thread) return THREAD_PRIORITY_ERROR_RETURN;
  std::lock_guard<std::mutex> lock(thread->mutex);
  return thread->priority;
}

BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode) {
  std::shared_ptr<ThreadObject> thread = kernel::LookupAs<ThreadObject>(hThread);
  if (!thread || !lpExitCode) {
    if (thread) SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::lock_guard<std::mutex> lock(thread->mutex);
  *lpExitCode = thread->exitCode;
  return TRUE;
}

DWORD WINAPI GetThreadId(HANDLE hThread) {
  std::shared_ptr<ThreadObject> thread = kernel::LookupAs<ThreadObject>(hThread);
  if (!thread) return 0;
  std::lock_guard<std::mutex> lock(thread->mutex);
  return static_cast<DWORD>(thread->tid);
}

DWORD WINAPI GetCurrentThreadId() { return static_cast<DWORD>(gettid()); }
