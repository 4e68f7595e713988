// DedicatedServer: the headless server's run from command line to teardown: the log, the game
// configuration, the database, the engine controller and its two inits, then the frame loop.
#pragma once
#include <cstdint>
#include <string>

class ConfigFileReader;
class GameServer;
class SciFiGameCtrl;

struct ServerCommandLine {
    std::string levelFile;     // the first argument that is no switch; empty: "Level" of the server configuration
    int32_t difficulty = 1;    // "/DIFF=n", clamped to 1..3
    int32_t maxPlayers = 3;    // "/MAXPL=n"
    std::string serverName = "Dedicated";  // "/NAME=name"
    int32_t frames = -1;       // "--frames N": run that many steps and end; -1 until stopped
    bool usage = false;        // "/?"
    bool hero = false;         // "--hero": a local input, so that the level start makes a hero
    std::string error;         // a malformed argument; the run does not start
};

namespace DedicatedServer {

constexpr float kStepSeconds = 1.0f / 30.0f;

ServerCommandLine ParseCommandLine(int argc, const char* const* argv);

// The whole run in the current directory (the game directory); the process exit code.
int32_t Run(const ServerCommandLine& commandLine);

// Asks a running loop to end after its current step (signal handlers call it).
void RequestStop();

// The game state of the run on a controller the caller made: InitGame, then EnterGame.
void StartGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);
// The database and the controller's two inits.
void InitGame(SciFiGameCtrl& ctrl);
// Listens on "ListenPort" of the server configuration; a server that cannot listen says so
// ("NetNode error: %s") and runs on.
void StartListening(GameServer& ctrl, ConfigFileReader& serverConfig);
// The difficulty, the input controllers and a new game on the level of the command line or of the
// server configuration.
void EnterGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);

// The frame loop: passes of the game state of the given seconds until the count is done (-1:
// until stopped or until the server asks to stop), paced by the clock only when it runs until
// stopped.
void RunFrames(SciFiGameCtrl& ctrl, int32_t frames, float step = kStepSeconds);

}  // namespace DedicatedServer
