// The Extract and Extract Raw commands of a sound list.
#pragma once

class CSoundListCtrl;

// Extracts the list's selected rows into the extraction folder, decoded to PCM WAVE (raw
// false) or as stored (raw true), under a progress window; ends with the count box.
void ExtractSelected(CSoundListCtrl* list, bool raw);
