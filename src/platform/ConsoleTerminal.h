// ConsoleTerminal: the console's terminal in key mode while the server runs: each key arrives at
// once and is not echoed, while Ctrl-C still sends SIGINT; the settings found at start come back
// on every way out.
#pragma once

namespace Platform {

// Puts the terminal of the descriptor (standard input by default) into key mode: no echo, no line
// buffering, signals on. False, and nothing changed, when it is no terminal (a pipe, a file,
// /dev/null) or key mode is on already. The first call also restores the terminal at exit.
bool EnterConsoleKeyMode(int descriptor = 0);
// Gives the terminal its settings of EnterConsoleKeyMode back; nothing when key mode is off.
// Async-signal-safe.
void RestoreConsoleTerminal();
bool IsConsoleKeyModeOn();

}  // namespace Platform
