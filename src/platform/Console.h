// Console: the console input of the server: whether a key waits and reading it, without blocking.
#pragma once

namespace Platform {

constexpr int kConsoleEscape = 27;
// What ConsoleReadKey answers for a terminal's key sequence (an arrow, a function key): ESC
// followed at once by '[' or 'O', read whole, so that its ESC is not taken for the key.
constexpr int kConsoleKeySequence = 0x100;

// A byte waiting on standard input. The end of the input (a closed pipe, /dev/null) is no key and
// is never reported again.
bool ConsoleKeyWaiting();
// The waiting key, or -1 when none waits. On a terminal a lone ESC is kConsoleEscape and a key
// sequence is kConsoleKeySequence; on a pipe every byte is a key, 27 too.
int ConsoleReadKey();
// Standard input is a terminal (a person may press a key), not a pipe, a file or nothing.
bool ConsoleIsTerminal();
// Waits for one byte on standard input, or its end, and takes it; a stop signal ends the wait.
void ConsoleWaitKey();

}  // namespace Platform
