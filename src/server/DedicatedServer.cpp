// DedicatedServer: the command line, the start-up in its fixed order (the log lines mark the
// steps), the frame loop and the teardown of the headless server.
#include "server/DedicatedServer.h"

#include "base/ConfigFileReader.h"
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/String.h"
#include "engine/gfx/DXC_Gfx.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "server/ServerInputs.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {

const char* const kLogFile = "serverlog.txt";
const char* const kGameConfigFile = "cfg\\game.cfg";
const char* const kServerConfigFile = "cfg\\server.cfg";
constexpr int32_t kDefaultListenPort = 6705;

std::atomic<bool> g_StopRequested{false};

void ConsolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ConsolePrintf(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    std::printf("%s\n", buffer);
    std::fflush(stdout);
}

// The error that ended the run, on the console and in the log alike.
void ReportFatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ReportFatal(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    ConsolePrintf("ERROR: %s", buffer);
    Log::Write("ERROR: %s", buffer);
}

// Console and log alike, through the server's printer.
void PrintMessage(const char* text) { GameServer::PrintMessage("%s", text); }

void PrintUsage()
{
    static const char* const kLines[] = {
        "=================================",
        "   Korva dedicated server        ",
        "=================================\n",
        "Options: [level.cfg] [Options]",
        "/? ............. help ",
        "/DIFF=n ........ sets the game difficulty number (1, 2, or 3)",
        "/NAME=\"name\" ... sets the server name",
        "/MAXPL=n ... sets the maximum number of players on the server (default=3)",
        "--frames n ..... runs n frames and exits",
        "--hero ......... starts the level with a hero of the server's own",
    };
    for (const char* line : kLines)
        PrintMessage(line);
}

// The value after "KEY=" or "KEY:" (any letter case); null when the argument is another one.
const char* SwitchValue(const String& argument, const char* key)
{
    if (!argument.StartsWithNoCase(key))
        return nullptr;
    const char* rest = argument.c_str();
    for (const char* k = key; *k; ++k)
        ++rest;  // past the key, which the argument starts with
    return (*rest == '=' || *rest == ':') ? rest + 1 : nullptr;
}

bool ParseNumber(const char* text, int32_t& value)
{
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (!*text || *end || number < -1000000 || number > 1000000)
        return false;
    value = int32_t(number);
    return true;
}

}  // namespace

namespace DedicatedServer {

ServerCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    ServerCommandLine result;
    for (int i = 1; i < argc; ++i) {
        const String argument(argv[i]);
        const char* value = nullptr;
        if (argument.EqualsNoCase("/?")) {
            result.usage = true;
        } else if (argument.EqualsNoCase("--frames")) {
            if (i + 1 >= argc || !ParseNumber(argv[i + 1], result.frames) || result.frames < 0) {
                result.error = "--frames needs a count of 0 or more";
                return result;
            }
            ++i;
        } else if (ServerInputs::IsHeroSwitch(argv[i])) {
            result.hero = true;
        } else if ((value = SwitchValue(argument, "/MAXPL"))) {
            ParseNumber(value, result.maxPlayers);
        } else if ((value = SwitchValue(argument, "/DIFF"))) {
            ParseNumber(value, result.difficulty);
        } else if ((value = SwitchValue(argument, "/NAME"))) {
            result.serverName = value;
        } else if (result.levelFile.empty() && argv[i][0] > ' ' && argv[i][0] != '-' && argv[i][0] != '/') {
            result.levelFile = argv[i];
        }
    }
    result.difficulty = std::max(1, std::min(3, result.difficulty));
    return result;
}

void RequestStop() { g_StopRequested.store(true); }

void RunFrames(SciFiGameCtrl& ctrl, int32_t frames, float step)
{
    const auto period = std::chrono::duration<double>(step);
    auto next = std::chrono::steady_clock::now();
    for (int32_t done = 0; frames < 0 || done < frames; ++done) {
        if (g_StopRequested.load() || ctrl.IsServerStopRequested())
            break;
        ctrl.UpdateGameState(step);
        ctrl.DrawGameState();
        if (frames < 0) {  // a counted run is a test: it does not wait for the clock
            next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(period);
            std::this_thread::sleep_until(next);
        }
    }
}

void InitGame(SciFiGameCtrl& ctrl)
{
    ctrl.OpenLocalisationDB();
    PrintMessage("Engine init");
    ctrl.EngineInit(1);
    PrintMessage("Game init");
    ctrl.Init();
}

void StartListening(GameServer& ctrl, ConfigFileReader& serverConfig)
{
    int32_t port = kDefaultListenPort;
    serverConfig.GetInt("ListenPort", port);
    PrintMessage("Starting network server");
    try {  // a server that cannot listen still runs its game
        if (!ctrl.StartNetworkServer(port))
            GameServer::PrintMessage("NetNode error: %s", ctrl.GetLastNetworkError().c_str());
    } catch (const ErrorMsg& error) {
        GameServer::PrintMessage("NetNode error: %s", error.message);
    }
}

void StartGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    InitGame(ctrl);
    EnterGame(ctrl, commandLine, serverConfig);
}

void EnterGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    String level(commandLine.levelFile.c_str());
    if (level.IsEmpty() && serverConfig.GetString("Level", level) != 0)
        ConsolePrintf("Level entry in 'server.cfg' missing");
    char line[128];
    std::snprintf(line, sizeof(line), "Setting difficulty mode to %i", int(commandLine.difficulty));
    PrintMessage(line);
    ctrl.SetDifficulty(commandLine.difficulty, 1, 1);
    // The game state: its input controllers first, so that a local one makes the level's hero,
    // then a new game on the level; the players' creatures come with their clients.
    ServerInputs::Register(ctrl, commandLine.hero);
    // The skills before the new game: the players' characters are built with them. A listening
    // server reads every class's skills.
    ctrl.LoadSkills();
    ctrl.StartNewGame(level.c_str());
    PrintMessage("STATE_GAME initialized");
}

int32_t Run(const ServerCommandLine& commandLine)
{
    if (commandLine.usage) {
        PrintUsage();
        return 0;
    }
    if (!commandLine.error.empty()) {
        ConsolePrintf("ERROR: %s", commandLine.error.c_str());
        return 2;
    }
    Log::SetFileName(kLogFile);
    ConfigFileReader& gameConfig = GetGameConfig();
    if (gameConfig.Load(kGameConfigFile) != 0)
        ConsolePrintf("cfgLoader Error: %s", gameConfig.GetErrorText());
    Log::Write("game.cfg loaded");

    int32_t exitCode = 0;
    std::unique_ptr<DXC_Gfx> gfx;
    std::unique_ptr<SciFiGameCtrl> ctrl;
    ConfigFileReader serverConfig;
    try {
        gfx = std::make_unique<DXC_Gfx>();
        g_Gfx = gfx.get();
        serverConfig.Load(kServerConfigFile);
        gfx->SetDedicatedMode(1);
        PrintMessage("=================================");
        PrintMessage("   Korva dedicated server v1.1   ");
        PrintMessage("=================================\n");
        PrintMessage("Creating GameCtrl class");
        ctrl = std::make_unique<SciFiGameCtrl>();
        ctrl->ReadServerConfig(serverConfig);
        GameServer::PrintMessage("Setting server name to '%s'", commandLine.serverName.c_str());
        ctrl->SetServerName(commandLine.serverName.c_str());
        ctrl->SetMaxPlayers(commandLine.maxPlayers);
        const GameServer::TimingInfo timing = ctrl->GetTimingInfo();
        InitGame(*ctrl);
        StartListening(*ctrl, serverConfig);
        EnterGame(*ctrl, commandLine, serverConfig);

        // A counted run is a test of the game: its world steps as if a player were in it, and so
        // does a server with a hero of its own.
        ctrl->SetRunWorldWithoutClients(commandLine.frames >= 0 || commandLine.hero);
        PrintMessage("Running main loop");
        RunFrames(*ctrl, commandLine.frames, 1.0f / timing.maxFPS);
        ctrl->LeaveGameState();  // the end of the loop leaves the game state
    } catch (const ErrorMsg& error) {
        ReportFatal("%s: %s", error.className, error.message);
        exitCode = 1;
    } catch (const DXC_Error& error) {
        ReportFatal("%s: %s", error.className, error.message);
        exitCode = 1;
    } catch (const std::exception& error) {
        ReportFatal("%s", error.what());
        exitCode = 1;
    } catch (...) {
        // a script's own abort or anything else thrown: still a clean end, never a signal
        ReportFatal("%s", "unknown error");
        exitCode = 1;
    }
    ctrl.reset();
    if (g_Gfx == gfx.get())
        g_Gfx = nullptr;
    gfx.reset();
    return exitCode;
}

}  // namespace DedicatedServer
