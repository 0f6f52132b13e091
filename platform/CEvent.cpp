#include "platform/Event.h"

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, LPCSTR lpszName, LPSECURITY_ATTRIBUTES lpsaAttribute)
    : m_hObject(CreateEventA(lpsaAttribute, bManualReset, bInitiallyOwn, lpszName)) {}

CEvent::~CEvent() {
  if (m_hObject) CloseHandle(m_hObject);
}

BOOL CEvent::SetEvent() { return ::SetEvent(m_hObject); }

BOOL CEvent::ResetEvent() { return ::ResetEvent(m_hObject); }

BOOL CEvent::Lock(DWORD dwTimeout) { return WaitForSingleObject(m_hObject, dwTimeout) == WAIT_OBJECT_0; }

BOOL CEvent::Unlock() { return TRUE; }
