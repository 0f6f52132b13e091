// The Windows SDK headers the platform layer stands on when built for Windows.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <mmsystem.h>
#include <mmreg.h>
#include <msacm.h>

#include <cstddef>
#include <cstdint>

#ifndef WAVE_FORMAT_XBOX_ADPCM
#define WAVE_FORMAT_XBOX_ADPCM 0x0069
#endif

// Names the SDK defines as macros that the code above uses as its own.
#undef MessageBox
#undef GetMessage
#undef PostThreadMessage
#undef SetWindowText
