// Threads, thread messages and events.
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/Event.h"
#include "platform/WinThread.h"

namespace {

constexpr DWORD kGenerous = 10000;  // ms; only reached when something is broken
constexpr DWORD kSignalled = WAIT_OBJECT_0, kTimedOut = WAIT_TIMEOUT;

// Records WM_USER messages; WM_APP asks the loop to quit with its wParam.
class RecordingThread : public CWinThread {
 public:
  BOOL InitInstance() override { return TRUE; }
  BOOL DispatchThreadMessageEx(MSG* pMsg) override {
    if (pMsg->message == WM_USER)
      seen.push_back(pMsg->wParam);
    else if (pMsg->message == WM_APP)
      PostQuitMessage(static_cast<int>(pMsg->wParam));
    return pMsg->message == WM_USER || pMsg->message == WM_APP;
  }
  std::vector<WPARAM> seen;
};

TEST(ThreadMessages, ArriveInOrderAndQuitEndsTheLoopAfterTheQueuedOnes) {
  RecordingThread thread;
  thread.m_bAutoDelete = FALSE;
  ASSERT_TRUE(thread.CreateThread(CREATE_SUSPENDED));
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread.m_hThread, &code));
  EXPECT_EQ(code, DWORD(STILL_ACTIVE));
  EXPECT_EQ(WaitForSingleObject(thread.m_hThread, 0), kTimedOut);

  // The queue exists before the thread first runs; what follows the quit request is still handled.
  for (WPARAM i = 0; i < 500; ++i) ASSERT_TRUE(thread.PostThreadMessage(WM_USER, i, 0));
  ASSERT_TRUE(thread.PostThreadMessage(WM_APP, 42, 0));
  ASSERT_TRUE(thread.PostThreadMessage(WM_USER, 500, 0));
  EXPECT_EQ(thread.ResumeThread(), 1u);
  ASSERT_EQ(WaitForSingleObject(thread.m_hThread, kGenerous), kSignalled);
  ASSERT_TRUE(GetExitCodeThread(thread.m_hThread, &code));
  EXPECT_EQ(code, 42u);
  ASSERT_EQ(thread.seen.size(), 501u);
  for (WPARAM i = 0; i < thread.seen.size(); ++i) ASSERT_EQ(thread.seen[i], i);
  // The ended thread's queue is gone.
  EXPECT_FALSE(PostThreadMessageA(thread.m_nThreadID, WM_USER, 0, 0));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_THREAD_ID));
}

TEST(ThreadMessages, QueueOfAnotherThreadComesWithItsFirstPeekAndFiltersApply) {
  CEvent idKnown, mayPeek, peeked;
  std::atomic<DWORD> id{0};
  std::vector<UINT> order;
  BOOL peekedEmpty = TRUE, noRemoveKept = FALSE;
  std::thread other([&] {
    id = GetCurrentThreadId();
    idKnown.SetEvent();
    mayPeek.Lock(kGenerous);
    MSG msg;
    peekedEmpty = !PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    peeked.SetEvent();
    // The filter waits for the later WM_APP; the rest follow in posting order, WM_QUIT last.
    if (GetMessageA(&msg, nullptr, WM_APP, WM_APP + 10) > 0) order.push_back(msg.message);
    noRemoveKept = PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_USER + 1 &&
                   PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE) && msg.message == WM_USER + 1;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) order.push_back(msg.message);
    order.push_back(msg.message);
    order.push_back(static_cast<UINT>(msg.wParam));
  });
  ASSERT_TRUE(idKnown.Lock(kGenerous));
  EXPECT_FALSE(PostThreadMessageA(id, WM_USER, 0, 0));  // no queue yet
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_THREAD_ID));
  mayPeek.SetEvent();
  ASSERT_TRUE(peeked.Lock(kGenerous));
  for (UINT message : {WM_USER + 1, WM_USER + 2, WM_APP + 3}) EXPECT_TRUE(PostThreadMessageA(id, message, 0, 0));
  EXPECT_TRUE(PostThreadMessageA(id, WM_QUIT, 9, 0));
  other.join();
  EXPECT_TRUE(peekedEmpty);
  EXPECT_TRUE(noRemoveKept);
  EXPECT_EQ(order, (std::vector<UINT>{WM_APP + 3, WM_USER + 1, WM_USER + 2, WM_QUIT, 9}));
}

TEST(Events, ResetModesTimeOutsAndClosedHandles) {
  for (BOOL manual : {FALSE, TRUE}) {
    SCOPED_TRACE(manual ? "manual reset" : "auto reset");
    HANDLE event = CreateEventA(nullptr, manual, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    // An auto-reset event releases one of three waiters, a manual-reset one all of them.
    std::atomic<int> released{0}, timedOut{0};
    std::vector<std::thread> waiters;
    for (int i = 0; i < 3; ++i)
      waiters.emplace_back([&] { (WaitForSingleObject(event, 1500) == kSignalled ? released : timedOut)++; });
    ASSERT_TRUE(SetEvent(event));
    for (auto& w : waiters) w.join();
    EXPECT_EQ(released, manual ? 3 : 1);
    EXPECT_EQ(released + timedOut, 3);
    // A manual-reset event stays set until reset; an auto-reset one was consumed.
    EXPECT_EQ(WaitForSingleObject(event, 0), manual ? kSignalled : kTimedOut);
    ASSERT_TRUE(ResetEvent(event));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSingleObject(event, 60), kTimedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
    EXPECT_TRUE(CloseHandle(event));
    EXPECT_FALSE(CloseHandle(event));
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_FAILED);
    EXPECT_FALSE(SetEvent(event));
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_HANDLE));
  }
  CEvent initiallySet(TRUE);
  EXPECT_TRUE(initiallySet.Lock(0));
  EXPECT_FALSE(initiallySet.Lock(0));  // auto-reset by the first wait
  EXPECT_EQ(CreateEventA(nullptr, FALSE, FALSE, "named"), nullptr);
}

struct Probe {
  DWORD id = 0;
  int nice = 0;
  static DWORD WINAPI Run(LPVOID p) {
    static_cast<Probe*>(p)->id = GetCurrentThreadId();
    static_cast<Probe*>(p)->nice = getpriority(PRIO_PROCESS, 0);
    return 1234;
  }
};

TEST(Threads, SuspendedThreadTakesPriorityRunsOnResumeAndKeepsItsExitCode) {
  Probe probe;
  DWORD id = 0;
  const int niceBefore = getpriority(PRIO_PROCESS, 0);
  HANDLE thread = CreateThread(nullptr, 0, Probe::Run, &probe, CREATE_SUSPENDED, &id);
  ASSERT_NE(thread, nullptr);
  EXPECT_NE(id, 0u);
  EXPECT_EQ(GetThreadId(thread), id);
  EXPECT_FALSE(SetThreadPriority(thread, 7));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_NORMAL);
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_BELOW_NORMAL));
  EXPECT_EQ(GetThreadPriority(thread), THREAD_PRIORITY_BELOW_NORMAL);
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_TIME_CRITICAL));  // refused quietly when unprivileged
  ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST));
  EXPECT_EQ(ResumeThread(thread), 1u);
  EXPECT_EQ(ResumeThread(thread), 0u);
  ASSERT_EQ(WaitForSingleObject(thread, kGenerous), kSignalled);
  DWORD code = 0;
  ASSERT_TRUE(GetExitCodeThread(thread, &code));
  EXPECT_EQ(code, 1234u);
  EXPECT_EQ(probe.id, id);
  EXPECT_EQ(probe.nice, std::min(niceBefore + 10, 19));
  EXPECT_EQ(WaitForSingleObject(thread, 0), kSignalled);  // still, while the handle is open
  EXPECT_TRUE(CloseHandle(thread));
  EXPECT_FALSE(GetExitCodeThread(thread, &code));
}

}  // namespace
