// The Xbox ADPCM codec as an ACM driver procedure (PCM <-> Xbox ADPCM).
#pragma once

#include "platform/MSAcmDrv.h"

// The instance value every DRV_OPEN answers; the driver keeps no per-open data.
#define ADPCM_DRIVER_INSTANCE 0x43211234

LRESULT CALLBACK XboxAdpcmDriverProc(DWORD_PTR dwDriverId, HACMDRIVERID hDriver, UINT uMsg,
                                     LPARAM lParam1, LPARAM lParam2);
