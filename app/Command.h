// Commands sent between windows, as WM_COMMAND carries them: the target's OnCommand(int) slot.
#pragma once

class QObject;

// Calls target->OnCommand(id) now; false when the target has no such slot.
bool SendCommand(QObject* target, int id);
