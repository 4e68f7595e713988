// DedicatedServer: the headless server's run from command line to teardown: the log, the game
// and server configurations, the graphics object, the controller and the state manager, the
// inits, the listening port, the level and difficulty, the game state and the state manager's
// loop, then the teardown in reverse order. Every way out ends with a clear line and an exit code.
#pragma once
#include "server/ServerCommandLine.h"

#include <cstdint>
#include <functional>

class ConfigFileReader;
class GameServer;
class SciFiGameCtrl;
class SciFiGameServer;

namespace DedicatedServer {

constexpr float kStepSeconds = 1.0f / 30.0f;

// Exit codes of the program.
constexpr int32_t kExitStopped = 0;     // ESC, a stop signal, the end of the game, an end flag, a counted run done, "/?"
constexpr int32_t kExitFailed = 1;      // the server could not start, or an error ended the run
constexpr int32_t kExitBadCommandLine = 2;
constexpr int32_t kExitSignalBase = 128;  // + n: a second stop signal n ended a stop at once

ServerCommandLine ParseCommandLine(int argc, const char* const* argv);

// The whole run in the current directory (the game directory); the process exit code.
int32_t Run(const ServerCommandLine& commandLine);

// Asks a running loop to end after its current step (signal handlers call it).
void RequestStop();

// Told the name of each part as the teardown releases it: "state manager", "controller",
// "graphics object", "server configuration" (null: nobody is told).
void SetTeardownObserver(std::function<void(const char* part)> observer);
// Told after each start-up step, before its test for a stop signal: "controller", "game init",
// "network", "game state" (null: nobody is told).
void SetStartUpObserver(std::function<void(const char* step)> observer);

// The game state of the run on a controller the caller made, without a state manager: InitGame,
// then EnterGame.
void StartGame(SciFiGameServer& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);
// The database and the controller's two inits.
void InitGame(SciFiGameCtrl& ctrl);
// Listens on "ListenPort" of the server configuration. A port outside 1..65535, or one that cannot
// be opened, prints "NetNode error: %s" with the reason and the port and answers false.
bool StartListening(GameServer& ctrl, ConfigFileReader& serverConfig);
// The level of the command line, else "Level" of the server configuration, becomes the
// controller's start level; then the difficulty.
void SelectLevelAndDifficulty(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);
// A player's own game before it joins a server (the bot's), started as the server's game state
// starts one: InitGame, the level and difficulty, the AI's input and a local hero's after it
// (unless the command line asks for none), the skills and a new game.
void StartClientGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);
// StartClientGame after InitGame.
void EnterClientGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);
// SelectLevelAndDifficulty, then the game state's start as the state manager enters it (with the
// command line's "--hero").
void EnterGame(SciFiGameServer& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig);

// Passes of the game state of the given seconds on a controller without a state manager, until
// the count is done (-1: until stopped or until the server asks to stop), paced by the clock
// only when it runs until stopped.
void RunFrames(SciFiGameCtrl& ctrl, int32_t frames, float step = kStepSeconds);

}  // namespace DedicatedServer
