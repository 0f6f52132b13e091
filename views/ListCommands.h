// The commands of a sound list's context menu and the switches they share.
#pragma once

#include <cstdint>

enum : int {
  ID_CLOSE_CHILD = 32756,
  ID_EXTRACT = 32757,
  ID_EXTRACT_RAW = 32758,
  ID_PLAY = 32759,
  ID_STOP = 32760,
  ID_AUTOPLAY = 32761,
  ID_FILTER = 32762,
};

// Commands a list does not offer (a list's nDisabled).
enum : uint32_t { LIST_NO_EXTRACT = 1, LIST_NO_PLAY = 2, LIST_NO_FILTER = 4 };

// Autoplay: a left click on a row plays it. Shared by every list; off at start.
inline uint8_t g_bAutoplay = 0;
