// The process-wide audio controller: null until playback has started, and whenever it
// could not start; its users then do without audio.
#pragma once

class CAudioController;

inline CAudioController* g_pAudio = nullptr;
