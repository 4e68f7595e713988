// Console: the console input of the server: whether a key waits and reading it, without blocking.
#pragma once

namespace Platform {

// A byte waiting on standard input. The end of the input (a closed pipe, /dev/null) is no key and
// is never reported again.
bool ConsoleKeyWaiting();
// The waiting byte, or -1 when none waits.
int ConsoleReadKey();

}  // namespace Platform
