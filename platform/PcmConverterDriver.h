// The manager's installed PCM-to-PCM converter: any rate from 1000 Hz, 1 or 2
// channels, 8 or 16 bits, in both directions.
//
// Rate conversion keeps its filter history and phase in the stream from call to call,
// START or not: a stream is one continuous sound, so a caller that flags every chunk
// with START still gets a seamless result. A conversion flagged END flushes the filter
// tail; the next conversion after it starts a new sound from silence.
#pragma once

#include "platform/MSAcmDrv.h"

#define PCMCONV_DRIVER_INSTANCE 0x50434D31
#define PCMCONV_MIN_RATE 1000u
#define PCMCONV_MAX_RATE 1000000u

LRESULT CALLBACK PcmConverterDriverProc(DWORD_PTR dwDriverId, HACMDRIVERID hDriver, UINT uMsg,
                                        LPARAM lParam1, LPARAM lParam2);
