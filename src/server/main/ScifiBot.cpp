// The bot program: joins a server as players do and tests it end to end (see BotProgram).
#include "platform/StopSignals.h"
#include "server/BotProgram.h"

int main(int argc, char** argv)
{
    // The server's own stop signals: the first ends the run in order, a second ends it at once.
    Platform::InstallStopSignals();
    return BotProgram::Run(BotProgram::ParseCommandLine(argc, argv));
}
