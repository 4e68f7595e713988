// Console: the console input of the server: whether a key waits and reading it, without blocking.
#pragma once

namespace Platform {

// A byte waiting on standard input. The end of the input (a closed pipe, /dev/null) is no key and
// is never reported again.
bool ConsoleKeyWaiting();
// The waiting byte, or -1 when none waits.
int ConsoleReadKey();
// Standard input is a terminal (a person may press a key), not a pipe, a file or nothing.
bool ConsoleIsTerminal();
// Waits for one byte on standard input, or its end, and takes it.
void ConsoleWaitKey();

}  // namespace Platform
