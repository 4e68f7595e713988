// DedicatedServer: the start-up in its fixed order (the console and log lines mark the steps),
// the state manager's loop and the teardown of the headless server, with the exit code of each
// way out.
#include "server/DedicatedServer.h"

#include "base/ConfigFileReader.h"
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/String.h"
#include "engine/gfx/DXC_Gfx.h"
#include "platform/Console.h"
#include "platform/ConsoleOutput.h"
#include "platform/ProcessPriority.h"
#include "platform/SteppingClock.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "server/GameCtrlHolder.h"
#include "server/SciFiGameServer.h"
#include "server/SciFiGameStateManager.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>

namespace {

const char* const kLogFile = "serverlog.txt";
const char* const kGameConfigFile = "cfg\\game.cfg";
const char* const kServerConfigFile = "cfg\\server.cfg";
constexpr int32_t kDefaultListenPort = 6705;
constexpr int kAboveNormalNice = -5;

std::function<void(const char*)> g_TeardownObserver;
std::function<void(const char*)> g_StartUpObserver;

// The console alone, with a line end; nothing goes to the log.
void ConsolePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void ConsolePrintf(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    Platform::ConsoleWrite(buffer);
    Platform::ConsoleWrite("\n");
}

// Console and log alike, through the server's printer.
void PrintMessage(const char* text) { GameServer::PrintMessage("%s", text); }

// The console alone: asking for help writes no log file.
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
        GameServer::PrintConsoleOnly(line);
    Platform::ConsoleEndLine();
}

void PrintNetNodeError(const char* reason, int32_t port)
{
    GameServer::PrintMessage("NetNode error: %s (port %d)", reason, int(port));
}

// The owners of one run, released by Teardown in the order the start-up does not need them.
class ServerMain {
public:
    explicit ServerMain(const ServerCommandLine& commandLine) : m_Line(commandLine) {}
    ~ServerMain() { Teardown(); }
    ServerMain(const ServerMain&) = delete;
    ServerMain& operator=(const ServerMain&) = delete;

    int32_t Run();

private:
    enum class StartUpResult { kStarted, kFailed, kStopped };
    StartUpResult StartUp();  // kFailed: the server could not start; the reason is printed
    // A stop signal after a start-up step: the stop line, and the rest of the start-up is skipped.
    bool StopAfterStep(const char* step);
    void RunLoop();
    void TellClientsServerStops();
    void Teardown();
    void ReportFatal(const char* className, const char* message);
    void Released(const char* part);

    const ServerCommandLine& m_Line;
    StateManagerHolder m_StateManager;
    GameCtrlHolder m_Ctrl;
    std::unique_ptr<DXC_Gfx> m_Gfx;
    std::unique_ptr<ConfigFileReader> m_ServerConfig;
    bool m_ErrorReported = false;
};

int32_t ServerMain::Run()
{
    // Every error ends the run here, whatever layer raised it: an error line, the teardown of
    // what exists and a failing exit code, never a signal.
    int32_t exitCode = DedicatedServer::kExitStopped;
    try {
        const StartUpResult started = StartUp();
        if (started == StartUpResult::kStarted)
            RunLoop();
        else if (started == StartUpResult::kFailed)
            exitCode = DedicatedServer::kExitFailed;
    } catch (const ErrorMsg& error) {
        ReportFatal(error.className, error.message);
        exitCode = DedicatedServer::kExitFailed;
    } catch (const DXC_Error& error) {
        ReportFatal(error.className, error.message);
        exitCode = DedicatedServer::kExitFailed;
    } catch (const std::exception& error) {
        ReportFatal(nullptr, error.what());
        exitCode = DedicatedServer::kExitFailed;
    } catch (...) {
        ReportFatal(nullptr, "unknown error");  // a script's own abort or anything else thrown
        exitCode = DedicatedServer::kExitFailed;
    }
    TellClientsServerStops();
    if (m_ErrorReported && Platform::ConsoleIsTerminal())
        Platform::ConsoleWaitKey();  // a person reads the error before the window closes
    Teardown();
    return exitCode;
}

bool ServerMain::StopAfterStep(const char* step)
{
    if (g_StartUpObserver)
        g_StartUpObserver(step);
    return GameServer::TakeStopSignal();
}

// Every way out of a running server, an error too: the clients hear that the host has gone
// before the controller's destructor closes their connections. Nothing is saved.
void ServerMain::TellClientsServerStops()
{
    SciFiGameCtrl* ctrl = m_Ctrl.Get();
    if (!ctrl)
        return;
    // After an error the network node may be half torn: whatever it can still send goes, and a
    // second error here must not keep the teardown from running.
    try {
        ctrl->TellClientsServerStops();
    } catch (const ErrorMsg& error) {
        Log::Write("The clients were not told of the stop: %s", error.message);
    } catch (const DXC_Error& error) {
        Log::Write("The clients were not told of the stop: %s", error.message);
    }
}

ServerMain::StartUpResult ServerMain::StartUp()
{
    Log::SetFileName(kLogFile);
    ConfigFileReader& gameConfig = GetGameConfig();
    if (gameConfig.Load(kGameConfigFile) != 0)
        ConsolePrintf("cfgLoader Error: %s", gameConfig.GetErrorText());
    Log::Write("game.cfg loaded");

    m_Gfx = std::make_unique<DXC_Gfx>();
    g_Gfx = m_Gfx.get();
    m_ServerConfig = std::make_unique<ConfigFileReader>();
    if (m_ServerConfig->Load(kServerConfigFile) != 0)
        ConsolePrintf("Warning: %s not loaded (%s): every server key keeps its default", kServerConfigFile,
                      m_ServerConfig->GetErrorText());
    m_Gfx->SetDedicatedMode(1);  // before the controller exists: its set-up skips the display

    PrintMessage("=================================");
    PrintMessage("   Korva dedicated server v1.1   ");
    PrintMessage("=================================\n");

    PrintMessage("Creating GameCtrl class");
    m_Ctrl.Release();
    SciFiGameServer& ctrl = m_Ctrl.Create();
    ctrl.ReadServerConfig(*m_ServerConfig);

    PrintMessage("Creating state manager");
    m_StateManager.Release();
    SciFiGameStateManager& stateManager = m_StateManager.Create(ctrl);
    stateManager.SuppressDrawing();  // the server never draws

    GameServer::PrintMessage("Setting server name to '%s'", m_Line.serverName.c_str());
    ctrl.SetServerName(m_Line.serverName.c_str());
    ctrl.SetMaxPlayers(m_Line.maxPlayers);
    const GameServer::TimingInfo timing = ctrl.GetTimingInfo();
    stateManager.SetFPSLimits(double(timing.minFPS), double(timing.maxFPS));
    ctrl.SetStateManager(&stateManager);
    if (StopAfterStep("controller"))
        return StartUpResult::kStopped;

    DedicatedServer::InitGame(ctrl);
    if (StopAfterStep("game init"))
        return StartUpResult::kStopped;
    if (!DedicatedServer::StartListening(ctrl, *m_ServerConfig))
        return StartUpResult::kFailed;  // a server that cannot listen serves nobody
    if (StopAfterStep("network"))
        return StartUpResult::kStopped;
    DedicatedServer::SelectLevelAndDifficulty(ctrl, m_Line, *m_ServerConfig);
    ctrl.SetLocalHero(m_Line.hero);
    stateManager.SetState(SciFiGameStateManager::kStateGame);
    PrintMessage("STATE_GAME initialized");
    if (StopAfterStep("game state"))
        return StartUpResult::kStopped;
    return StartUpResult::kStarted;
}

void ServerMain::RunLoop()
{
    SciFiGameServer& ctrl = *m_Ctrl.Get();
    SciFiGameStateManager& stateManager = *m_StateManager.Get();
    PrintMessage("Running main loop");
    // A counted run is a test: it steps a fixed time a pass without waiting, leaves the priority
    // alone, and its world steps as if a player were in it, as does a server with a hero of its
    // own.
    std::optional<Platform::SteppingClock> steppingClock;
    if (m_Line.frames >= 0) {
        steppingClock.emplace(double(DedicatedServer::kStepSeconds));
        stateManager.SetUpdateLimit(m_Line.frames);
    } else {
        std::string reason;
        if (!Platform::SetProcessNice(kAboveNormalNice, &reason))
            Log::Write("Process priority not raised: %s", reason.c_str());
    }
    ctrl.SetRunWorldWithoutClients(m_Line.frames >= 0 || m_Line.hero);
    stateManager.Run();
}

void ServerMain::ReportFatal(const char* className, const char* message)
{
    std::string text = className ? std::string(className) + ": " + message : std::string(message);
    text.resize(std::min<size_t>(text.size(), 1023));
    ConsolePrintf("\nERROR: %s", text.c_str());  // on a line of its own after a half-printed one
    Log::Write("ERROR: %s", text.c_str());
    m_ErrorReported = true;  // the key wait comes once the clients are told
}

void ServerMain::Released(const char* part)
{
    if (g_TeardownObserver)
        g_TeardownObserver(part);
}

void ServerMain::Teardown()
{
    if (m_StateManager.Get()) {
        m_StateManager.Release();
        Released("state manager");
    }
    if (m_Ctrl.Get()) {
        m_Ctrl.Release();  // the network threads stop, the sockets close, the script threads end
        Released("controller");
    }
    if (m_Gfx) {
        if (g_Gfx == m_Gfx.get())
            g_Gfx = nullptr;
        m_Gfx.reset();
        Released("graphics object");
    }
    if (m_ServerConfig) {
        m_ServerConfig.reset();
        Released("server configuration");
    }
}

}  // namespace

namespace DedicatedServer {

ServerCommandLine ParseCommandLine(int argc, const char* const* argv) { return ParseServerCommandLine(argc, argv); }

void RequestStop() { SciFiGameStateManager::RequestStop(); }

void SetTeardownObserver(std::function<void(const char*)> observer) { g_TeardownObserver = std::move(observer); }

void SetStartUpObserver(std::function<void(const char*)> observer) { g_StartUpObserver = std::move(observer); }

void RunFrames(SciFiGameCtrl& ctrl, int32_t frames, float step)
{
    const auto period = std::chrono::duration<double>(step);
    auto next = std::chrono::steady_clock::now();
    for (int32_t done = 0; frames < 0 || done < frames; ++done) {
        if (SciFiGameStateManager::IsStopRequested() || ctrl.IsServerStopRequested())
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

bool StartListening(GameServer& ctrl, ConfigFileReader& serverConfig)
{
    int32_t port = kDefaultListenPort;
    serverConfig.GetInt("ListenPort", port);
    PrintMessage("Starting network server");
    if (port < 1 || port > 65535) {
        PrintNetNodeError("ListenPort is outside 1..65535", port);
        return false;
    }
    try {
        if (ctrl.StartNetworkServer(port))
            return true;
        // A transport error after the listening socket opened (the broadcast connection): the
        // server still serves its players.
        PrintNetNodeError(ctrl.GetLastNetworkError().c_str(), port);
        return ctrl.IsListening();
    } catch (const ErrorMsg& error) {
        const String reason = ctrl.GetNetNode().GetLastErrorText();
        PrintNetNodeError(reason.IsEmpty() ? error.message : reason.c_str(), port);
        return false;
    }
}

void SelectLevelAndDifficulty(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    String level(commandLine.levelFile.c_str());
    if (level.IsEmpty() && serverConfig.GetString("Level", level) != 0)
        ConsolePrintf("Level entry in 'server.cfg' missing");
    if (!level.IsEmpty())
        ctrl.SetStartLevel(level.c_str());
    GameServer::PrintMessage("Setting difficulty mode to %i", int(commandLine.difficulty));
    ctrl.SetDifficulty(commandLine.difficulty, 1, 1);
}

void EnterGame(SciFiGameServer& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    SelectLevelAndDifficulty(ctrl, commandLine, serverConfig);
    ctrl.SetLocalHero(commandLine.hero);
    ctrl.EnterGameState();
    PrintMessage("STATE_GAME initialized");
}

void StartClientGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    InitGame(ctrl);
    EnterClientGame(ctrl, commandLine, serverConfig);
}

void EnterClientGame(SciFiGameCtrl& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    SelectLevelAndDifficulty(ctrl, commandLine, serverConfig);
    ctrl.DeleteInputCtrls();
    ctrl.AddInputCtrl(new SciFiInputCtrl, GameCtrl::kInputAI);
    if (commandLine.hero)
        ctrl.AddInputCtrl(new SciFiInputCtrl, GameCtrl::kInputLocal);
    ctrl.LoadSkills();
    ctrl.SetLevelDescFile(ctrl.GetStartLevel().c_str());
    ctrl.LoadGame(-1, 0, 0);
}

void StartGame(SciFiGameServer& ctrl, const ServerCommandLine& commandLine, ConfigFileReader& serverConfig)
{
    InitGame(ctrl);
    EnterGame(ctrl, commandLine, serverConfig);
}

int32_t Run(const ServerCommandLine& commandLine)
{
    if (commandLine.usage) {
        PrintUsage();
        return kExitStopped;
    }
    if (!commandLine.error.empty()) {
        ConsolePrintf("ERROR: %s", commandLine.error.c_str());
        return kExitBadCommandLine;
    }
    SciFiGameStateManager::ClearStopRequest();
    int32_t exitCode = kExitStopped;
    {
        ServerMain server(commandLine);
        exitCode = server.Run();
    }
    Platform::ConsoleEndLine();  // the printer breaks before each line: the last one is still open
    return exitCode;
}

}  // namespace DedicatedServer
