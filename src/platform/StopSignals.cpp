// StopSignals: sigaction handlers that only touch lock-free atomics and call async-signal-safe
// functions (tcsetattr, write, _exit).
#include "platform/StopSignals.h"

#include "platform/ConsoleOutput.h"
#include "platform/ConsoleTerminal.h"

#include <atomic>
#include <signal.h>
#include <unistd.h>

namespace {

std::atomic<int32_t> g_Signal{0};    // the first stop signal, until taken
std::atomic<int32_t> g_Received{0};  // stop signals so far
std::atomic<bool> g_Taken{false};

static_assert(std::atomic<int32_t>::is_always_lock_free, "a signal handler may touch only lock-free atomics");

void HandleStopSignal(int signal)
{
    if (g_Received.fetch_add(1) > 0) {  // the host insists: no orderly stop any more
        Platform::RestoreConsoleTerminal();
        Platform::ConsoleEndLine();
        _exit(128 + signal);
    }
    g_Signal.store(signal);
}

void Catch(int signal)
{
    struct sigaction action = {};
    action.sa_handler = HandleStopSignal;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a network thread's blocking call must not see an error because the
    // signal happened to land on its thread.
    action.sa_flags = SA_RESTART;
    sigaction(signal, &action, nullptr);
}

}  // namespace

namespace Platform {

void InstallStopSignals()
{
    Catch(SIGINT);
    Catch(SIGTERM);
    struct sigaction old = {};
    if (sigaction(SIGHUP, nullptr, &old) == 0 && old.sa_handler != SIG_IGN)
        Catch(SIGHUP);
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGPIPE, &ignore, nullptr);
}

int32_t TakeStopSignal()
{
    const int32_t signal = g_Signal.load();
    if (signal == 0 || g_Taken.exchange(true))
        return 0;
    return signal;
}

bool IsStopSignalled() { return g_Received.load() > 0; }

const char* StopSignalName(int32_t signal)
{
    switch (signal) {
    case SIGINT: return "SIGINT";
    case SIGTERM: return "SIGTERM";
    case SIGHUP: return "SIGHUP";
    default: return "signal";
    }
}

}  // namespace Platform
