// Installable-driver messages and the default driver procedure (mmsystem.h subset).
#pragma once

#include "platform/MMSystem.h"

#ifndef _WIN32  // windows.h declares these
#define DRV_LOAD 0x0001
#define DRV_ENABLE 0x0002
#define DRV_OPEN 0x0003
#define DRV_CLOSE 0x0004
#define DRV_DISABLE 0x0005
#define DRV_FREE 0x0006
#define DRV_CONFIGURE 0x0007
#define DRV_QUERYCONFIGURE 0x0008
#define DRV_INSTALL 0x0009
#define DRV_REMOVE 0x000A
#define DRV_EXITSESSION 0x000B
#define DRV_POWER 0x000F
#define DRV_RESERVED 0x0800
#define DRV_USER 0x4000

#define DRVCNF_CANCEL 0x0000
#define DRVCNF_OK 0x0001
#define DRVCNF_RESTART 0x0002

// Answers the messages a driver leaves to the system: 1 for DRV_LOAD, DRV_FREE,
// DRV_ENABLE and DRV_DISABLE, DRVCNF_RESTART for DRV_INSTALL and DRV_REMOVE, else 0.
LRESULT WINAPI DefDriverProc(DWORD_PTR dwDriverIdentifier, HDRVR hdrvr, UINT uMsg, LPARAM lParam1,
                             LPARAM lParam2);

// Handle of the module the caller lives in (this process: a fixed non-null value).
HMODULE WINAPI GetModuleHandleA(LPCSTR lpModuleName);
#endif  // _WIN32
