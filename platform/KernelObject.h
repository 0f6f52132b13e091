// The objects behind kernel handles, shared by the event and thread implementations.
#pragma once

#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/Handle.h"

namespace kernel {

class KernelObject {
 public:
  virtual ~KernelObject() = default;

  // Both called with `mutex` held.
  virtual bool IsSignalled() const = 0;
  virtual void OnWaitSatisfied() {}

  std::mutex mutex;
  std::condition_variable changed;
};

// A new handle to the object; null when there is no memory left.
HANDLE OpenHandle(std::shared_ptr<KernelObject> object);
// The object behind an open handle, or null (the thread's last error is then
// ERROR_INVALID_HANDLE).
std::shared_ptr<KernelObject> Lookup(HANDLE handle);

template <class T>
std::shared_ptr<T> LookupAs(HANDLE handle) {
  std::shared_ptr<T> object = std::dynamic_pointer_cast<T>(Lookup(handle));
  if (!object) SetLastError(ERROR_INVALID_HANDLE);
  return object;
}

// Message queues of threads (ThreadMessage.cpp): the calling thread's queue comes into
// being; it goes away with the thread or by ReleaseMessageQueue.
void CreateMessageQueue();
void ReleaseMessageQueue();

}  // namespace kernel
