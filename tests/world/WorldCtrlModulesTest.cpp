// WorldCtrl modules and small script services: target slot and AI action names, preloading an
// object with its "OnInit" held back, the play-sound event, sound loudness, the visual effects of
// the server, releasing element scripts, and resetting modules and their pending re-entries.
#include "world/WorldCtrl.h"

#include "world/WorldEventPayloads.h"
#include "world/WorldScriptTestSupport.h"

#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class WorldCtrlModulesTest : public ::testing::Test, public WorldScriptFixture {};

}  // namespace

TEST(WorldCtrlNamesTest, TargetSlotsAndActionTypes)
{
    const struct {
        const char* name;
        int32_t slot;
    } kSlots[] = {{"tArGeT7", 107}, {"Target17", -1}, {"Target1", 101}, {"TARGET16", 116}, {"Target0", -1},
                  {"Target07", -1}, {"hero", 5},      {"LastEnemy", 1}, {"lasttarget", 2}, {"Creator", 3},
                  {"Friends", 4},   {"Target", -1},   {"", -1},         {nullptr, -1}};
    for (const auto& c : kSlots)
        EXPECT_EQ(WorldCtrl::GetTargetSlotByName(c.name), c.slot) << (c.name ? c.name : "null");

    const struct {
        const char* name;
        int32_t code;
    } kActions[] = {{"block", 6},        {"", 23},           {"jUmP_lEfT", 19}, {"ACTION", 0},
                    {"SHEATH_WEAPON", 22}, {"GO_DIRECTION_ENEMY", 12}, {"JUMP", 23}, {nullptr, 23}};
    for (const auto& c : kActions)
        EXPECT_EQ(ParseAIActionType(c.name), c.code) << (c.name ? c.name : "null");
}

TEST(WorldCtrlNamesTest, SoundLoudnessAndSteps)
{
    EXPECT_EQ(SoundFalloff(0.0f, 100.0f), 1.0f);
    EXPECT_EQ(SoundFalloff(150.0f, 100.0f), 0.0f);
    EXPECT_FLOAT_EQ(SoundFalloff(25.0f, 100.0f), 0.75f);
    EXPECT_FLOAT_EQ(SoundFalloff(0.5f, 1.0f), 0.5f);  // a range of 1 or less takes the distance itself
    g_SoundFalloffExponent = 0.5f;
    EXPECT_FLOAT_EQ(SoundFalloff(50.0f, 100.0f), 0.75f);
    g_SoundFalloffExponent = 0.0f;
    EXPECT_EQ(SoundFalloff(50.0f, 100.0f), 1.0f);
    g_SoundFalloffExponent = 1.0f;

    EXPECT_EQ(MoveToward(1.0f, 5.0f, 1.5f), 2.5f);
    EXPECT_EQ(MoveToward(5.0f, 1.0f, 1.5f), 3.5f);
    EXPECT_EQ(MoveToward(1.0f, 2.0f, 1.5f), 2.0f);
}

// The element is created with its "OnInit" held back and deleted again the usual way; the hold
// is lifted on every way out.
TEST_F(WorldCtrlModulesTest, PreloadObject)
{
    bool heldBack = false;
    ctrl.createObject = [&](const char* type) -> WorldElemGridBase* {
        if (std::string(type) != "barrel")
            ctrl.Error("World object '%s' not found", type);
        heldBack = world.AreInitScriptsSuspended();
        auto* elem = new TestElem(ElemType::kItem);
        world.AddObj(elem, 0, false);
        return elem;
    };
    world.PreloadObject("barrel");
    EXPECT_TRUE(heldBack);
    EXPECT_EQ(world.GetNumElements(), 0);
    EXPECT_EQ(ctrl.objectsDeleted.size(), 1u);
    EXPECT_FALSE(world.AreInitScriptsSuspended());
    EXPECT_EQ(ErrorOf([&] { world.PreloadObject("dragon"); }), "World object 'dragon' not found");
    EXPECT_FALSE(world.AreInitScriptsSuspended());
}

TEST_F(WorldCtrlModulesTest, PlaySoundEvent)
{
    TestElem source;
    source.m_ObjID = 12;
    const D3DXVECTOR2 at(3.0f, 4.0f);
    PlaySound("", &at, &source, 1);
    PlaySound(nullptr, &at, &source, 1);
    EXPECT_EQ(QueuedEvents(), 0);
    PlaySound(std::string(200, 'n').c_str(), &at, &source, 9);
    PlaySound("door", nullptr, nullptr, 2);
    ASSERT_EQ(world.GetEventQueue(0).GetSize(), 2);
    SoundEventRecord sound;
    ASSERT_TRUE(sound.Read(*world.GetEventQueue(0).GetBySlot(0)));
    EXPECT_EQ(std::string(sound.name), std::string(123, 'n'));
    EXPECT_EQ(sound.parameter, 9);
    EXPECT_EQ(sound.x, 3.0f);
    EXPECT_EQ(sound.y, 4.0f);
    EXPECT_EQ(sound.positional, 1);
    EXPECT_EQ(sound.sourceID, 12);
    ASSERT_TRUE(sound.Read(*world.GetEventQueue(0).GetBySlot(1)));
    EXPECT_EQ(sound.x, 0.0f);
    EXPECT_EQ(sound.positional, 0);
    EXPECT_EQ(sound.sourceID, -1);
}

TEST_F(WorldCtrlModulesTest, ServerServicesAndModuleResets)
{
    EXPECT_EQ(world.AddEffect(1, 2, 3, 4, 5, 6, 7, 8), 1);
    EXPECT_EQ(world.AddEffectEx(1, 2, 3, 4, 5, 6, 7, 8, 9), 1);
    world.SetCountDown(3.0f, String("bomb"));
    world.Process(0.5f);
    EXPECT_EQ(world.GetCountDown(), 2.5f);
    EXPECT_EQ(world.GetCountDownTotal(), 3.0f);

    auto* elem = new TestElem;
    world.AddObj(elem, 0, false);
    elem->m_InlineScript = std::make_unique<ScriptReaderGameEngine>();
    WorldCtrl::ReleaseElementScripts(world.GetElementTable());
    EXPECT_EQ(elem->m_InlineScript, nullptr);

    // two paused scripts: their re-entries are dropped, their modules reset
    RunText("Reenter(); return; Record(1);");
    RunText("Reenter(); return; Record(2);");
    EXPECT_EQ(QueuedEvents(), 2);
    world.DropReenterEvents();
    EXPECT_EQ(QueuedEvents(), 0);
    world.ResetScriptModules();
    EXPECT_EQ(world.GetNumScriptModules(), 2);
    world.ProcessWorldEvents();
    EXPECT_TRUE(Records().empty());
}
