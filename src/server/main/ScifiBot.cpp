// The bot program: joins a server as players do and tests it end to end (see BotProgram).
#include "server/BotProgram.h"

#include <csignal>

namespace {

extern "C" void OnStopSignal(int) { BotProgram::RequestStop(); }

}  // namespace

int main(int argc, char** argv)
{
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    return BotProgram::Run(BotProgram::ParseCommandLine(argc, argv));
}
