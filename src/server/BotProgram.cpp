// BotProgram: the bot program's command line, one bot's run from its game directory to its
// goodbye, and the parent of several bots, each a child process on its own copy of the directory.
#include "server/BotProgram.h"

#include "base/ConfigFileReader.h"
#include "base/DXC_Base.h"
#include "base/ErrorClass.h"
#include "base/Log.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "platform/ChildProcess.h"
#include "platform/FileSystem.h"
#include "platform/StopSignals.h"
#include "server/DedicatedServer.h"
#include "server/SciFiBot.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

namespace {

std::atomic<bool> g_BotStopRequested{false};

// Asked to stop: by a caller (tests) or by a stop signal the program caught.
bool StopWanted() { return g_BotStopRequested.load() || Platform::IsStopSignalled(); }

bool ParseBotNumber(const char* text, int32_t low, int32_t high, int32_t& value)
{
    char* end = nullptr;
    const long number = std::strtol(text, &end, 10);
    if (!*text || *end || number < low || number > high)
        return false;
    value = int32_t(number);
    return true;
}

bool ParseSeconds(const char* text, double& seconds)
{
    char* end = nullptr;
    const double value = std::strtod(text, &end);
    if (!*text || *end || !(value > 0.0 && value <= 1e6))
        return false;
    seconds = value;
    return true;
}

// One frame of the controller, paced to the frame time of the real clock.
class FramePacer {
public:
    void Step(SciFiGameCtrl& ctrl)
    {
        DedicatedServer::RunFrames(ctrl, 1, BotProgram::kStepSeconds);
        m_Next += std::chrono::duration_cast<std::chrono::steady_clock::duration>(
            std::chrono::duration<double>(BotProgram::kStepSeconds));
        std::this_thread::sleep_until(m_Next);
    }

private:
    std::chrono::steady_clock::time_point m_Next = std::chrono::steady_clock::now();
};

// Connects (a server still starting is tried again) and runs frames until the game runs.
bool Join(SciFiBot& bot, const std::string& host, uint16_t port)
{
    const double start = Timer::GetTime();
    int32_t reason = 0;
    while (!bot.ConnectToServer(host.c_str(), port, false, 5.0, &reason)) {
        if (StopWanted() || Timer::GetTime() - start > BotProgram::kConnectSeconds) {
            std::printf("Bot %s: no connection to %s:%u: %s\n", bot.GetName().c_str(), host.c_str(), unsigned(port),
                        GameNetworkNode::DisconnectReasonText(reason).c_str());
            return false;
        }
        Timer::Sleep(100);
    }
    FramePacer pacer;
    while (bot.GetConnectionState() != GameNetworkNode::eRunningGame) {
        if (StopWanted() || !bot.IsConnected() || Timer::GetTime() - start > BotProgram::kJoinSeconds) {
            std::printf("Bot %s: the join ended in state %s\n", bot.GetName().c_str(), bot.ConnectionStateName().c_str());
            return false;
        }
        pacer.Step(bot);
    }
    bot.SetJoinSeconds(Timer::GetTime() - start);
    return true;
}

int32_t RunOne(const BotCommandLine& commandLine)
{
    if (!Platform::SetCurrentDir(commandLine.gameDir)) {
        std::printf("ERROR: no game directory '%s'\n", commandLine.gameDir.c_str());
        return 2;
    }
    Log::SetFileName("botlog.txt");
    ConfigFileReader& gameConfig = GetGameConfig();
    if (gameConfig.Load("cfg\\game.cfg") != 0)
        std::printf("cfgLoader Error: %s\n", gameConfig.GetErrorText());
    const std::string name = commandLine.namePrefix + std::to_string(commandLine.index);
    const int32_t others = commandLine.others >= 0 ? commandLine.others : commandLine.count - 1;
    int32_t exitCode = 2;
    std::unique_ptr<DXC_Gfx> gfx;
    std::unique_ptr<SciFiBot> bot;
    try {
        gfx = std::make_unique<DXC_Gfx>();
        g_Gfx = gfx.get();
        gfx->SetDedicatedMode(1);
        bot = std::make_unique<SciFiBot>(name);
        if (!commandLine.character.empty())
            bot->SetPlayerCharacterID(commandLine.character.c_str());
        ConfigFileReader serverConfig;
        serverConfig.Load("cfg\\server.cfg");
        // A game of its own first, as a player's client has before it joins.
        const char* const args[] = {"scifibot", "--hero"};
        DedicatedServer::StartClientGame(*bot, DedicatedServer::ParseCommandLine(2, args), serverConfig);
        const uint16_t port = uint16_t(commandLine.port > 0 ? commandLine.port : bot->GetServerPort());
        if (Join(*bot, commandLine.host, port)) {
            FramePacer pacer;
            const double joined = Timer::GetTime();
            for (double now = 0.0; now < commandLine.seconds && bot->IsConnected() && !StopWanted();
                 now = Timer::GetTime() - joined) {
                bot->Act(now, commandLine.seconds, BotProgram::kStepSeconds);
                pacer.Step(*bot);
            }
            if (!bot->IsConnected())
                std::printf("Bot %s: the server closed the connection\n", name.c_str());
            bot->Disconnect();  // the goodbye
            exitCode = bot->MetGoals(others) ? 0 : 1;
        }
        std::printf("%s\n", bot->SummaryLine().c_str());
        std::fflush(stdout);
        Log::Write("%s", bot->SummaryLine().c_str());
    } catch (const ErrorMsg& error) {
        std::printf("ERROR: %s: %s\n", error.className, error.message);
    } catch (const DXC_Error& error) {
        std::printf("ERROR: %s: %s\n", error.className, error.message);
    }
    std::fflush(stdout);
    bot.reset();
    if (g_Gfx == gfx.get())
        g_Gfx = nullptr;
    return exitCode;
}

// Each bot a child on a copy of the game directory; every wait bounded, a child that outlives
// its time killed by its id.
int32_t RunMany(const BotCommandLine& commandLine)
{
    const std::string self = Platform::GetOwnProgramPath();
    std::vector<std::string> copies;
    std::vector<Platform::ChildProcess> children(size_t(commandLine.count));
    int32_t worst = 0;
    for (int32_t i = 0; i < commandLine.count; ++i) {
        const std::string copy = Platform::MakeTempDirectory("scifibot");
        if (copy.empty() || !Platform::CopyTree(commandLine.gameDir, copy)) {
            std::printf("ERROR: no copy of the game directory '%s'\n", commandLine.gameDir.c_str());
            worst = 2;
            break;
        }
        copies.push_back(copy);
        std::vector<std::string> args = {self, commandLine.host, "--dir", copy, "--seconds",
                                         std::to_string(commandLine.seconds), "--name", commandLine.namePrefix,
                                         "--index", std::to_string(i + 1), "--others",
                                         std::to_string(commandLine.others >= 0 ? commandLine.others : commandLine.count - 1)};
        if (commandLine.port > 0)
            args.insert(args.end(), {"--port", std::to_string(commandLine.port)});
        if (!commandLine.character.empty())
            args.insert(args.end(), {"--character", commandLine.character});
        if (!children[size_t(i)].Start(args, std::string(), std::string())) {
            std::printf("ERROR: bot %i could not be started\n", i + 1);
            worst = 2;
        }
    }
    const double limit = commandLine.seconds + BotProgram::kJoinSeconds + BotProgram::kChildGraceSeconds;
    const double start = Timer::GetTime();
    for (Platform::ChildProcess& child : children) {
        if (child.GetId() < 0)
            continue;
        const double left = std::max(0.0, limit - (Timer::GetTime() - start));
        if (!child.Wait(int32_t(left * 1000.0))) {
            std::printf("Bot process %i killed after %.0f s\n", int(child.GetId()), limit);
            child.Kill();
        }
        worst = std::max(worst, child.GetExitCode() == 0 ? 0 : child.GetExitCode() < 0 ? 1 : child.GetExitCode());
    }
    std::fflush(stdout);
    for (const std::string& copy : copies)
        Platform::RemoveTree(copy);
    return worst;
}

}  // namespace

namespace BotProgram {

BotCommandLine ParseCommandLine(int argc, const char* const* argv)
{
    BotCommandLine result;
    bool hostGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        const char* value = hasValue ? argv[i + 1] : "";
        int32_t number = 0;
        if (argument == "--port" && hasValue && ParseBotNumber(value, 1, 65535, number))
            result.port = number;
        else if (argument == "--count" && hasValue && ParseBotNumber(value, 1, 64, number))
            result.count = number;
        else if (argument == "--seconds" && hasValue && ParseSeconds(value, result.seconds)) {
            // taken, fractions too: the parent hands its own figure on
        }
        else if (argument == "--index" && hasValue && ParseBotNumber(value, 1, 1000, number))
            result.index = number;
        else if (argument == "--others" && hasValue && ParseBotNumber(value, 0, 64, number))
            result.others = number;
        else if (argument == "--dir" && hasValue)
            result.gameDir = value;
        else if (argument == "--name" && hasValue)
            result.namePrefix = value;
        else if (argument == "--character" && hasValue)
            result.character = value;
        else if (argument[0] != '-' && !hostGiven) {
            result.host = argument;
            hostGiven = true;
            continue;
        } else {
            result.error = "bad argument '" + argument + "'; usage: scifibot [host] [--port N] [--dir DIR] "
                           "[--count N] [--seconds S] [--name PREFIX] [--character ID]";
            return result;
        }
        ++i;  // the switch's value
    }
    return result;
}

int32_t Run(const BotCommandLine& commandLine)
{
    if (!commandLine.error.empty()) {
        std::printf("ERROR: %s\n", commandLine.error.c_str());
        return 2;
    }
    return commandLine.count > 1 ? RunMany(commandLine) : RunOne(commandLine);
}

void RequestStop() { g_BotStopRequested.store(true); }

}  // namespace BotProgram
