// The headless server program: runs in the game directory until ESC on its console, a stop signal
// (SIGINT, SIGTERM, SIGHUP), the end of the game or the end of its frame count.
#include "server/DedicatedServer.h"

#include "platform/Clock.h"
#include "platform/ConsoleTerminal.h"
#include "platform/StopSignals.h"

#include <cstdlib>
#include <string>

namespace {

// Test hooks, for the tests of stops that come at a chosen moment: the start-up holds after its
// "game init" step until a stop signal comes (at most the milliseconds given), and the stop holds
// before its teardown for the milliseconds given.
const char* const kHoldStartUpVariable = "SCIFISERVER_TEST_HOLD_STARTUP_MS";
const char* const kHoldStopVariable = "SCIFISERVER_TEST_HOLD_STOP_MS";

int32_t ReadHoldMs(const char* variable)
{
    const char* text = std::getenv(variable);
    if (!text || !*text)
        return 0;
    char* end = nullptr;
    const long ms = std::strtol(text, &end, 10);
    return *end == '\0' && ms > 0 && ms <= 600000 ? int32_t(ms) : 0;
}

void InstallTestHolds()
{
    if (const int32_t ms = ReadHoldMs(kHoldStartUpVariable); ms > 0)
        DedicatedServer::SetStartUpObserver([ms](const char* step) {
            if (std::string(step) != "game init")
                return;
            for (int32_t waited = 0; waited < ms && !Platform::IsStopSignalled(); waited += 10)
                Platform::SleepMs(10);
        });
    if (const int32_t ms = ReadHoldMs(kHoldStopVariable); ms > 0)
        DedicatedServer::SetTeardownObserver([ms](const char* part) {
            if (std::string(part) == "state manager")
                Platform::SleepMs(uint32_t(ms));
        });
}

}  // namespace

int main(int argc, char** argv)
{
    Platform::InstallStopSignals();
    Platform::EnterConsoleKeyMode();  // on a terminal only; restored at every way out
    InstallTestHolds();
    const int exitCode = DedicatedServer::Run(DedicatedServer::ParseCommandLine(argc, argv));
    Platform::RestoreConsoleTerminal();
    return exitCode;
}
