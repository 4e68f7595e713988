// ConsoleTerminal: termios settings saved once and put back by the teardown, by atexit and by the
// signal handlers; only async-signal-safe calls on the restoring path.
#include "platform/ConsoleTerminal.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <pthread.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

namespace {

struct termios g_Saved;               // written before g_Descriptor makes it visible
std::atomic<int> g_Descriptor{-1};    // the terminal in key mode, -1 none
std::atomic<bool> g_AtExitSet{false};

void RestoreAtExit() { Platform::RestoreConsoleTerminal(); }

}  // namespace

namespace Platform {

bool EnterConsoleKeyMode(int descriptor)
{
    if (g_Descriptor.load() >= 0 || isatty(descriptor) != 1)
        return false;
    // A server started in the background ("scifiserver &") would be stopped by SIGTTOU for
    // changing the terminal; its keys go to the shell anyway. (-1: not this process's controlling
    // terminal, which it may change freely.)
    const pid_t foreground = tcgetpgrp(descriptor);
    if (foreground >= 0 && foreground != getpgrp())
        return false;
    struct termios settings;
    if (tcgetattr(descriptor, &settings) != 0)
        return false;
    g_Saved = settings;
    settings.c_lflag &= tcflag_t(~(ICANON | ECHO | ECHONL));
    settings.c_lflag |= ISIG;  // Ctrl-C stays SIGINT
    settings.c_cc[VMIN] = 1;
    settings.c_cc[VTIME] = 0;
    if (!g_AtExitSet.exchange(true))
        std::atexit(RestoreAtExit);
    g_Descriptor.store(descriptor);
    if (tcsetattr(descriptor, TCSANOW, &settings) != 0) {
        g_Descriptor.store(-1);
        return false;
    }
    return true;
}

void RestoreConsoleTerminal()
{
    const int descriptor = g_Descriptor.exchange(-1);
    if (descriptor < 0)
        return;
    // Moved to the background meanwhile (Ctrl-Z, bg), the change would stop the process with
    // SIGTTOU at its very end; held back, the change is allowed.
    sigset_t hold;
    sigset_t old;
    sigemptyset(&hold);
    sigaddset(&hold, SIGTTOU);
    pthread_sigmask(SIG_BLOCK, &hold, &old);
    while (tcsetattr(descriptor, TCSANOW, &g_Saved) != 0 && errno == EINTR) {}
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
}

bool IsConsoleKeyModeOn() { return g_Descriptor.load() >= 0; }

}  // namespace Platform
