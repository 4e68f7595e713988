// ConsoleOutput: the program's console on standard output: every text written and flushed at once
// (under systemd or nohup the output is a pipe or a file, which would otherwise hold it back), and
// the line end that the last line may still owe when the program ends.
#pragma once

namespace Platform {

void ConsoleWrite(const char* text);
// Writes a line break when the last text written did not end with one. Async-signal-safe: the
// second stop signal calls it before the process ends.
void ConsoleEndLine();

}  // namespace Platform
