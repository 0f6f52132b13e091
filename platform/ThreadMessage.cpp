#include "platform/ThreadMessage.h"

#include <chrono>
#include <deque>
#include <unordered_map>

#include "platform/KernelObject.h"
#include "platform/Thread.h"

namespace {

struct MessageQueue {
  std::mutex mutex;
  std::condition_variable posted;
  std::deque<MSG> messages;
  bool quit = false;
  int quitCode = 0;
};

std::mutex g_queuesMutex;
std::unordered_map<DWORD, std::shared_ptr<MessageQueue>> g_queues;

// The calling thread's queue; unregistered when the thread ends.
struct QueueOwner {
  std::shared_ptr<MessageQueue> queue;
  ~QueueOwner() { kernel::ReleaseMessageQueue(); }
};
thread_local QueueOwner t_owner;

MessageQueue& CurrentQueue() {
  kernel::CreateMessageQueue();
  return *t_owner.queue;
}

bool Matches(UINT message, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  return (wMsgFilterMin == 0 && wMsgFilterMax == 0) || message == WM_QUIT ||
         (wMsgFilterMin <= message && message <= wMsgFilterMax);
}

// Takes the first matching message, else the pending quit; false when there is neither.
// Called with the queue's mutex held.
bool Take(MessageQueue& queue, LPMSG lpMsg, UINT wMsgFilterMin, UINT wMsgFilterMax, bool remove) {
  for (auto it = queue.messages.begin(); it != queue.messages.end(); ++it) {
    if (Matches(it->message, wMsgFilterMin, wMsgFilterMax)) {
      *lpMsg = *it;
      if (remove) queue.messages.erase(it);
      return true;
    }
  }
  if (!queue.quit) return false;
  *lpMsg = MSG{};
  lpMsg->message = WM_QUIT;
  lpMsg->wParam = static_cast<WPARAM>(queue.quitCode);
  if (remove) queue.quit = false;
  return true;
}

DWORD TickCount() {
  using namespace std::chrono;
  return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

}  // namespace

namespace kernel {

void CreateMessageQueue() {
  if (t_owner.queue) return;
  t_owner.queue = std::make_shared<MessageQueue>();
  std::lock_guard<std::mutex> lock(g_queuesMutex);
  g_queues[GetCurrentThreadId()] = t_owner.queue;
}

void ReleaseMessageQueue() {
  if (!t_owner.queue) return;
  {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    auto it = g_queues.find(GetCurrentThreadId());
    if (it != g_queues.end() && it->second == t_owner.queue) g_queues.erase(it);
  }
  t_owner.queue.reset();
}

}  // namespace kernel

BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<MessageQueue> queue;
  {
    std::lock_guard<std::mutex> lock(g_queuesMutex);
    auto it = g_queues.find(idThread);
    if (it != g_queues.end()) queue = it->second;
  }
  if (!queue) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  {
    std::lock_guard<std::mutex> lock(queue->mutex);
    queue->messages.push_back(MSG{nullptr, Msg, wParam, lParam, TickCount(), POINT{0, 0}});
  }
  queue->posted.notify_one();
  return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax) {
  if (!lpMsg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  MessageQueue& queue = CurrentQueue();
  std::unique_lock<std::mutex> lock(queue.mutex);
  queue.posted.wait(lock, [&] { return Take(queue, lpMsg, wMsgFilterMin, wMsgFilterMax, true); });
  return lpMsg->message != WM_QUIT;
}

BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg) {
  if (!lpMsg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  MessageQueue& queue = CurrentQueue();
  std::lock_guard<std::mutex> lock(queue.mutex);
  return Take(queue, lpMsg, wMsgFilterMin, wMsgFilterMax, (wRemoveMsg & PM_REMOVE) != 0);
}

void WINAPI PostQuitMessage(int nExitCode) {
  MessageQueue& queue = CurrentQueue();
  {
    std::lock_guard<std::mutex> lock(queue.mutex);
    queue.quit = true;
    queue.quitCode = nExitCode;
  }
  queue.posted.notify_one();
}
