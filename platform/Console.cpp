#include "platform/Console.h"

// The streams already pass bytes through unchanged.
void PrepareConsole() {}
