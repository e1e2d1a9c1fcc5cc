// The console pause at the end of the run, so that a console window stays open.
#pragma once

// Hands "PAUSE" to the command interpreter. Where no such command exists (a POSIX shell has
// none), the console's own prompt is shown and a key awaited instead, but only when standard
// input is a terminal: scripts and pipes never wait and see nothing.
void pauseConsole();
