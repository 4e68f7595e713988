// Console: standard input polled without waiting, one byte at a time.
#include "platform/Console.h"

#include <atomic>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_InputEnded{false};

}  // namespace

namespace Platform {

bool ConsoleKeyWaiting()
{
    if (g_InputEnded.load())
        return false;
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, 0) <= 0)
        return false;
    if (input.revents & (POLLERR | POLLNVAL)) {
        g_InputEnded.store(true);
        return false;
    }
    return (input.revents & (POLLIN | POLLHUP)) != 0;
}

int ConsoleReadKey()
{
    if (!ConsoleKeyWaiting())
        return -1;
    unsigned char byte = 0;
    const ssize_t n = read(STDIN_FILENO, &byte, 1);
    if (n <= 0) {
        g_InputEnded.store(true);  // end of input: it would be "waiting" for ever
        return -1;
    }
    return byte;
}

bool ConsoleIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void ConsoleWaitKey()
{
    if (g_InputEnded.load())
        return;
    unsigned char byte = 0;
    if (read(STDIN_FILENO, &byte, 1) <= 0)
        g_InputEnded.store(true);
}

}  // namespace Platform
