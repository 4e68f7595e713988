// Dialogues, the mission log and subtitles in the running server on a copy of the sample game:
// before a player joins there is no main character and a dialogue does nothing, while a
// subtitle's time is still computed; afterwards the first player's creature speaks, the frame
// loop runs on with the dialogue open (the creature is in conversation), the speech file made at
// build time times its subtitle as ogginfo measures it, and every call reaches the player.
#include "server/DedicatedServer.h"

#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "world/WorldCtrl.h"

#include "support/LogCapture.h"
#include "support/SampleServerGame.h"
#include "support/ScriptedPeer.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

namespace {

class SciFiDialogueGameTest : public SampleServerGame<SciFiGameCtrl> {
protected:
    // The script text run as a level script; the float it leaves in fTmp[1].
    float RunLevelScript(const std::string& text)
    {
        ScriptValue result;
        EXPECT_EQ(ErrorOf([&] { ctrl->RunScript(result, String(text.c_str()), "test", 1, -1); }), "no error");
        return *ctrl->GetScriptTempFloat(1);
    }
};

// ogginfo's "Playback length: 0m:00.250s" in seconds; -1 without ogginfo or a length.
double OggInfoLength(const std::string& file, const std::string& report)
{
    if (std::system(("ogginfo '" + file + "' > '" + report + "' 2>&1").c_str()) != 0)
        return -1.0;
    std::FILE* in = std::fopen(report.c_str(), "r");
    if (!in)
        return -1.0;
    char line[256];
    int minutes = 0;
    double seconds = -1.0;
    while (std::fgets(line, sizeof line, in))
        if (std::sscanf(line, " Playback length: %dm:%lfs", &minutes, &seconds) == 2)
            break;
    std::fclose(in);
    return seconds < 0.0 ? -1.0 : minutes * 60.0 + seconds;
}

}  // namespace

TEST_F(SciFiDialogueGameTest, DialoguesWaitForAPlayerAndReachIt)
{
    LogCapture log;
    withHero = false;
    listening = true;
    ASSERT_EQ(StartError(kPeersOverTCP), "no error");
    ASSERT_EQ(ctrl->GetMainChar(), nullptr);
    // Speech lies in "lang\<language folder>subtitles\" and "...dialogues\".
    const std::string languageDir = ctrl->GetWorld().GetLanguageDir().c_str();
    std::string subtitles = "lang/" + languageDir + "subtitles";
    for (char& ch : subtitles)
        if (ch == '\\')
            ch = '/';

    // No player yet: no dialogue, but the subtitle's time all the same (the sergeant's line has
    // no speech: its reading time).
    const std::string sergeant = "Sergeant Cole: The crate came in this morning.";
    float seconds = RunLevelScript("Dialog(\"DB:crate_found\"); fTmp[1] = SubTitleLength(\"DB:crate_intro,1\");");
    EXPECT_FALSE(ctrl->IsDialogActive(nullptr));
    EXPECT_NEAR(seconds, 2.0f + float(sergeant.size()) / 25.0f, 1e-4);

    double speechLength = 0.0;
#ifdef SAMPLE_SPEECH_FILE
    std::filesystem::create_directories(dir(subtitles));
    std::filesystem::copy_file(SAMPLE_SPEECH_FILE, dir(subtitles + "/crate_intro.ogg"));
    speechLength = OggInfoLength(dir(subtitles + "/crate_intro.ogg"), dir("ogginfo.txt"));
#endif

    int32_t slot = -1;
    std::unique_ptr<ScriptedPeer> peer = ConnectPeer(slot);
    PlayerInfoOptions options;
    options.playerName = u"Alice";
    ASSERT_TRUE(peer->Join(options));
    CreatureObj* creature = ctrl->GetClientCreature(slot);
    ASSERT_NE(creature, nullptr);
    ASSERT_EQ(ctrl->GetMainChar(), creature);

    seconds = RunLevelScript("AddMissionLog(1, \"q_first\"); Dialog(\"DB:crate_found\");"
                             "fTmp[1] = SubTitleLength(\"DB:crate_intro,2\");");
    EXPECT_EQ(log.Count("Error"), 0) << log.Text();
    ASSERT_EQ(ctrl->GetMissionLog().GetEntryCount(), 1);
    EXPECT_EQ(ctrl->GetMissionLog().GetEntry(0).kind, MissionLogGui::kMission);
    EXPECT_TRUE(ctrl->IsDialogActive(nullptr));
    EXPECT_STREQ(String(ctrl->GetDialogWindow().GetText()).c_str(), "A crate. Let us see what it holds.");
    EXPECT_EQ(std::string(ctrl->GetDialogWindow().GetSpeechPath().c_str()),
              "lang\\" + languageDir + "dialogues\\crate_found.ogg");
    if (speechLength > 0.0) {
        EXPECT_NEAR(seconds, 2.0 + speechLength, 0.001);  // the hero's line plays its speech
    } else {
        GTEST_LOG_(INFO) << "oggenc or ogginfo not installed: the speech time is not measured";
    }

    // The frames run on with the dialogue open; the player's creature is in conversation.
    ASSERT_EQ(ErrorOf([&] { DedicatedServer::RunFrames(*ctrl, 30, 1.0f / 60.0f); }), "no error");
    EXPECT_TRUE(creature->IsInConversation());
    RunLevelScript("CloseDialog();");
    EXPECT_FALSE(creature->IsInConversation());

    ASSERT_TRUE(peer->Await(GameServer::kMsgRunScriptFunction, 4));
    const std::multiset<std::string> sent = CallsSent(*peer);
    for (const char* name : {"AddMissionLog", "Dialog", "SubTitleLength", "CloseDialog"})
        EXPECT_EQ(sent.count(name), 1u) << name;
}
