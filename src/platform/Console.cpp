// Console: standard input polled without waiting, one byte at a time; a terminal's key sequences
// are told from a lone ESC by the bytes that follow it at once.
#include "platform/Console.h"

#include "platform/StopSignals.h"

#include <atomic>
#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace {

std::atomic<bool> g_InputEnded{false};

// A terminal sends a key sequence in one write: its bytes follow the ESC within this time, while
// a person's next key comes far later.
constexpr int kSequenceGapMs = 30;
constexpr int kMaxSequenceBytes = 32;  // a longer one is cut: the rest reads as ignored keys
constexpr int kWaitSliceMs = 100;

// The next byte if one arrives within the time, else -1.
int ReadByteWithin(int timeoutMs)
{
    pollfd input{STDIN_FILENO, POLLIN, 0};
    if (poll(&input, 1, timeoutMs) <= 0 || !(input.revents & POLLIN))
        return -1;
    unsigned char byte = 0;
    if (read(STDIN_FILENO, &byte, 1) != 1)
        return -1;
    return byte;
}

// After ESC: '[' and its parameters up to the final byte (0x40-0x7E), or 'O' and one byte.
int ReadAfterEscape()
{
    const int next = ReadByteWithin(kSequenceGapMs);
    if (next != '[' && next != 'O')
        return Platform::kConsoleEscape;  // a lone ESC (or ESC with a plain key: still ESC)
    if (next == 'O') {
        ReadByteWithin(kSequenceGapMs);
        return Platform::kConsoleKeySequence;
    }
    for (int i = 0; i < kMaxSequenceBytes; ++i) {
        const int byte = ReadByteWithin(kSequenceGapMs);
        if (byte < 0 || (byte >= 0x40 && byte <= 0x7E))
            break;
    }
    return Platform::kConsoleKeySequence;
}

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
        if (n < 0 && errno == EINTR)
            return -1;
        g_InputEnded.store(true);  // end of input: it would be "waiting" for ever
        return -1;
    }
    if (byte == kConsoleEscape && ConsoleIsTerminal())
        return ReadAfterEscape();
    return byte;
}

bool ConsoleIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void ConsoleWaitKey()
{
    while (!g_InputEnded.load() && !IsStopSignalled()) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        const int ready = poll(&input, 1, kWaitSliceMs);
        if (ready < 0 && errno != EINTR) {
            g_InputEnded.store(true);
            return;
        }
        if (ready <= 0)
            continue;
        if (input.revents & (POLLERR | POLLNVAL)) {
            g_InputEnded.store(true);
            return;
        }
        unsigned char byte = 0;
        const ssize_t n = read(STDIN_FILENO, &byte, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            g_InputEnded.store(true);
        return;
    }
}

}  // namespace Platform
