#include "platform/SettingsStore.h"

// The settings are the registry's values, read one at a time: no file to be damaged.
bool SettingsReadableWhole() { return true; }
