// The file that holds the program's own registry keys:
// $XDG_CONFIG_HOME/quarn-vantor/settings.json, or ~/.config/quarn-vantor/settings.json.
#pragma once

#include <map>
#include <string>

#include "platform/RegistryTypes.h"

// Key path below HKEY_LOCAL_MACHINE ("SOFTWARE\Quarn Vantor") to its values.
typedef std::map<std::string, RegValueMap, RegNameLess> SettingsTree;

// $XDG_CONFIG_HOME when it is an absolute path, else $HOME/.config when HOME is absolute,
// else empty. The environment is read at every call.
std::string UserConfigDirectory();
// The folder and the file of the settings; empty when there is no configuration directory.
std::string SettingsDirectory();
std::string SettingsFilePath();

enum class SettingsState { Absent, Loaded, Damaged, Unreadable };

// Reads the settings file into `tree` (left empty unless Loaded). A damaged or unreadable
// file is reported on standard error, once per process.
SettingsState LoadSettings(SettingsTree& tree);

// False while the settings cannot be read whole (a damaged or unreadable file): then nothing
// but a setting the user chose may replace them. Windows keeps them in the registry, which
// always can be read.
bool SettingsReadableWhole();

// ERROR_SUCCESS when the settings folder exists as a writable directory or can be created.
LONG CheckSettingsWritable();

// Replaces the settings file with `tree`: a temporary file in the same folder, flushed to
// disk, then renamed over the old one, so a crash or a full disk leaves the old file whole.
// Returns a Win32 error code.
LONG SaveSettings(const SettingsTree& tree);
