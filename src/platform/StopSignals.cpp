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

// A crash must not leave the terminal in key mode either: the terminal and the console line are
// put right, then the signal goes where it went before (the sanitizers' report, or the default end).
constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
struct sigaction g_Previous[NSIG];

void HandleFatalSignal(int signal, siginfo_t* info, void* context)
{
    Platform::RestoreConsoleTerminal();
    Platform::ConsoleEndLine();
    const struct sigaction& previous = g_Previous[signal];
    if ((previous.sa_flags & SA_SIGINFO) && previous.sa_sigaction) {
        previous.sa_sigaction(signal, info, context);
        return;
    }
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    }
    struct sigaction fallback = {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    raise(signal);  // pending until the handler returns, then the default end
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
    for (const int signal : kFatalSignals) {
        struct sigaction action = {};
        action.sa_sigaction = HandleFatalSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO | SA_ONSTACK;  // a sanitizer's handler may run on its own stack
        sigaction(signal, &action, &g_Previous[signal]);
    }
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
