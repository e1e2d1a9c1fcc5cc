// The console pause at the end of the run, so that a console window stays open.
#pragma once

// Hands "PAUSE" to the command interpreter. Where no such command exists (a POSIX shell has
// none), the console's own prompt is shown and one key press awaited instead, but only when
// standard input is a terminal and the program is in its foreground: scripts, pipes and
// background jobs never wait and see nothing. The terminal's settings are restored however the
// wait ends, an interrupting signal included.
void pauseConsole();
