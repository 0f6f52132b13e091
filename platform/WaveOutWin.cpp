#include "platform/WaveOut.h"

// winmm has one set of devices and no drivers to pick by name.
void WaveOutSetDriverName(LPCSTR pszDriver) {}

LPCSTR WaveOutDriverHelp() { return "has no meaning on Windows: the sound plays through the default wave output device"; }
