// The headless server program: its command line, a counted run on the sample game and a run that
// fails at start-up.
#include "server/DedicatedServer.h"
#include "base/ConfigFileReader.h"
#include "game/ctrl/GameCtrlTestSupport.h"
#include "game/objects/CreatureObj.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "engine/gfx/DXC_Gfx.h"
#include "platform/D3D9Object.h"
#include "platform/Socket.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "server/SciFiGameServer.h"
#include "world/DamageValues.h"
#include "world/WorldElem.h"
#include "support/ErrorOf.h"
#include "support/SampleGame.h"
#include "support/ScopedGfx.h"
#include "support/TempDir.h"
#include "support/TextOrder.h"
#include "ServerProgram.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

ServerCommandLine Parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "scifiserver");
    return DedicatedServer::ParseCommandLine(int(args.size()), args.data());
}

TEST(DedicatedServerCommandLine, ReadsSwitchesAndTheLevel)
{
    ServerCommandLine line = Parse({"/maxpl:5", "/DIFF=7", "/NAME=Base", "levels\\a.vsd", "other", "--frames", "60"});
    EXPECT_EQ(line.maxPlayers, 5);
    EXPECT_EQ(line.difficulty, 3);  // clamped
    EXPECT_EQ(line.serverName, "Base");
    EXPECT_EQ(line.levelFile, "levels\\a.vsd");
    EXPECT_EQ(line.frames, 60);
    EXPECT_TRUE(line.error.empty());
    EXPECT_FALSE(line.usage);

    line = Parse({"/MAXPLAYERS=4", "/DIFF=0"});  // a wrong separator leaves the default
    EXPECT_EQ(line.maxPlayers, 3);
    EXPECT_EQ(line.difficulty, 1);
    EXPECT_EQ(line.serverName, "Dedicated");

    EXPECT_TRUE(Parse({"x", "/?"}).usage);
    EXPECT_FALSE(Parse({"/?x"}).usage);
    for (const char* bad : {"-1", "many", ""})
        EXPECT_FALSE(Parse({"--frames", bad}).error.empty()) << bad;
    EXPECT_FALSE(Parse({"--frames"}).error.empty());
    EXPECT_TRUE(Parse({"--HERO"}).hero);
    EXPECT_FALSE(Parse({"levels\\a.vsd"}).hero);
}

TEST(DedicatedServerProgram, CountedRunOnTheSampleGameEndsCleanly)
{
    TempDir dir;
    CopySampleGame(dir);
    EXPECT_EQ(RunProgram(dir, "--frames 60"), 0) << dir.Read("console.txt");
    const std::string log = dir.Read("serverlog.txt");
    // The level of "server.cfg" starts with every placed object of the generated level.
    for (const char* line : {"game.cfg loaded", "Start new game", "VSD file 'levels\\sample\\sample.vsd' loaded",
                             "VSD objects loaded (6)", "STATE_GAME initialized", "AI Input created",
                             "Running main loop"})
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    EXPECT_EQ(log.find("Warning"), std::string::npos) << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;
}

// The server's graphics object makes the adapter and never a device, from start-up through the
// level's scenes to the end of the run.
TEST(DedicatedServerProgram, MakesTheAdapterAndNoDevice)
{
    TempDir dir;
    CopySampleGame(dir);
    ScopedCurrentDir here(dir.Path());
    const int32_t adapters = D3D9Object::GetMadeCount(D3D9Kind::Adapter);
    const int32_t devices = D3D9Object::GetMadeCount(D3D9Kind::Device);
    ServerCommandLine line;
    line.frames = 30;
    line.hero = true;
    ASSERT_EQ(DedicatedServer::Run(line), 0);
    EXPECT_NE(dir.Read("serverlog.txt").find("VSD objects loaded"), std::string::npos);
    EXPECT_EQ(D3D9Object::GetMadeCount(D3D9Kind::Adapter), adapters + 1);
    EXPECT_EQ(D3D9Object::GetMadeCount(D3D9Kind::Device), devices);
    for (D3D9Kind kind : {D3D9Kind::Adapter, D3D9Kind::Device, D3D9Kind::Surface, D3D9Kind::Texture})
        EXPECT_EQ(D3D9Object::GetLiveCount(kind), 0) << int(kind);
}

// With a hero of its own the server gives the level a main character at its start position; without
// one it only has the AI input.
TEST(DedicatedServerProgram, HeroSwitchStartsTheLevelWithAHero)
{
    TempDir dir;
    CopySampleGame(dir);
    EXPECT_EQ(RunProgram(dir, "--hero --frames 300"), 0) << dir.Read("console.txt");
    EXPECT_EQ(dir.Read("console.txt").find("ERROR:"), std::string::npos) << dir.Read("console.txt");
    std::string log = dir.Read("serverlog.txt");
    EXPECT_NE(log.find("Level levels\\sample\\sample.cfg loaded with hero at pos ("), std::string::npos) << log;
    EXPECT_NE(log.find("AI Input created"), std::string::npos) << log;
    EXPECT_EQ(log.find("Error"), std::string::npos) << log;

    EXPECT_EQ(RunProgram(dir, "--frames 1"), 0) << dir.Read("console.txt");
    log = dir.Read("serverlog.txt");
    EXPECT_EQ(log.find("loaded with hero"), std::string::npos) << log;
}

TEST(DedicatedServerProgram, LevelOfTheCommandLineAndAMissingOne)
{
    TempDir dir;
    CopySampleGame(dir);
    EXPECT_EQ(RunProgram(dir, "'levels\\sample\\sample.cfg' --frames 1"), 0) << dir.Read("console.txt");
    EXPECT_NE(RunProgram(dir, "'levels\\nowhere.cfg' --frames 1"), 0);
    EXPECT_NE(dir.Read("console.txt").find("ERROR: "), std::string::npos) << dir.Read("console.txt");
}

// The log without the time and memory suffix of each line and the durations some lines give.
std::string LogLines(const std::string& log)
{
    std::string result;
    size_t start = 0;
    while (start < log.size()) {
        size_t end = log.find('\n', start);
        if (end == std::string::npos)
            end = log.size();
        const std::string line = log.substr(start, end - start);
        static const std::regex kDuration("\\([0-9.]+ sec\\)");
        result += std::regex_replace(line.substr(0, line.rfind("(Time:")), kDuration, "(sec)") + "\n";
        start = end + 1;
    }
    return result;
}

TEST(DedicatedServerProgram, TwoRunsLogTheSameLines)
{
    TempDir dir;
    CopySampleGame(dir);
    ASSERT_EQ(RunProgram(dir, "--frames 3"), 0);
    const std::string first = LogLines(dir.Read("serverlog.txt"));
    ASSERT_EQ(RunProgram(dir, "--frames 3"), 0);
    EXPECT_EQ(LogLines(dir.Read("serverlog.txt")), first);
}

TEST(DedicatedServerProgram, StartUpErrorIsPrintedAndFailsTheRun)
{
    TempDir dir;  // no game data at all: the database cannot be opened
    EXPECT_NE(RunProgram(dir, "--frames 1"), 0);
    const std::string console = dir.Read("console.txt");
    EXPECT_NE(console.find("cfgLoader Error: "), std::string::npos) << console;
    EXPECT_NE(console.find("ERROR: "), std::string::npos) << console;
}

// Every kind of error the engine raises ends the run with an error line and exit code 1, never a
// signal: a scene file cut to its four-byte tag raises the scene graph's own error type.
TEST(DedicatedServerProgram, DamagedSceneFileEndsTheRunWithAnErrorLine)
{
    TempDir dir;
    CopySampleGame(dir);
    dir.Write("meshes/hero.rtx", "3SCo");
    EXPECT_EQ(RunProgram(dir, "--frames 5"), 1) << dir.Read("console.txt");
    const std::string console = dir.Read("console.txt");
    EXPECT_NE(console.find("ERROR: "), std::string::npos) << console;
    EXPECT_NE(dir.Read("serverlog.txt").find("ERROR: "), std::string::npos);
}

// The game's controller that watches the drone each frame: the cycles its two players play and
// how far they ran, and the cycle playing when it reports an attack.
class WatchingCtrl : public SciFiGameServer {
public:
    void UpdateWorld(float dt) override
    {
        SciFiGameServer::UpdateWorld(dt);
        if (auto* creature = dynamic_cast<CreatureObj*>(drone.Get())) {
            const AC_FadeProperties& base = creature->m_CyclePlayers[0];
            if (base.GetCycleNumber() == lastBaseCycle && base.GetTime() != lastBaseTime)
                advancedCycles.insert(lastBaseCycle);
            lastBaseCycle = base.GetCycleNumber();
            lastBaseTime = base.GetTime();
        }
    }
    void ReportAttack(WorldElem* creature) override
    {
        SciFiGameServer::ReportAttack(creature);
        if (creature == drone.Get())
            attackCycles.insert(static_cast<CreatureObj*>(creature)->m_CyclePlayers[1].GetCycleNumber());
    }

    SmartPtr<WorldElem> drone;
    std::set<int32_t> advancedCycles;  // base cycles whose time ran on from one frame to the next
    std::set<int32_t> attackCycles;
    int32_t lastBaseCycle = -2;
    float lastBaseTime = 0.0f;
};

}  // namespace

// Ten seconds of the driver's own frame loop with a hero of the server's own: the drone's walk
// cycle plays while it closes in, it strikes with its attack cycle and the strikes land on the
// hero (its damage handler counts them) and cost it health. The hero is as big as the drone, so
// a strike reaches a body that does not fit wholly inside its reach. The game's creature keys,
// which give a creature its damage, are not read yet: the drone gets its base physical damage here.
TEST(DedicatedServerGame, TheDroneWalksUpAndStrikesTheHero)
{
    GameDir dir;
    CopySampleGame(dir);
    ASSERT_TRUE(AddAfterLine(dir, "cfg/objects.cfg", "desc = \"Hero\"", "onDamage = \"iTmp[101] = iTmp[101] + 1;\""));
    const std::string config = FixSampleSeed(dir);
    ASSERT_FALSE(config.empty());
    ScopedGameConfig gameConfig;
    gameConfig.Load(config);
    ScopedGfx gfx;
    ConfigFileReader serverConfig;
    ASSERT_EQ(serverConfig.Load("cfg\\server.cfg"), 0);

    auto ctrl = std::make_unique<WatchingCtrl>();
    ServerCommandLine line = Parse({"--hero"});
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::StartGame(*ctrl, line, serverConfig); }), "no error");
    CreatureObj* hero = ctrl->GetMainChar();
    ctrl->drone = ctrl->GetWorld().FindObjectByWorldID("drone1", nullptr);
    ASSERT_NE(hero, nullptr);
    ASSERT_NE(ctrl->drone.Get(), nullptr);

    auto* drone = dynamic_cast<CreatureObj_SF*>(ctrl->drone.Get());
    ASSERT_NE(drone, nullptr);
    drone->m_BaseValues.damPhys[0] = 6.0f;
    drone->UpdateValues(false);
    const float health = hero->GetHealth();
    ASSERT_GT(health, 0.0f);

    ASSERT_EQ(*ctrl->GetScriptTempInt(101), 0);
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 300); }), "no error");
    EXPECT_GT(*ctrl->GetScriptTempInt(101), 0) << "no strike reached the hero";
    EXPECT_LT(hero->GetHealth(), health) << "the strikes cost the hero nothing";
    EXPECT_EQ(ctrl->advancedCycles.count(128), 1u) << "the walk cycle never ran";
    EXPECT_EQ(ctrl->attackCycles, std::set<int32_t>{192}) << "no strike with the attack cycle";
}

namespace {

// An in-process run must never wait for a key on a developer's terminal.
struct NoConsoleInput {
    NoConsoleInput() { EXPECT_NE(std::freopen("/dev/null", "r", stdin), nullptr); }
};

}  // namespace

TEST(DedicatedServerProgram, UsageInAnEmptyFolderWritesNoFile)
{
    TempDir dir;
    EXPECT_EQ(RunProgram(dir, "levels\\a.cfg /?"), 0);
    const std::string console = dir.Read("console.txt");
    EXPECT_EQ(FirstMissingInOrder(console, {"=================================", "   Korva dedicated server        ",
                                            "Options: [level.cfg] [Options]", "/? ............. help ",
                                            "/DIFF=n ........ sets the game difficulty number (1, 2, or 3)",
                                            "/NAME=\"name\" ... sets the server name",
                                            "/MAXPL=n ... sets the maximum number of players on the server (default=3)",
                                            "--frames n", "--hero"}),
              "")
        << console;
    int32_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path()))
        files += entry.path().filename() != "console.txt";
    EXPECT_EQ(files, 0);
}

TEST(DedicatedServerProgram, StartUpLinesComeInTheirOrder)
{
    TempDir dir;
    CopySampleGame(dir);
    ASSERT_EQ(RunProgram(dir, "--frames 3 /DIFF=2"), 0) << dir.Read("console.txt");
    const std::string console = dir.Read("console.txt");
    EXPECT_EQ(FirstMissingInOrder(console, {"=================================", "   Korva dedicated server v1.1   ",
                                            "=================================\n", "Creating GameCtrl class",
                                            "Creating state manager", "Setting server name to 'Dedicated'",
                                            "Engine init", "Game init", "Starting network server",
                                            "Setting difficulty mode to 2", "STATE_GAME initialized",
                                            "Running main loop"}),
              "")
        << console;
    EXPECT_EQ(console.find("ERROR"), std::string::npos) << console;
    const std::string log = dir.Read("serverlog.txt");
    EXPECT_EQ(FirstMissingInOrder(log, {"game.cfg loaded", "AI Input created", "STATE_GAME initialized"}), "") << log;
}

// A counted run does exactly its updates; the teardown releases the state manager, the controller,
// the graphics object and the server configuration in this order, after an error too.
TEST(DedicatedServerProgram, CountedUpdatesAndTheTeardownOrder)
{
    NoConsoleInput noInput;
    TempDir dir;
    CopySampleGame(dir);
    ScopedCurrentDir here(dir.Path());
    struct Case {
        const char* level;
        int32_t frames;
        int32_t exitCode;
        int32_t updates;  // -1: the loop never ran
    };
    for (const Case c : {Case{"", 3, 0, 3}, Case{"", 0, 0, 0}, Case{"levels\\nowhere.cfg", 3, 1, -1}}) {
        std::vector<std::string> released;
        int64_t updates = -1;
        DedicatedServer::SetTeardownObserver([&](const char* part) {
            if (released.empty())  // the controller outlives the state manager by one step
                if (auto* server = dynamic_cast<GameServer*>(g_GameCtrl); server && server->IsListening())
                    updates = server->GetFrameCounter();
            released.push_back(part);
        });
        ServerCommandLine line;
        line.levelFile = c.level;
        line.frames = c.frames;
        const int32_t exitCode = DedicatedServer::Run(line);
        DedicatedServer::SetTeardownObserver(nullptr);
        EXPECT_EQ(exitCode, c.exitCode) << c.level;
        EXPECT_EQ(released, (std::vector<std::string>{"state manager", "controller", "graphics object",
                                                      "server configuration"}))
            << c.level;
        if (c.updates >= 0)
            EXPECT_EQ(updates, c.updates) << c.frames;
        EXPECT_EQ(g_Gfx, nullptr);
        EXPECT_EQ(g_GameCtrl, nullptr);
    }
}

// Every way out has its exit code and its line: a busy or impossible port and a broken level
// could not start the server (1), a bad command line is refused (2). None waits for a key.
TEST(DedicatedServerProgram, ExitCodesOfTheWaysOut)
{
    TempDir dir;
    const uint16_t port = CopySampleGame(dir);
    Socket holder = Socket::Create(Socket::kStream);  // the port busy on 127.0.0.1 and beyond
    ASSERT_TRUE(holder.IsValid() && holder.Bind(port) && holder.Listen(1));
    struct Case {
        const char* arguments;
        const char* listenPort;  // null: the copy's free port
        int32_t exitCode;
        const char* line;
    };
    const Case cases[] = {
        {"--frames 1", "busy", 1, "NetNode error: "},
        {"--frames 1", "70000", 1, "NetNode error: ListenPort is outside 1..65535 (port 70000)"},
        {"'levels\\nowhere.cfg' --frames 1", nullptr, 1, "\nERROR: SciFiGameCtrl: Can not open file levels\\nowhere.cfg"},
        {"--frames x", nullptr, 2, "ERROR: --frames needs a count of 0 or more"},
        {"/DIFF=x --frames 1", nullptr, 2, "ERROR: /DIFF needs a whole number"},
        {"/MAXPL=5a --frames 1", nullptr, 2, "ERROR: /MAXPL needs a whole number"},
        {"--frames 1", nullptr, 0, "Running main loop"},
    };
    for (const Case& c : cases) {
        const std::string listen = !c.listenPort ? "" : std::string(c.listenPort) == "busy" ? std::to_string(port) : c.listenPort;
        UseFreeSamplePorts(dir);
        if (!listen.empty())
            SetSampleKey(dir, "cfg/server.cfg", "ListenPort", listen);
        EXPECT_EQ(RunProgram(dir, c.arguments), c.exitCode) << c.arguments << " " << listen;
        const std::string console = dir.Read("console.txt");
        EXPECT_NE(console.find(c.line), std::string::npos) << console;
        if (!listen.empty())
            EXPECT_NE(console.find("(port " + listen + ")"), std::string::npos) << console;
        EXPECT_EQ(console.find("STATE_GAME initialized") != std::string::npos, c.exitCode == 0) << console;
    }
    holder.Close();
}
