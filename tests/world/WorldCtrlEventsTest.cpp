// WorldCtrl events: the game result codes, events due later keeping their slots, a kill that
// waits for a forced movement and then runs its two kill scripts once, sequences unlocking their
// videos, events raised during the step waiting for the next one, the events handed to the
// controller, and bad events dropped without stopping the step.
#include "world/WorldCtrl.h"

#include "world/KillValues.h"
#include "world/WorldEventPayloads.h"
#include "world/WorldScriptTestSupport.h"

#include "support/ErrorOf.h"
#include "support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A creature with kill values that counts its deaths and calls.
class KillTestCreature : public TestElem {
public:
    KillTestCreature() : TestElem(ElemType::kCreature) {}
    KillValues* GetKillValues() override { return &kill; }
    int32_t GetMovementForcePriority() override { return priority; }
    bool IsDead() override { return deaths > 0; }
    void Die() override { deaths++; }
    void OnCallEvent(int32_t arg) override { calls += 1 + arg; }
    void CollectActionNames(std::vector<String>& names) override
    {
        for (const char* name : actions)
            names.push_back(String(name));
    }
    std::vector<const char*> actions;
    KillValues kill;
    int32_t priority = 0;
    int32_t deaths = 0;
    int32_t calls = 0;
};

class WorldCtrlEventsTest : public ::testing::Test, public WorldScriptFixture {
protected:
    template <class T> T* Add(T* elem)
    {
        world.AddObj(elem, 0, false);
        return elem;
    }
    void Post(const WorldEvent& event) { ctrl.AddGameEvent(&event); }
    void PostByte(uint16_t type, uint8_t value)
    {
        WorldEvent event;
        ByteEventRecord{value}.Write(event, type);
        Post(event);
    }
    void PostKill(WorldElem* victim, WorldElem* killer)
    {
        WorldEvent event;
        KillEventRecord kill;
        kill.victim.Set(victim);
        kill.killer.Set(killer);
        kill.Write(event);
        Post(event);
    }
    void PostScript(const char* text)
    {
        world.RunInlineScript(text, nullptr, 0.0f, 0, "posted", 255);
    }
    void PostRaw(uint16_t type, int32_t size)
    {
        WorldEvent event;
        uint8_t bytes[16] = {};
        SetEventPayload(event, type, bytes, size, 0.0);
        Post(event);
    }
};

}  // namespace

TEST_F(WorldCtrlEventsTest, GameEndCodes)
{
    const struct {
        uint16_t type;
        uint8_t value;
        int32_t code;
    } kCases[] = {{17, 1, 3}, {17, 2, 5}, {17, 0, 2}, {17, 9, 2}, {18, 0, 6}, {18, 1, 4}};
    for (const auto& c : kCases) {
        PostByte(c.type, c.value);
        EXPECT_EQ(world.ProcessWorldEvents(), c.code) << c.type << "/" << int(c.value);
    }
    EXPECT_EQ(world.ProcessWorldEvents(), 0);
    PostByte(17, 1);
    PostByte(18, 0);
    EXPECT_EQ(world.ProcessWorldEvents(), 6);  // the last code of the step
}

TEST_F(WorldCtrlEventsTest, LaterEventsKeepTheirSlots)
{
    ctrl.gameTime = 1.0;
    world.RunInlineScript("Record(1);", nullptr, 4.0f, 0, "later", 255);
    PostScript("Record(0);");
    WorldEvent* later = world.GetEventQueue(0).GetBySlot(0);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), std::vector<std::string>{"0"});
    EXPECT_EQ(world.GetEventQueue(0).GetBySlot(0), later);
    EXPECT_EQ(world.GetEventQueue(0).GetSize(), 1);
    ctrl.gameTime = 5.0;
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().back(), "1");
    EXPECT_EQ(QueuedEvents(), 0);
}

// A creature thrown by a forced movement of priority 101 dies when the movement is over: then
// "OnKill" and "OnKill2" run once, with object variable 1 the killer.
TEST_F(WorldCtrlEventsTest, KillWaitsForAForcedMovement)
{
    auto* killer = Add(new TestElem(ElemType::kCreature));
    auto* victim = Add(new KillTestCreature);
    victim->m_Name = "orc";
    victim->kill.onKill = "Record(GetObj(1), GetObj(0));";
    victim->kill.onKill2 = "Record(2);";
    victim->kill.deathDelay = 3.0f;
    victim->priority = 101;
    PostKill(victim, killer);
    world.ProcessWorldEvents();
    EXPECT_TRUE(Records().empty());
    EXPECT_EQ(QueuedEvents(), 1);

    victim->priority = 100;
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), (std::vector<std::string>{std::to_string(killer->m_ObjID) + "," + std::to_string(victim->m_ObjID),
                                                   "2"}));
    EXPECT_EQ(victim->kill.deathDelay, 0.0f);
    EXPECT_EQ(victim->deaths, 1);
    EXPECT_EQ(QueuedEvents(), 0);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().size(), 2u);

    // a dead victim runs no kill script; a handled kill does nothing; a gone killer is -1
    PostKill(victim, nullptr);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().size(), 2u);
    EXPECT_EQ(victim->deaths, 2);
    victim->kill.killHandled = 1;
    PostKill(victim, killer);
    world.ProcessWorldEvents();
    EXPECT_EQ(victim->deaths, 2);
    EXPECT_EQ(QueuedEvents(), 0);
}

TEST_F(WorldCtrlEventsTest, SequencesUnlockTheirVideos)
{
    for (const char* name : {"sequences/seq3.vid", "sequences\\seq7.wmv", "sequences/seq4", "movies/seq3.vid",
                             "sequences/seqX.vid", "Sequences/seq5.vid"}) {
        WorldEvent event;
        SequenceEventRecord sequence;
        std::strcpy(sequence.name, name);
        sequence.Write(event);
        Post(event);
    }
    world.ProcessWorldEvents();
    EXPECT_EQ(ctrl.unlockedVideos, (std::vector<int32_t>{3, 7, 5}));
}

// What scripts post while the step runs waits for the next step; the first queue takes new
// events again afterwards.
TEST_F(WorldCtrlEventsTest, EventsRaisedDuringTheStepWaitForTheNext)
{
    PostScript("Record(1); Inline('Record(2);', 0);");
    world.ProcessWorldEvents();
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});
    EXPECT_EQ(world.GetEventQueue(0).GetSize(), 1);
    EXPECT_EQ(world.GetEventQueue(1).GetSize(), 0);
    world.ProcessWorldEvents();
    EXPECT_EQ(Records().back(), "2");
}

TEST_F(WorldCtrlEventsTest, UsesPickupsLevelChangesAndTheGamesEvents)
{
    auto* door = Add(new KillTestCreature);
    WorldEvent event;
    UseEventRecord{door->m_ObjID, ElemType::kCreature, 42}.Write(event);
    Post(event);
    PickupRecord{}.Write(event);
    Post(event);
    IDEventRecord{door->m_ObjID}.Write(event, WorldEventType::kElementCall);
    Post(event);
    PostRaw(WorldEventType::kNothing, 0);
    PostRaw(14, 4);
    PostRaw(7, 0);
    world.ProcessWorldEvents();
    ASSERT_EQ(ctrl.uses.size(), 1u);
    EXPECT_EQ(ctrl.uses[0].elem, door);
    EXPECT_EQ(ctrl.uses[0].value, 42);
    EXPECT_EQ(ctrl.uses[0].flag, 1);
    EXPECT_EQ(ctrl.pickups, 1);
    EXPECT_EQ(door->calls, 1);
    EXPECT_EQ(ctrl.gameEvents, (std::vector<uint16_t>{14, 7}));
    EXPECT_EQ(QueuedEvents(), 0);

    LevelChangeRecord change;
    std::strcpy(change.levelName, "levels\\two.cfg");
    std::strcpy(change.startName, "gate");
    change.startNumber = -1;
    change.Write(event);
    Post(event);
    ctrl.mayChangeLevel = false;
    EXPECT_EQ(world.ProcessWorldEvents(), 0);
    EXPECT_EQ(QueuedEvents(), 1);  // the change waits until it may start
    ctrl.mayChangeLevel = true;
    ctrl.guiTexts["loadingscreen/loadinglevel"] = "Loading";
    EXPECT_EQ(world.ProcessWorldEvents(), 1);
    ASSERT_EQ(world.GetLogMessages().GetSize(), 1);
    EXPECT_EQ(String(world.GetLogMessages().GetAt(0)->text), String("Loading"));
    EXPECT_EQ(world.GetLogMessages().GetAt(0)->time, 8.0f);  // shown for 4 seconds
    EXPECT_STREQ(world.GetLevelChangeName(), "levels\\two.cfg");
    EXPECT_EQ(world.GetLevelChangeText(), "gate");
    EXPECT_EQ(world.GetLevelChangeValue(), -1);
}

// Short payloads, vanished victims, stale elements and walls, and events that raise an error are
// dropped; the events after them run.
TEST_F(WorldCtrlEventsTest, BadEventsAreDroppedAndTheStepGoesOn)
{
    LogCapture log;
    auto* stone = Add(new TestElem(ElemType::kItem));
    auto* gone = Add(new KillTestCreature);
    const int32_t goneID = gone->m_ObjID;
    KillEventRecord kill;
    kill.victim.Set(gone);
    world.DelObj(goneID, 1);

    WorldEvent event;
    kill.Write(event);
    Post(event);  // its victim is gone
    PostRaw(WorldEventType::kKill, 15);
    PostRaw(WorldEventType::kScript, 16);
    PostRaw(WorldEventType::kGameEnd, 0);
    UseEventRecord{goneID, ElemType::kCreature, 1}.Write(event);
    Post(event);
    UseEventRecord{99, ElemType::kWall, 1}.Write(event);
    Post(event);
    PostKill(stone, nullptr);  // "Internal error: none-creature in kill event"
    IDEventRecord{77}.Write(event, WorldEventType::kReenter);
    Post(event);  // "Tried to execute invalid script: 77"
    PostScript("Record(1);");
    EXPECT_EQ(world.ProcessWorldEvents(), 0);
    EXPECT_EQ(Records(), std::vector<std::string>{"1"});
    EXPECT_EQ(QueuedEvents(), 0);
    EXPECT_TRUE(ctrl.uses.empty());
    EXPECT_EQ(log.Count("too short"), 3);
    EXPECT_EQ(log.Count("WorldCtrl Error: Internal error: none-creature in kill event"), 1);
    EXPECT_EQ(log.Count("WorldCtrl Error: Tried to execute invalid script: 77"), 1);
    EXPECT_EQ(world.GetScriptStackDepth(), 0);

    world.QueueEvent(event);  // the first queue takes new events again
    EXPECT_EQ(world.GetEventQueue(0).GetSize(), 1);
}

// Music events by their mode; sound events reach the world's sounds (silent here) and are done.
TEST_F(WorldCtrlEventsTest, MusicAndSoundEvents)
{
    const struct {
        const char* name;
        int32_t mode;
    } kMusic[] = {{"battle", 0}, {"wind", 1}, {"calm", -1}};
    for (const auto& c : kMusic) {
        WorldEvent event;
        MusicEventRecord music;
        std::strcpy(music.name, c.name);
        music.mode = c.mode;
        music.fade = 2.0f;
        music.Write(event);
        Post(event);
    }
    WorldEvent event;
    SoundEventRecord sound;
    std::strcpy(sound.name, "door");
    sound.positional = 1;
    sound.sourceID = 999;  // not an element: the sound plays without a source
    sound.Write(event);
    Post(event);
    world.ProcessWorldEvents();
    ASSERT_EQ(ctrl.music.size(), 2u);
    EXPECT_EQ(ctrl.music[0].track, "battle");
    EXPECT_EQ(ctrl.music[0].volume, 1.0f);
    EXPECT_EQ(ctrl.music[0].fadeTime, 2.0f);
    EXPECT_EQ(ctrl.music[1].track, "calm");  // the track chosen by name
    EXPECT_EQ(world.GetMusicPlaying(), String("calm"));
    EXPECT_EQ(g_MusicChannels.names[MusicChannels::kAmbient], String("wind"));
    EXPECT_TRUE(ctrl.gameEvents.empty());
    EXPECT_EQ(QueuedEvents(), 0);
}

// A wall's script runs with the wall as its element: object variable 0 is the wall's ID.
TEST_F(WorldCtrlEventsTest, WallScriptsRunForTheirWall)
{
    world.SetGrid(8, 8, 64, 64);
    VSD_WallIntern* wall = AddTestWall(world, 0.0f, 0.0f, 100.0f, 0.0f);
    ASSERT_NE(wall, nullptr);
    world.RunWallScript(String("Record(GetObj(0));"), *wall, "wall:OnLeave");
    EXPECT_EQ(Records(), std::vector<std::string>{std::to_string(wall->m_ObjID)});
}

TEST_F(WorldCtrlEventsTest, LevelActionEntriesMustExist)
{
    auto* orc = Add(new KillTestCreature);
    orc->actions = {"Slash", "Kick"};
    auto* stone = Add(new TestElem(ElemType::kItem));
    (void)stone;
    world.GetActionTree().Insert(String("Slash"));
    EXPECT_EQ(ErrorOf([&] { world.CheckLevelActionEntries(); }), "Action entry 'Kick' not found");
    world.GetActionTree().Insert(String("Kick"));
    world.CheckLevelActionEntries();
}
