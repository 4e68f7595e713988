// ConsoleOutput: standard output through stdio, flushed after every text, with the open-line state
// kept in an atomic so that a signal handler may end the line with a bare write.
#include "platform/ConsoleOutput.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

std::atomic<bool> g_LineOpen{false};  // the last text written did not end with a line break

}  // namespace

namespace Platform {

void ConsoleWrite(const char* text)
{
    const size_t length = std::strlen(text);
    if (length == 0)
        return;
    g_LineOpen.store(true);  // before the bytes: a signal in between ends the line rather than miss it
    std::fwrite(text, 1, length, stdout);
    std::fflush(stdout);
    g_LineOpen.store(text[length - 1] != '\n');
}

void ConsoleEndLine()
{
    if (!g_LineOpen.exchange(false))
        return;
    const char lineEnd = '\n';
    while (write(STDOUT_FILENO, &lineEnd, 1) < 0 && errno == EINTR) {}
}

}  // namespace Platform
