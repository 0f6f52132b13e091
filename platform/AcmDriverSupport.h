// What every function-type ACM driver of ours needs when it answers the manager.
#pragma once

#include "platform/MSAcm.h"
#include "platform/MSAcmDrv.h"

// Narrow text to wide with the system code page (Latin-1 here), always terminated.
void AcmWiden(WCHAR* dst, size_t cch, const char* src);

// Answers ACMDM_DRIVER_DETAILS: copies the whole fields of `details` that fit the caller's
// cbStruct into `padd` and sets its cbStruct to the bytes filled.
LRESULT AcmCopyDriverDetails(const ACMDRIVERDETAILSW& details, ACMDRIVERDETAILSW* padd);

// Fills the derived fields of a PCM format held in a buffer of cbwfx bytes.
void AcmCompletePcmFormat(WAVEFORMATEX* pwfx, DWORD cbwfx);
