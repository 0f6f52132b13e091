// What the desktop program asks of the system it starts on, before and around its first window.
#pragma once

#include <string>

// Shows the answer to --help or --version, or a command-line error when `error`: on standard
// output (standard error), as the text the program printed. A Windows program has no console
// of its own: it writes into the console it was started from, or to where its output is
// redirected, or else shows the text in a message box.
void ShowStartupText(const std::string& text, bool error);

// Empty when a window can be opened; else why not, for the user ("no display (...)").
std::string MissingDisplay();
// The window system in use, for a message saying it could not be opened.
std::string DisplayDescription();

// True when files can be created in `folder`.
bool FolderWritable(const std::string& folder);

// The user's own folder for files the program writes when its current folder is not writable:
// $HOME on Linux, the Documents folder on Windows. Empty when there is none.
std::string UserDocumentsFolder();
