#include "platform/Handle.h"

#include <chrono>
#include <unordered_map>

#include "platform/KernelObject.h"

namespace kernel {
namespace {

std::mutex g_tableMutex;
std::unordered_map<HANDLE, std::shared_ptr<KernelObject>> g_table;
UINT_PTR g_nextHandle = 0x100;

}  // namespace

HANDLE OpenHandle(std::shared_ptr<KernelObject> object) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  // Handle values are multiples of 4 as on the platform, and never null or -1.
  HANDLE handle = reinterpret_cast<HANDLE>(g_nextHandle);
  g_nextHandle += 4;
  g_table.emplace(handle, std::move(object));
  return handle;
}

std::shared_ptr<KernelObject> Lookup(HANDLE handle) {
  std::lock_guard<std::mutex> lock(g_tableMutex);
  auto it = g_table.find(handle);
  if (it == g_table.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return it->second;
}

}  // namespace kernel

namespace {
thread_local DWORD t_lastError = ERROR_SUCCESS;
}

DWORD WINAPI GetLastError() { return t_lastError; }

void WINAPI SetLastError(DWORD dwErrCode) { t_lastError = dwErrCode; }

BOOL WINAPI CloseHandle(HANDLE hObject) {
  std::shared_ptr<kernel::KernelObject> object;  // released outside the table lock
  std::lock_guard<std::mutex> lock(kernel::g_tableMutex);
  auto it = kernel::g_table.find(hObject);
  if (it == kernel::g_table.end()) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  object = std::move(it->second);
  kernel::g_table.erase(it);
  return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
  std::shared_ptr<kernel::KernelObject> object = kernel::Lookup(hHandle);
  if (!object) return WAIT_FAILED;
  std::unique_lock<std::mutex> lock(object->mutex);
  auto signalled = [&] { return object->IsSignalled(); };
  if (dwMilliseconds == INFINITE) {
    object->changed.wait(lock, signalled);
  } else if (!object->changed.wait_for(lock, std::chrono::milliseconds(dwMilliseconds), signalled)) {
    return WAIT_TIMEOUT;
  }
  object->OnWaitSatisfied();
  return WAIT_OBJECT_0;
}
