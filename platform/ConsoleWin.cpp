#include "platform/Console.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

#include "platform/WinTypes.h"

void PrepareConsole() {
  SetConsoleOutputCP(CP_UTF8);
  // Text mode would turn each '\n' into "\r\n".
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}
