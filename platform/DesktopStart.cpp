#include "platform/DesktopStart.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void ShowStartupText(const std::string& text, bool error) {
  std::FILE* out = error ? stderr : stdout;
  std::fwrite(text.data(), 1, text.size(), out);
  std::fflush(out);
}

std::string MissingDisplay() {
  if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM")) return {};
  return "no display (neither DISPLAY nor WAYLAND_DISPLAY is set)";
}

std::string DisplayDescription() {
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return std::string("DISPLAY=") + (display ? display : "") + ", WAYLAND_DISPLAY=" + (wayland ? wayland : "");
}

bool FolderWritable(const std::string& folder) { return access(folder.c_str(), W_OK) == 0; }

std::string UserDocumentsFolder() {
  const char* home = std::getenv("HOME");
  return home ? home : "";
}
