// GameCtrl game functions and game events: a function applied by its attribute and operation,
// the monster level with its rounding and the hero's level, difficulty names, the null event, the
// damage event's direction, typed commands with their history and the debug-use counter, and the
// screenshot's name.
#include "game/ctrl/GameCtrl.h"

#include "game/ctrl/DamageValues_Default.h"
#include "game/objects/CreatureObj.h"
#include "world/WorldEventPayloads.h"

#include "ScriptProbe.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(GameCtrlGameEventsTest, GameFunctionsByAttributeAndOperation)
{
    GameCtrl ctrl;
    CreatureObj creature;
    creature.m_Level = 1;
    creature.m_Experience = 1.0f;
    const struct {
        int32_t attribute;
        int32_t operation;
        float expected;
    } cases[] = {
        {GameFunction::kLevel, GameFunction::kMultiply, 6.0f},  // curve 3 at level 1, times 2
        {GameFunction::kLevel, GameFunction::kAdd, 5.0f},
        {GameFunction::kXP, GameFunction::kMultiply, 6.0f},
        {GameFunction::kMonsterLevel, GameFunction::kMultiply, 6.0f},  // monster level 1 by default
        {GameFunction::kMight, GameFunction::kMultiply, 2.0f},         // nothing of an element
        {GameFunction::kNone, GameFunction::kAdd, 2.0f},
    };
    for (const auto& test : cases) {
        GameFunction* function = ctrl.GetFunctions().Find("f");
        if (!function)
            function = ctrl.GetFunctions().Insert("f");
        function->curve.SetMode(0);  // linear, flat at 3
        function->curve.SetNumKeys(2);
        function->curve.GetKey(0) = {0.0f, 3.0f, 0.0f, 0.0f};
        function->curve.GetKey(1) = {10.0f, 3.0f, 0.0f, 0.0f};
        function->attribute = test.attribute;
        function->attributeOperation = test.operation;
        EXPECT_FLOAT_EQ(ctrl.ApplyGameFunction(2.0f, "f", &creature), test.expected) << test.attribute;
    }
    EXPECT_FLOAT_EQ(ctrl.ApplyGameFunction(2.0f, "f", nullptr), 2.0f);
    EXPECT_FLOAT_EQ(ctrl.ApplyGameFunction(2.0f, "missing", &creature), 2.0f);
}

TEST(GameCtrlGameEventsTest, MonsterLevelAndDifficultyNames)
{
    GameCtrl ctrl;
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 1);  // a level without "MonsterLevel"
    ctrl.SetMonsterLevelRange(3, 6, 1);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 5);  // 1.5 goes up; no hero to add
    CreatureObj hero;
    hero.m_Level = 10;
    ctrl.SetMainCharReference(&hero);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 15);
    ctrl.SetMonsterLevelRange(3, 8, 0);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 6);
    ctrl.SetMonsterLevelRange(8, 3, 0);
    EXPECT_EQ(ctrl.GetMonsterLevel(0.5f), 5);  // -2.5 goes away from zero
    ctrl.SetMainCharReference(nullptr);

    const char* names[] = {"unknown", "easy", "normal", "hard", "unknown"};
    for (int32_t d = 0; d <= 4; ++d)
        EXPECT_STREQ(GameCtrl::DifficultyName(d), names[d]);
}

TEST(GameCtrlGameEventsTest, NullEventAndDamageEvents)
{
    GameCtrl ctrl;
    EXPECT_NE(ErrorOf([&] { ctrl.AddGameEvent(nullptr); }).find("Null pointer added !"), std::string::npos);

    DamageValues_Default damage;
    damage.damage[1] = 7.0f;
    damage.valueB = 2.0f;
    const struct {
        D3DXVECTOR2 direction;
        float x;
        float y;
    } cases[] = {{D3DXVECTOR2(3.0f, 4.0f), 0.6f, 0.8f}, {D3DXVECTOR2(0.0f, 0.0f), 0.0f, 0.0f}};
    auto& queue = ctrl.GetWorld().GetEventQueue(0);
    for (const auto& test : cases) {
        queue.DeleteAll();
        ctrl.AddDamageEvent(4, 9, &damage, 1, 2, test.direction);
        ASSERT_EQ(queue.GetSize(), 1);
        const WorldEvent* event = queue.GetAt(0);
        EXPECT_EQ(event->type, WorldEventType::kDamage);
        DamageEventRecord record;
        ASSERT_TRUE(record.Read(*event));
        EXPECT_EQ(record.target.objID, -1);  // no element of that ID: no reference
        EXPECT_EQ(record.causerID, 9);
        EXPECT_EQ(record.causer.objID, -1);
        EXPECT_FLOAT_EQ(record.damage.damage[1], 7.0f);
        EXPECT_FLOAT_EQ(record.damage.valueB, 2.0f);
        EXPECT_FLOAT_EQ(record.damage.physical[0], 0.0f);  // the engine's set has no game values
        EXPECT_EQ(record.values[1], 2);
        EXPECT_FLOAT_EQ(record.origin[0], 1.0f);
        EXPECT_FLOAT_EQ(record.origin[1], 2.0f);
        EXPECT_FLOAT_EQ(record.direction[0], test.x);
        EXPECT_FLOAT_EQ(record.direction[1], test.y);
    }
    WorldEvent shortEvent;  // a payload cut short reads as nothing
    const uint8_t bytes[8] = {};
    SetEventPayload(shortEvent, WorldEventType::kDamage, bytes, 8, 0.0);
    DamageEventRecord record;
    EXPECT_FALSE(record.Read(shortEvent));
}

TEST(GameCtrlGameEventsTest, TypedCommandsAndTheDebugUseCounter)
{
    ProbeCtrl ctrl;
    ProbeCtrl::Probe() = {};
    ctrl.RunCommand("@probe();");
    EXPECT_EQ(ProbeCtrl::Probe().reads, 1);
    EXPECT_TRUE(ProbeCtrl::Probe().runFlag);  // mode 1
    EXPECT_TRUE(ctrl.forwarded.empty());
    ASSERT_EQ(ctrl.GetConsoleHistory().GetSize(), 1);
    EXPECT_STREQ(ctrl.GetConsoleHistory().GetAt(0)->c_str(), "@probe();");
    EXPECT_EQ(ctrl.GetConsoleHistoryCursor(), 0);
    EXPECT_EQ(ctrl.GetConsoleUsed(), 0);  // no debug use: the flag stays

    ctrl.RaiseDebugUse();  // a count left from before does not count for the next command
    ctrl.RunCommand("probe();");
    EXPECT_FALSE(ProbeCtrl::Probe().runFlag);  // mode 2, forwarded
    EXPECT_EQ(ctrl.forwarded, std::vector<std::string>{"probe();"});
    EXPECT_EQ(ctrl.GetConsoleUsed(), 0);
    ctrl.RunCommand("debug();");
    EXPECT_EQ(ctrl.GetConsoleUsed(), 1);
    EXPECT_EQ(ctrl.GetConsoleHistory().GetSize(), 3);
}

TEST(GameCtrlGameEventsTest, ScreenshotNames)
{
    GameDir dir;
    GameCtrl ctrl;
    EXPECT_STREQ(ctrl.SaveScreenshot("shot.png").c_str(), "shot.png");
    EXPECT_FALSE(std::filesystem::exists(dir("screenshots")));
    EXPECT_STREQ(ctrl.SaveScreenshot(nullptr).c_str(), "screenshots/scrshot");
    EXPECT_TRUE(std::filesystem::is_directory(dir("screenshots")));
    EXPECT_STREQ(ctrl.SaveScreenshot("").c_str(), "screenshots/scrshot");  // there already
}
