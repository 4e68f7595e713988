// ServerNetworkBench: the network's cost on the sample level. A client's join on loopback to the
// server program, from the connect to the running game (target: well under a second, 0.5 s), and
// the listening server's frame step less its world update with three bots walking (target: a
// median under 1 ms and a 99th percentile under 3 ms of the 33 ms frame). The server program and
// the bots are child processes, each on its own copy of the sample game; the controller measured
// runs here, on a copy of its own.
#include "base/ConfigFileReader.h"
#include "base/Timer.h"
#include "engine/gfx/DXC_Gfx.h"
#include "game/ctrl/ProfilingTimes.h"
#include "platform/ChildProcess.h"
#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "server/DedicatedServer.h"
#include "server/SciFiGameServer.h"
#include "support/SampleGame.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

// A copy of the sample game made current, with the game configuration loaded from it and the
// graphics object the controller needs; the directory before is current again at the end.
class CurrentSampleGame {
public:
    CurrentSampleGame() : m_Port(CopySampleGame(m_Dir)), m_Before(Platform::GetCurrentDir())
    {
        Platform::SetCurrentDir(m_Dir.Path().string());
        GetGameConfig().Load("cfg\\game.cfg");
        g_Gfx = &m_Gfx;
        m_Gfx.SetDedicatedMode(1);
    }
    ~CurrentSampleGame()
    {
        g_Gfx = nullptr;
        Platform::SetCurrentDir(m_Before);
    }
    uint16_t Port() const { return m_Port; }

private:
    TempDir m_Dir;
    uint16_t m_Port;
    std::string m_Before;
    DXC_Gfx m_Gfx;
};

// The server program on a copy of the sample game, until the object goes.
class ServerProgram {
public:
    ServerProgram() : m_Port(CopySampleGame(m_Dir))
    {
        m_Process.Start({SCIFISERVER_PROGRAM}, m_Dir.Path().string(), m_Dir("console.txt"));
        for (int i = 0; i < 1200 && m_Dir.Read("serverlog.txt").find("Running main loop") == std::string::npos; ++i)
            Platform::SleepMs(100);
    }
    uint16_t Port() const { return m_Port; }

private:
    TempDir m_Dir;
    uint16_t m_Port;
    Platform::ChildProcess m_Process;
};

// A bot walking on its own copy of the sample game.
class BotProgram {
public:
    BotProgram(uint16_t port, int32_t index)
    {
        CopySampleGame(m_Dir);
        m_Process.Start({SCIFIBOT_PROGRAM, "127.0.0.1", "--port", std::to_string(port), "--dir", m_Dir.Path().string(),
                         "--seconds", "600", "--index", std::to_string(index)},
                        std::string(), m_Dir("console.txt"));
    }

private:
    TempDir m_Dir;
    Platform::ChildProcess m_Process;
};

void StartClientGame(SciFiGameCtrl& ctrl)
{
    ConfigFileReader serverConfig;
    serverConfig.Load("cfg\\server.cfg");
    const char* const args[] = {"server_bench", "--hero"};
    DedicatedServer::StartClientGame(ctrl, DedicatedServer::ParseCommandLine(2, args), serverConfig);
}

void BM_JoinOnLoopback(benchmark::State& state)
{
    ServerProgram server;
    CurrentSampleGame game;
    auto ctrl = std::make_unique<SciFiGameCtrl>();
    StartClientGame(*ctrl);
    for (auto _ : state) {
        const double start = Timer::GetTime();
        int32_t reason = 0;
        if (!ctrl->ConnectToServer("127.0.0.1", server.Port(), false, 60.0, &reason)) {
            state.SkipWithError("no connection to the server program");
            return;
        }
        while (ctrl->GetConnectionState() != GameNetworkNode::eRunningGame && ctrl->IsConnected())
            DedicatedServer::RunFrames(*ctrl, 1);
        state.SetIterationTime(Timer::GetTime() - start);
        if (!ctrl->IsConnected())
            state.SkipWithError("the join ended before the game ran");
        ctrl->Disconnect();
        for (int i = 0; i < 10; ++i)  // the server notices the goodbye before the next join
            DedicatedServer::RunFrames(*ctrl, 1);
        Platform::SleepMs(200);
    }
}
BENCHMARK(BM_JoinOnLoopback)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// The frame step without the input controllers' and the world's update, which the controller
// times itself.
class MeasuredServer : public SciFiGameServer {
public:
    int32_t UpdateFrame(float frameTime) override
    {
        g_ProfilingTimes[kProfileAIMove] = g_ProfilingTimes[kProfileGameMove] = 0.0;
        const double start = Timer::GetTime();
        const int32_t result = SciFiGameServer::UpdateFrame(frameTime);
        const double total = Timer::GetTime() - start;
        lastNetworkSeconds = total - g_ProfilingTimes[kProfileAIMove] - g_ProfilingTimes[kProfileGameMove];
        return result;
    }
    double lastNetworkSeconds = 0.0;
};

void BM_ServerStepWithThreeBots(benchmark::State& state)
{
    CurrentSampleGame game;
    auto ctrl = std::make_unique<MeasuredServer>();
    ConfigFileReader serverConfig;
    serverConfig.Load("cfg\\server.cfg");
    ctrl->ReadServerConfig(serverConfig);
    ctrl->SetMaxPlayers(4);
    DedicatedServer::InitGame(*ctrl);
    DedicatedServer::StartListening(*ctrl, serverConfig);
    const char* const args[] = {"server_bench"};
    DedicatedServer::EnterGame(*ctrl, DedicatedServer::ParseCommandLine(1, args), serverConfig);
    std::vector<std::unique_ptr<BotProgram>> bots;
    for (int32_t i = 1; i <= 3; ++i)
        bots.push_back(std::make_unique<BotProgram>(ctrl->GetNetNode().GetPort(), i));
    const double start = Timer::GetTime();
    while (ctrl->CountJoinedPlayers() < 3 && Timer::GetTime() - start < 120.0) {
        DedicatedServer::RunFrames(*ctrl, 1);
        Platform::SleepMs(33);
    }
    if (ctrl->CountJoinedPlayers() < 3) {
        state.SkipWithError("the bots did not join");
        return;
    }
    std::vector<double> steps;
    for (auto _ : state) {
        DedicatedServer::RunFrames(*ctrl, 1);
        state.SetIterationTime(ctrl->lastNetworkSeconds);
        steps.push_back(ctrl->lastNetworkSeconds);
        Platform::SleepMs(33);  // the bots walk on meanwhile
    }
    std::sort(steps.begin(), steps.end());
    state.counters["median_ms"] = steps[steps.size() / 2] * 1000.0;
    state.counters["p99_ms"] = steps[std::min(steps.size() - 1, steps.size() * 99 / 100)] * 1000.0;
}
BENCHMARK(BM_ServerStepWithThreeBots)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(300);

}  // namespace
