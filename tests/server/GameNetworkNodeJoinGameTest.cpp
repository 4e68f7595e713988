// The client's join to the real server program: the game's controller as a client on one copy of
// the sample game joins the server program running on another, loads its level, compares the
// checksums, gets back what it lacks, loses what the server does not have and takes its character;
// joined, it runs the network's script functions.
#include "server/DedicatedServer.h"

#include "game/objects/CreatureObj.h"
#include "net/GameNetworkNode.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"
#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/TempDir.h"
#include "support/WaitUntil.h"
#include "ServerProgram.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

// The server program on a copy of its own, running until the test ends it with ESC on its input.
class ServerProgramRun {
public:
    ServerProgramRun() : m_Port(CopySampleGame(m_Dir))
    {
        m_Dir.Write("cfg/game.cfg", m_Dir.Read("cfg/game.cfg") + "\nLogNetworkTraffic = 1\n");
        const std::string keys = (m_Dir.Path() / "keys").string();
        mkfifo(keys.c_str(), 0600);
        m_Program = std::thread([this] { m_Code = RunProgram(m_Dir, "< keys"); });
        m_Keys.open(keys);  // opens once the program's shell opened the pipe
    }
    ~ServerProgramRun() { Stop(); }
    int Stop()
    {
        if (m_Program.joinable()) {
            m_Keys << '\x1b' << std::flush;
            m_Program.join();
            m_Keys.close();
        }
        return m_Code;
    }
    uint16_t Port() const { return m_Port; }
    std::string Console() const { return m_Dir.Read("console.txt"); }

private:
    TempDir m_Dir;
    uint16_t m_Port;
    int m_Code = -1;
    std::thread m_Program;
    std::ofstream m_Keys;
};

class GameNetworkNodeJoinGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    void SetUp() override { Start("LogNetworkTraffic = 1"); }

    bool Connect(uint16_t port)
    {
        return WaitUntil([&] {
            int32_t reason = -1;
            if (ctrl->ConnectToServer("127.0.0.1", port, false, 5.0, &reason))
                return true;
            Platform::SleepMs(50);  // not listening yet
            return false;
        }, 60000);
    }
    bool RunUntilState(int32_t state)
    {
        return WaitUntil([&] {
            DedicatedServer::RunFrames(*ctrl, 1);
            return ctrl->GetConnectionState() == state;
        }, 20000);
    }
};

}  // namespace

TEST_F(GameNetworkNodeJoinGameTest, JoinsTheServerProgramAndSyncsItsLevel)
{
    ServerProgramRun server;
    LogCapture log;
    ASSERT_TRUE(Connect(server.Port())) << server.Console();
    ASSERT_TRUE(RunUntilState(GameNetworkNode::eLevelLoaded)) << server.Console();

    // Before the comparison: a crate of the level goes, a crate the server never made comes.
    WorldCtrl& world = ctrl->GetWorld();
    int32_t crateID = -1;
    for (int32_t id = world.NextObjID(-1); id >= 0 && crateID < 0; id = world.NextObjID(id))
        if (WorldElem* elem = world.GetObjNoCheck(id, false); elem && elem->m_CfgID == String("Crate") && elem->m_NetSync)
            crateID = id;
    ASSERT_GE(crateID, 0);
    const D3DXVECTOR2 cratePos = world.GetObj(crateID)->GetPos();
    world.DelObj(crateID, 0);
    auto* stranger = dynamic_cast<WorldElem*>(ctrl->CreateWorldObject("Crate", 300.0f, 300.0f, 0.0f, 0.0f));
    ASSERT_NE(stranger, nullptr);
    ASSERT_NE(stranger->m_NetSync, 0);
    const int32_t strangerID = stranger->m_ObjID;
    const uint32_t strangerRnd = uint32_t(stranger->m_MyRnd);

    ASSERT_TRUE(RunUntilState(GameNetworkNode::eRunningGame)) << log.Text() << server.Console();
    EXPECT_EQ(log.Count("NetRec: level load"), 1);
    EXPECT_EQ(log.Count("NetRec: ObjectChecksums finished"), 1);
    EXPECT_EQ(log.Count("Net: level synced"), 1);
    EXPECT_EQ(log.Count(("NetRec: obj sync: " + std::to_string(crateID) + " - Crate").c_str()), 1);
    WorldElem* crate = world.GetObjNoCheck(crateID, false);
    ASSERT_NE(crate, nullptr) << "the missing crate was requested and synced back";
    EXPECT_EQ(crate->m_CfgID, String("Crate"));
    EXPECT_EQ(crate->GetPos().x, cratePos.x);
    WorldElem* atStranger = world.GetObjNoCheck(strangerID, false);
    EXPECT_TRUE(atStranger == nullptr || uint32_t(atStranger->m_MyRnd) != strangerRnd)
        << "a synchronised crate the server does not have is removed";
    EXPECT_EQ(ctrl->GetSyncsExpected(), 0);
    EXPECT_NE(ctrl->GetMainChar(), nullptr);

    ctrl->Disconnect();
    EXPECT_EQ(server.Stop(), 0) << server.Console();
    EXPECT_NE(server.Console().find("joined successfully"), std::string::npos) << server.Console();
}

// The network's script functions on a joined client: a chat line is not kept on sending but comes
// back through the server under the character's name; a connect without a host is refused; a
// disconnect ends the link.
TEST_F(GameNetworkNodeJoinGameTest, ScriptFunctionsOfAJoinedClient)
{
    ServerProgramRun server;
    ASSERT_TRUE(Connect(server.Port())) << server.Console();
    ASSERT_TRUE(RunUntilState(GameNetworkNode::eRunningGame)) << server.Console();
    LogCapture log;
    const auto run = [&](const char* text) {  // the player's own script, run here although connected
        EXPECT_EQ(ErrorOf([&] { ctrl->GetWorld().RunScript(String(text), nullptr, 0, -1, "test", 1, 1); }), "no error")
            << text;
    };
    run("ConnectToServer();");
    run("ConnectToServer(5);");
    EXPECT_EQ(log.Count("Invalid arguments in function ConnectToServer"), 2) << log.Text();

    const int32_t before = ctrl->GetNumChatMessages();
    run("ChatMessage(\"hello there\");");
    EXPECT_EQ(ctrl->GetNumChatMessages(), before);
    ASSERT_TRUE(WaitUntil([&] {
        DedicatedServer::RunFrames(*ctrl, 1);
        return ctrl->GetNumChatMessages() > before;
    }, 20000)) << server.Console();
    const GameNetworkNode::ChatMessage* line = ctrl->GetChatMessage(before);
    EXPECT_EQ(line->text, wString(u"hello there"));
    EXPECT_EQ(line->sender, ctrl->GetMainChar()->GetDisplayName());
    run("iTmp[0] = GetNetworkBytesReceived();");
    EXPECT_GT(*ctrl->GetScriptTempInt(0), 0);

    run("DisconnectFromServer();");
    EXPECT_EQ(ctrl->GetConnectionState(), GameNetworkNode::eDisconnected);
    EXPECT_EQ(server.Stop(), 0) << server.Console();
    EXPECT_NE(server.Console().find("disconnected"), std::string::npos) << server.Console();
}
