// Log: the program-wide text log. Every line is opened, appended and closed in the directory
// that was current at the first line, and carries "(Time:%.2f, free sysmem:%i)".
#pragma once
#include <cstdarg>
#include <cstdint>

namespace Log {

constexpr int32_t kMaxLines = 500000;
constexpr int32_t kLineSize = 1024;  // a line with its suffix, terminator included

// printf-style; one line. Thread-safe (worker threads report through it).
void Write(const char* format, ...) __attribute__((format(printf, 1, 2)));
void WriteV(const char* format, va_list args);

// The log file's name (at most 127 characters), "logfile.txt" until set.
void SetFileName(const char* name);
const char* GetFileName();

// Called with every finished line (suffix and newline included); the game controller installs it.
using EchoHook = void (*)(const char* line);
void SetEchoHook(EchoHook hook);
EchoHook GetEchoHook();

int32_t GetLineCount();
const char* GetDirectory();  // absolute; empty until the first line

// Starts a new run: the next line empties the file and fixes directory and start time again.
void Restart();
// For tests of the line cap: pretend that many lines were written.
void SetLineCountForTest(int32_t count);

}  // namespace Log
