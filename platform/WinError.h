// System error codes (winerror.h subset).
#pragma once

#ifdef _WIN32
#include "platform/win/WindowsApi.h"
#else
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_PATH_NOT_FOUND 3
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_WRITE_FAULT 29
#define ERROR_NOT_SUPPORTED 50
#define ERROR_INVALID_PARAMETER 87
#define ERROR_DISK_FULL 112
#define ERROR_MORE_DATA 234
#define ERROR_CANTWRITE 1013
#define ERROR_INVALID_THREAD_ID 1444
#endif  // _WIN32
