// BotProgram: the bot program's command line and its run: one bot in this process on its game
// directory, or several, each a process of its own on a copy of the directory (the controller is
// one per process).
#pragma once
#include <cstdint>
#include <string>

struct BotCommandLine {
    std::string host = "127.0.0.1";  // the first argument that is no switch
    int32_t port = -1;               // "--port N"; -1: "serverPort" of the game directory
    std::string gameDir = ".";       // "--dir PATH"
    int32_t count = 1;               // "--count N": bots, each a process
    double seconds = 20.0;           // "--seconds S": in the running game, then goodbye
    std::string namePrefix = "Bot";  // "--name PREFIX": the players are PREFIX1, PREFIX2, ...
    std::string character;           // "--character ID": the character to play; empty: the server's
    int32_t index = 1;               // "--index N": which bot this process is
    int32_t others = -1;             // "--others N": other bots to see moving; -1: count - 1
    std::string error;               // a malformed argument; nothing runs
};

namespace BotProgram {

constexpr float kStepSeconds = 1.0f / 30.0f;
constexpr double kConnectSeconds = 20.0;  // a server still starting gets this long
constexpr double kJoinSeconds = 60.0;
constexpr double kChildGraceSeconds = 120.0;  // beyond its own time, before a bot is killed

BotCommandLine ParseCommandLine(int argc, const char* const* argv);
// The process exit code: 0 every bot met its goals, 1 one missed a goal, 2 no run.
int32_t Run(const BotCommandLine& commandLine);
// Asks a running bot to say goodbye and end (signal handlers call it).
void RequestStop();

}  // namespace BotProgram
