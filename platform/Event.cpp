#include "platform/Event.h"

#include "platform/KernelObject.h"

namespace {

class EventObject : public kernel::KernelObject {
 public:
  EventObject(bool manualReset, bool signalled) : manualReset_(manualReset), signalled_(signalled) {}

  bool IsSignalled() const override { return signalled_; }
  void OnWaitSatisfied() override {
    if (!manualReset_) signalled_ = false;
  }

  void Set(bool signalled) {
    {
      std::lock_guard<std::mutex> lock(mutex);
      signalled_ = signalled;
    }
    if (signalled) changed.notify_all();
  }

 private:
  const bool manualReset_;
  bool signalled_;
};

}  // namespace

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset, BOOL bInitialState,
                           LPCSTR lpName) {
  if (lpName) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  SetLastError(ERROR_SUCCESS);
  return kernel::OpenHandle(std::make_shared<EventObject>(bManualReset != FALSE, bInitialState != FALSE));
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
  std::shared_ptr<EventObject> event = kernel::LookupAs<EventObject>(hEvent);
  if (!event) return FALSE;
  event->Set(true);
  return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
  std::shared_ptr<EventObject> event = kernel::LookupAs<EventObject>(hEvent);
  if (!event) return FALSE;
  event->Set(false);
  return TRUE;
}
