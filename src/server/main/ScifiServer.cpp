// The headless server program: runs in the game directory until its frame count is done or
// SIGINT/SIGTERM asks it to stop.
#include "server/DedicatedServer.h"

#include <csignal>

namespace {

extern "C" void OnStopSignal(int) { DedicatedServer::RequestStop(); }

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    return DedicatedServer::Run(DedicatedServer::ParseCommandLine(argc, argv));
}
