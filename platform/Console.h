// The console programs' standard streams.
#pragma once

// Makes standard output and error carry the program's bytes unchanged: UTF-8 text with '\n'
// line ends, shown as UTF-8 by a console. Called first thing in main.
void PrepareConsole();
