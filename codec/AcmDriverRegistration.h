// Registration of the Xbox ADPCM codec for this process and the lookup of a PCM
// converter among the installed ACM drivers, done when audio starts and undone at its end.
#pragma once

#include "platform/MSAcm.h"

extern HACMDRIVERID g_idXboxAdpcmDriver;    // the codec, as registered; null when not
extern HACMDRIVERID g_idPcmConverterDriver;  // the last qualifying converter; null when none

// Registers the codec and finds the converter; false when either step fails.
bool RegisterAcmDrivers();
// Clears the converter id and removes the codec.
void RemoveAcmDrivers();
