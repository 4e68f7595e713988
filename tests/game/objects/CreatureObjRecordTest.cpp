// CreatureObj record: the writer's bytes against the layout written by hand, the version gates of
// the reader, the strategy named by a record, the action state with its lock list and its targets
// resolved once the level is whole, the strategy record, and influences keeping their source.
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"

#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"
#include "support/LogCapture.h"
#include "world/KI_Strategy.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kTint = 0x80FF2010u;

// The record as the format gives it at a stream version.
std::vector<uint8_t> Record(uint16_t version, const std::string& strategy)
{
    ByteBuilder b;
    b.F32(75.0f).I32(3).I32(4).F32(20.0f).F32(5.0f).F32(6.0f);
    if (version >= 207)
        b.F32(2.0f).F32(3.0f);
    if (version < 183)
        b.F32(111.0f).F32(222.0f);
    if (version >= 267)
        b.I32(int32_t(kTint)).Str(strategy);
    if (version >= 269)
        b.U8(1).F32(12.5f);
    return b.bytes;
}

void Load(CreatureObj& creature, const std::vector<uint8_t>& bytes, uint16_t version)
{
    File file;
    ByteBuilder{bytes}.Into(file);
    creature.LoadCreature(file, version, false);
    EXPECT_EQ(file.GetRemaining(), 0) << version;
}

class CreatureObjRecordTest : public ::testing::Test {
protected:
    CreatureObjRecordTest()
    {
        ctrl.gameWorld = &world;
        guard = world.GetStrategyTree().Insert(String("Guard"));
        guard->name = "Guard";
    }

    LevelTestCtrl ctrl;
    WorldCtrl world;
    KI_Strategy* guard = nullptr;
};

}  // namespace

TEST_F(CreatureObjRecordTest, WriterBytesAndRoundTrip)
{
    CreatureObj creature;
    creature.m_Health = 75.0f;
    creature.m_Level = 3;
    creature.m_HighestLevel = 4;
    creature.m_Mana = 20.0f;
    creature.m_ManaRefillLeft = 5.0f;
    creature.m_HealthRefillLeft = 6.0f;
    creature.m_ManaRefillRate = 2.0f;
    creature.m_HealthRefillRate = 3.0f;
    creature.m_TintColour = kTint;
    creature.m_DefaultStrategyName = "Guard";
    creature.m_Dead = 1;
    creature.m_DeathTime = 12.5f;
    File out;
    out.CreateMemoryFile(0);
    creature.SaveCreature(out, false);
    EXPECT_EQ(BytesOf(out), Record(CreatureObj::kRecordVersion, "Guard"));

    CreatureObj loaded;
    Load(loaded, BytesOf(out), CreatureObj::kRecordVersion);
    EXPECT_EQ(loaded.m_Health, 75.0f);
    EXPECT_EQ(loaded.m_HighestLevel, 4);
    EXPECT_EQ(loaded.m_HealthRefillRate, 3.0f);
    EXPECT_EQ(loaded.m_TintColour, kTint);
    EXPECT_EQ(loaded.GetStrategyData().strategy, guard);
    EXPECT_TRUE(loaded.IsDead());
    EXPECT_EQ(loaded.m_DeathTime, 12.5f);
}

TEST_F(CreatureObjRecordTest, VersionGates)
{
    struct Case {
        uint16_t version;
        float refillRate;     // the health refill rate loaded
        uint32_t tint;        // all bits: not in the record
        bool strategy;
        bool dead;
    };
    const Case kCases[] = {
        {275, 3.0f, kTint, true, true},
        {269, 3.0f, kTint, true, true},
        {268, 3.0f, kTint, true, false},
        {267, 3.0f, kTint, true, false},
        {266, 3.0f, 0xFFFFFFFFu, false, false},
        {207, 3.0f, 0xFFFFFFFFu, false, false},
        {206, 10.0f, 0xFFFFFFFFu, false, false},  // old saves refill at 10 per second
        {200, 10.0f, 0xFFFFFFFFu, false, false},
        {183, 10.0f, 0xFFFFFFFFu, false, false},
        {182, 10.0f, 0xFFFFFFFFu, false, false},  // the two old values are skipped
    };
    for (const Case& c : kCases) {
        CreatureObj creature;
        Load(creature, Record(c.version, "Guard"), c.version);
        EXPECT_EQ(creature.m_Health, 75.0f) << c.version;
        EXPECT_EQ(creature.m_HealthRefillLeft, 6.0f) << c.version;
        EXPECT_EQ(creature.m_HealthRefillRate, c.refillRate) << c.version;
        EXPECT_EQ(creature.m_ManaRefillRate, c.version >= 207 ? 2.0f : 10.0f) << c.version;
        EXPECT_EQ(creature.m_TintColour, c.tint) << c.version;
        EXPECT_EQ(creature.GetStrategyData().strategy, c.strategy ? guard : nullptr) << c.version;
        EXPECT_EQ(creature.IsDead(), c.dead) << c.version;
        EXPECT_EQ(creature.m_DeathTime, c.dead ? 12.5f : 0.0f) << c.version;
    }
}

TEST_F(CreatureObjRecordTest, StrategyNamesAndShortRecords)
{
    CreatureObj creature;
    EXPECT_EQ(ErrorOf([&] { Load(creature, Record(275, "Nope"), 275); }), "Strategy entry 'Nope' not found");
    CreatureObj unnamed;
    Load(unnamed, Record(275, ""), 275);  // an empty name makes no strategy current
    EXPECT_EQ(unnamed.GetStrategyData().strategy, nullptr);

    const std::vector<uint8_t> whole = Record(275, "Guard");
    for (size_t cut : {size_t(0), size_t(10), whole.size() - 1}) {
        CreatureObj shortOne;
        File file;
        ByteBuilder{std::vector<uint8_t>(whole.begin(), whole.begin() + cut)}.Into(file);
        EXPECT_NE(ErrorOf([&] { shortOne.LoadCreature(file, 275, false); }).find("Creature record cut short"),
                  std::string::npos)
            << cut;
    }
}

TEST_F(CreatureObjRecordTest, ActionStateAndTargetsAfterLoading)
{
    CreatureObj* target = AddTestElem<CreatureObj>(world);
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    creature->m_ActionState.actionName = "Slash";
    creature->m_ActionState.actionCode = 6;
    creature->m_ActionState.actionTargetObj = target;
    creature->m_ActionState.moveVecB[1] = 4.5f;
    creature->AddForcedAction(7, 2.0f, CreatureForcedAction::kLocksMovement);
    creature->AddForcedAction(5, 1.0f, CreatureForcedAction::kLocksAction);
    File out;
    out.CreateMemoryFile(0);
    creature->SaveActionState(out);

    CreatureObj* loaded = AddTestElem<CreatureObj>(world);
    loaded->SetBlockedFlagA(1);
    out.Seek(0);
    loaded->LoadActionState(out);
    EXPECT_EQ(out.GetRemaining(), 0);
    const CreatureActionState& s = loaded->m_ActionState;
    EXPECT_EQ(s.actionCode, 6);
    EXPECT_STREQ(s.actionName.c_str(), "Slash");
    EXPECT_EQ(s.moveVecB[1], 4.5f);
    EXPECT_EQ(s.movePriority, 7);
    EXPECT_EQ(s.actionPriority, 5);
    EXPECT_EQ(s.forcedActions.GetSize(), 2);
    EXPECT_EQ(loaded->m_BlockedFlagA, 0);
    EXPECT_EQ(s.actionTargetObj.Get(), nullptr);  // held until the level is whole
    loaded->RestoreWallChildren();
    EXPECT_EQ(s.actionTargetObj.Get(), target);
    EXPECT_EQ(s.moveTargetObj.Get(), nullptr);

    // A lock count the bytes left cannot hold is refused before anything is made.
    ByteBuilder lying;
    lying.I32(0).I32(-1).Str("").F32(0).I32(0).I32(0).Zeros(36).I32(-1).I32(-1).I32(0x7FFFFFFF).Zeros(12);
    File file;
    lying.Into(file);
    CreatureObj victim;
    EXPECT_NE(ErrorOf([&] { victim.LoadActionState(file); }).find("Forced action count 2147483647"),
              std::string::npos);
    EXPECT_EQ(victim.m_ActionState.forcedActions.GetSize(), 0);
}

TEST_F(CreatureObjRecordTest, StrategyRecord)
{
    LogCapture log;
    CreatureStrategyData data;
    data.name = "mob";
    data.secondValue = 2;
    data.strategyTimer = 1.25f;
    data.strategy = guard;
    data.timedValues.Add();
    data.timedValues.GetAt(0)->level = 4;
    data.timedValues.GetAt(0)->time = 3.0f;
    data.RecomputeTimedLevel();
    File out;
    out.CreateMemoryFile(0);
    data.Save(out);

    CreatureStrategyData loaded;
    out.Seek(0);
    loaded.Load(out, &world);
    EXPECT_EQ(out.GetRemaining(), 0);
    EXPECT_EQ(loaded.timedLevel, 4);
    EXPECT_STREQ(loaded.name.c_str(), "mob");
    EXPECT_EQ(loaded.strategyTimer, 1.25f);
    EXPECT_EQ(loaded.timedValues.GetSize(), 1);
    EXPECT_EQ(loaded.strategy, guard);

    struct Case {
        const char* strategy;
        int warnings;
    };
    for (const Case& c : {Case{"", 0}, Case{"Unknown", 1}}) {
        ByteBuilder b;
        b.I32(-1).Str("").F32(0).I32(0).U16(0).Str(c.strategy);
        File file;
        b.Into(file);
        loaded.Load(file, nullptr);  // without a world: the controller's
        EXPECT_EQ(loaded.strategy, nullptr) << c.strategy;
        EXPECT_EQ(log.Count("CreatureStrategyData load: unknown strategy: Unknown"), c.warnings) << c.strategy;
    }

    ByteBuilder lying;
    lying.I32(-1).Str("").F32(0).I32(0).U16(0x7FFF).Zeros(8);
    File file;
    lying.Into(file);
    EXPECT_NE(ErrorOf([&] { loaded.Load(file, &world); }).find("Timed AI entry count 32767"), std::string::npos);
}

TEST_F(CreatureObjRecordTest, InfluenceKeepsItsSource)
{
    CreatureObj* source = AddTestElem<CreatureObj>(world);
    CreatureObj* creature = AddTestElem<CreatureObj>(world);
    ItemBase potion;
    potion.m_Desc = "Potion";
    ctrl.itemTable["Potion"] = &potion;
    CreatureInfluence& force = *creature->m_Influences.GetBySlot(creature->m_Influences.Add());
    force.type = CreatureObj::kEffectForce;
    force.params.InitObject(1.5f, 4.0f, source, 9);
    force.priority = 3;
    CreatureInfluence& item = *creature->m_Influences.GetBySlot(creature->m_Influences.Add());
    item.type = CreatureObj::kEffectItem;
    item.params.InitItem("Potion", 2.0f);
    EXPECT_EQ(item.params.x, 1.0f);
    EXPECT_EQ(item.params.GetItem(), &potion);

    File out;
    out.CreateMemoryFile(0);
    force.Save(out);
    item.Save(out);
    out.Seek(0);
    CreatureObj* loaded = AddTestElem<CreatureObj>(world);
    for (int32_t i = 0; i < 2; i++)
        loaded->m_Influences.GetBySlot(loaded->m_Influences.Add())->Load(out, CreatureObj::kRecordVersion);
    EXPECT_EQ(out.GetRemaining(), 0);
    CreatureInfluence& again = *loaded->m_Influences.GetAt(0);
    EXPECT_EQ(again.type, CreatureObj::kEffectForce);
    EXPECT_EQ(again.params.y, 4.0f);
    EXPECT_EQ(again.params.value, 9);
    EXPECT_EQ(again.priority, 3);
    EXPECT_EQ(again.params.further[0], (4 << 24) | source->m_ObjID);
    EXPECT_EQ(loaded->m_Influences.GetAt(1)->params.GetItem(), &potion);
    loaded->RestoreWallChildren();
    EXPECT_EQ(again.params.target.Get(), source);  // a loaded force still has its source

    // Before the item IDs were saved the record ends after the target.
    ByteBuilder old;
    old.I32(CreatureObj::kEffectSlow).F32(1).I32(0).F32(2).I32(-1).I32(1);
    File file;
    old.Into(file);
    CreatureInfluence slow;
    slow.Load(file, 233);
    EXPECT_EQ(file.GetRemaining(), 0);
    EXPECT_EQ(slow.priority, 1);
}
