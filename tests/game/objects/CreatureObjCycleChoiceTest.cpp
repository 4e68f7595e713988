// CreatureObj's cycle chooser: attack alternatives, bored cycles by health and dialogue,
// walking with its same-request rule, fall-backs played backwards, hits, turns, death speeds,
// dropped requests, repeated requests; speeds by mode and direction; position elements.
#include "game/objects/CreatureObj.h"

#include "base/Random.h"
#include "game/objects/CreatureCycleTestSupport.h"
#include "support/LogCapture.h"
#include "world/WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace {

constexpr int32_t kWalk = 128;
constexpr int32_t kBackWalk = 131;
constexpr float kPi = 3.14159265f;

class CreatureObjCycleChoiceTest : public ::testing::Test {
protected:
    CreatureObjCycleChoiceTest()
    {
        ctrl.gameWorld = &world;
        for (int32_t n : {0, 1, 2, kWalk, 129, 130})
            AddTestCycle(set, n);
        set.m_BoredCount = 3;
        creature.BindCycleSet(&set);
    }
    const AC_FadeProperties& Base() const { return creature.m_CyclePlayers[0]; }

    LevelTestCtrl ctrl;
    ScriptWorld world;
    AniCycleSet set;
    CreatureObj creature;
};

}  // namespace

TEST_F(CreatureObjCycleChoiceTest, AttackAlternatives)
{
    const int32_t attack = 192 + 5;
    for (int32_t k = 0; k < 3; k++)
        AddTestCycle(set, attack + 64 * k);
    set.m_AttackVariantCount[5] = 3;
    Random::Seed(1234);
    std::set<int32_t> seen;
    for (int i = 0; i < 60; i++) {
        ASSERT_TRUE(creature.SetAniCycle(attack, 0, false, true));
        seen.insert(Base().cycleNumber);
        EXPECT_EQ(Base().speed, 1.0f);
    }
    EXPECT_EQ(seen, (std::set<int32_t>{attack, attack + 64, attack + 128}));

    set.GetCycle(attack + 128).m_FileName = String();  // the third is missing
    LogCapture log;
    bool cleared = false;
    for (int i = 0; i < 60 && !cleared; i++)
        cleared = !creature.SetAniCycle(attack, 0, false, true);
    EXPECT_TRUE(cleared);
    EXPECT_EQ(Base().cycleNumber, -1);
    EXPECT_EQ(log.Count("Invalid attack cycle set: 5"), 1);
    EXPECT_FALSE(creature.SetAniCycle(192 + 6, 0, false, false));  // no alternatives at all
}

TEST_F(CreatureObjCycleChoiceTest, BoredByHealthAndDialogue)
{
    const struct {
        float health;
        int16_t healthy, wounded, badly;
        int32_t cycle;
    } kCases[] = {
        {40.0f, 1, 1, 1, 0},  // wounded: value 1 - 1
        {60.0f, 3, 2, 1, 2},  {40.0f, 3, 2, 1, 1}, {25.0f, 3, 2, 1, 0}, {100.0f, 9, 1, 1, 0},  // 8 is no cycle
    };
    for (const auto& c : kCases) {
        LogCapture log;
        CreatureObj monster;
        monster.BindCycleSet(&set);
        monster.m_Health = c.health;
        monster.m_CycleWords[0] = uint16_t(c.healthy);  // weapon class 0
        monster.m_CycleWords[2] = uint16_t(c.wounded);
        monster.m_CycleWords[4] = uint16_t(c.badly);
        EXPECT_TRUE(monster.SetAniCycle(0, 0, false, false));
        EXPECT_EQ(monster.m_CyclePlayers[0].cycleNumber, c.cycle) << c.health << " " << c.healthy;
        EXPECT_EQ(log.Count("Invalid bored cycle requested: 8"), c.healthy == 9 ? 1 : 0);
    }

    creature.m_Health = 100.0f;
    creature.m_CycleWords[0] = uint16_t(-1);  // at random among the three
    Random::Seed(99);
    std::set<int32_t> seen;
    for (int i = 0; i < 40; i++) {
        creature.SetAniCycle(0, 0, false, true);
        seen.insert(Base().cycleNumber);
    }
    EXPECT_EQ(seen, (std::set<int32_t>{0, 1, 2}));

    creature.m_CycleWords[6] = 3;  // special, class 0: in a dialogue
    ctrl.dialogPartners.insert(&creature);
    creature.SetAniCycle(0, 0, false, true);
    EXPECT_EQ(Base().cycleNumber, 2);
    ctrl.dialogPartners.clear();

    creature.m_Dead = 1;  // the dead keep the number asked for
    creature.SetAniCycle(1, 0, false, true);
    EXPECT_EQ(Base().cycleNumber, 1);
}

TEST_F(CreatureObjCycleChoiceTest, WalkingAndItsSameRequest)
{
    creature.m_MovementMode = 0;
    EXPECT_TRUE(creature.SetAniCycle(kWalk, 0, false, false));
    EXPECT_EQ(Base().cycleNumber, kWalk);
    creature.m_CyclePlayers[0].speed = 7.0f;
    EXPECT_TRUE(creature.SetAniCycle(kWalk, 0, false, false));  // the same again: nothing
    EXPECT_EQ(Base().speed, 7.0f);
    creature.m_Cycle.movementChanged = 1;  // a change of movement mode sets it again
    EXPECT_TRUE(creature.SetAniCycle(kWalk, 0, false, false));
    EXPECT_EQ(Base().speed, 1.0f);

    creature.m_Cycle.walkAniFactor = 2.0f;
    creature.m_MovementMode = -2;  // slow walk without cycle 164: the walk at M x Wk
    creature.SetAniCycle(164, 0, false, false);
    EXPECT_EQ(Base().cycleNumber, kWalk);
    EXPECT_FLOAT_EQ(Base().speed, 2.0f);
    AddTestCycle(set, 164);
    creature.SetAniCycle(kWalk, 0, false, false);
    EXPECT_EQ(Base().cycleNumber, 164);
}

TEST_F(CreatureObjCycleChoiceTest, FallBacksPlayedBackwards)
{
    creature.m_MovementMode = 0;
    creature.m_Cycle.forwardSpeed = 200.0f;
    creature.m_Cycle.backwardSpeed = 50.0f;
    creature.m_Cycle.sideSpeed = 100.0f;
    const struct {
        int32_t request;
        int32_t cycle;
        float speed;
        int32_t reverse;
        bool result;
    } kCases[] = {
        {kBackWalk, kWalk, 0.25f, 1, true},  // no backwalk: the walk backwards at back / fwd
        {132, kWalk, 0.5f, 0, true},         // no leftwalk: the walk at side / fwd
        {156, kWalk, 0.5f, 0, true},
        {160, kWalk, 0.25f, 1, false},       // neither 160 nor 157: a backwalk request
        {134, kWalk, 1.0f, 0, true},         // no turn cycle
    };
    for (const auto& c : kCases) {
        EXPECT_EQ(creature.SetAniCycle(c.request, 0, false, true), c.result) << c.request;
        EXPECT_EQ(Base().cycleNumber, c.cycle) << c.request;
        EXPECT_FLOAT_EQ(Base().speed, c.speed) << c.request;
        EXPECT_EQ(Base().reverse, c.reverse) << c.request;
    }
    AddTestCycle(set, 157);  // back-left: forwardRight backwards
    EXPECT_TRUE(creature.SetAniCycle(160, 0, false, true));
    EXPECT_EQ(Base().cycleNumber, 157);
    EXPECT_EQ(Base().reverse, 1);
    AddTestCycle(set, kBackWalk);
    EXPECT_TRUE(creature.SetAniCycle(kBackWalk, 0, false, true));
    EXPECT_EQ(Base().cycleNumber, kBackWalk);
    EXPECT_EQ(Base().reverse, 0);

    AddTestCycle(set, 141, 2.0f, false);  // put the weapon away: from its end backwards
    EXPECT_TRUE(creature.SetAniCycle(141, 0, true, true));
    EXPECT_EQ(Base().reverse, 1);
    EXPECT_EQ(Base().time, 2.0f);
}

TEST_F(CreatureObjCycleChoiceTest, HitsTurnsAndStun)
{
    creature.m_Cycle.hitLength = 0.5f;
    creature.m_Cycle.hitRestart = 1;
    EXPECT_TRUE(creature.SetAniCycle(136, 0, false, false));  // unarmed: the plain hit
    EXPECT_EQ(Base().cycleNumber, 130);
    EXPECT_FLOAT_EQ(Base().speed, 4.0f);  // a 2 s cycle in 0.5 s
    EXPECT_EQ(creature.m_Cycle.hitRestart, 0);

    AddTestCycle(set, 134);
    set.m_TurnTotalAngle = kPi;
    creature.m_Cycle.turningSpeed = -kPi / 2.0f;
    EXPECT_TRUE(creature.SetAniCycle(165, 0, false, true));  // no turnRight: turnLeft
    EXPECT_EQ(Base().cycleNumber, 134);
    EXPECT_FLOAT_EQ(Base().speed, 1.0f);  // 2 s x (pi/2) / pi
    EXPECT_FLOAT_EQ(creature.GetTurnCycleSpeed(), 1.0f);

    EXPECT_FALSE(creature.SetAniCycle(142, 0, false, true));  // no stun: bored instead
    EXPECT_EQ(Base().cycleNumber, 0);
    LogCapture log;
    EXPECT_FALSE(creature.SetAniCycle(145, 0, false, true));
    EXPECT_FALSE(creature.SetAniCycle(150, 0, false, true));
    EXPECT_EQ(log.Count("Invalid jump cycle set: 145"), 1);
    EXPECT_EQ(log.Count("Invalid dodge cycle set: 150"), 1);
}

TEST_F(CreatureObjCycleChoiceTest, DeathSpeeds)
{
    // r = 0.9 + 0.2 x identity / 2^31, played at r cubed.
    const struct {
        int32_t identity;
        float speed;
    } kCases[] = {{0, 0.729f}, {0x40000000, 1.0f}, {0x7FFFFFFF, 1.331f}};
    for (const auto& c : kCases) {
        CreatureObj monster;
        monster.BindCycleSet(&set);
        monster.m_MyRnd = c.identity;
        monster.PlayDeathCycle();
        EXPECT_EQ(monster.m_CyclePlayers[0].cycleNumber, 129);
        EXPECT_NEAR(monster.m_CyclePlayers[0].speed, c.speed, 1e-5f) << c.identity;
        EXPECT_GE(monster.m_CyclePlayers[0].speed, 0.729f - 1e-6f);
        EXPECT_LE(monster.m_CyclePlayers[0].speed, 1.331f + 1e-6f);
    }
    creature.m_MainCharacter = 1;
    creature.m_MyRnd = 0;
    AddTestCycle(set, 449);
    creature.m_Cycle.deathVariant = 2;
    creature.PlayDeathCycle();
    EXPECT_EQ(Base().cycleNumber, 449);
    EXPECT_EQ(Base().speed, 1.0f);  // the main character's r is 1
    AddTestCycle(set, 450);
    creature.m_Cycle.deathCycle = 451;  // value - 1
    creature.PlayDeathCycle();
    EXPECT_EQ(Base().cycleNumber, 450);
}

TEST_F(CreatureObjCycleChoiceTest, UnknownRequestsAreDropped)
{
    creature.SetAniCycle(kWalk, 0, false, false);
    LogCapture log;
    const struct {
        int32_t number, type;
        const char* message;
    } kCases[] = {
        {451, 0, "Unknown anicycle: 451"}, {135, 0, "Unknown anicycle: 135"}, {300, 0, "Unknown anicycle: 300"},
        {-5, 0, "Unknown anicycle: -5"},   {kWalk, 2, "Invalid CycleType"},
    };
    for (const auto& c : kCases) {
        EXPECT_FALSE(creature.SetAniCycle(c.number, c.type, false, false)) << c.number;
        EXPECT_EQ(log.Count(c.message), 1) << c.message;
    }
    EXPECT_EQ(Base().cycleNumber, kWalk);
    EXPECT_TRUE(creature.SetAniCycle(-1, 1, false, false));
    EXPECT_EQ(creature.m_CyclePlayers[1].cycleNumber, -1);
}

TEST_F(CreatureObjCycleChoiceTest, RepeatedRequests)
{
    creature.m_MainCharacter = 1;  // controlled by input: set at once
    EXPECT_FALSE(creature.RequestCycleRepeated(130));
    EXPECT_EQ(Base().cycleNumber, 130);

    CreatureObj monster;
    monster.BindCycleSet(&set);
    const bool kExpected[] = {false, false, false, true, true};
    for (bool expected : kExpected)
        EXPECT_EQ(monster.RequestCycleRepeated(kWalk), expected);
    EXPECT_EQ(monster.m_CyclePlayers[0].cycleNumber, kWalk);
    EXPECT_FALSE(monster.RequestCycleRepeated(130));  // another number starts again
}

TEST_F(CreatureObjCycleChoiceTest, SpeedsByModeAndDirection)
{
    CreatureCycleValues& c = creature.m_Cycle;
    c.forwardSpeed = 120.0f;
    c.backwardSpeed = 60.0f;
    c.sideSpeed = 80.0f;
    c.slowSpeed = 40.0f;
    c.runForwardSpeed = 300.0f;
    c.runBackwardSpeed = 90.0f;
    c.runSideSpeed = 110.0f;
    const struct {
        int32_t mode;
        bool mainInViewMode1;
        float fwd, side, back;
    } kModes[] = {
        {0, false, 120, 80, 60}, {3, false, 120, 80, 60}, {-2, false, 40, 40, 40},
        {-1, false, 300, 110, 90}, {-1, true, 120, 120, 120},
    };
    for (const auto& m : kModes) {
        creature.m_MovementMode = m.mode;
        creature.m_MainCharacter = m.mainInViewMode1 ? 1 : 0;
        ctrl.viewMode = m.mainInViewMode1 ? 1 : 0;
        EXPECT_EQ(creature.GetForwardSpeed(), m.fwd) << m.mode;
        EXPECT_EQ(creature.GetSideSpeed(), m.side) << m.mode;
        EXPECT_EQ(creature.GetBackwardSpeed(), m.back) << m.mode;
    }
    ctrl.viewMode = 0;
    creature.m_MainCharacter = 0;
    creature.m_MovementMode = 0;
    creature.m_SlowAmount = 0.5f;
    EXPECT_EQ(creature.GetForwardSpeed(), 60.0f);  // times the movement multiplier
    creature.m_SlowAmount = 0.0f;

    // The ellipse's polar radius r = ab / sqrt((b cos t)^2 + (a sin t)^2), a along the facing.
    creature.SetAngle(0.3f);
    for (float t : {0.0f, 0.4f, 1.2f, kPi / 2.0f, 2.0f, 2.9f, -0.7f}) {
        const float dir = 0.3f + t;
        const double a = std::cos(t) > 0.0 ? 120.0 : 60.0;
        const double b = 80.0;
        const double r = a * b / std::sqrt(std::pow(b * std::cos(t), 2) + std::pow(a * std::sin(t), 2));
        EXPECT_NEAR(creature.GetSpeedInDirection(2.0f * std::cos(dir), 2.0f * std::sin(dir), 0.1f), r, 1e-2) << t;
    }
    EXPECT_EQ(creature.GetSpeedInDirection(0.0f, 0.0f, 0.1f), 0.0f);
    c.backwardSpeed = 0.0f;  // no speed along the facing, straight sideways: 0, not 0/0
    creature.SetAngle(0.0f);
    EXPECT_EQ(creature.GetSpeedInDirection(0.0f, 1.0f, 0.1f), 0.0f);
    c.backwardSpeed = 60.0f;
    creature.SetAngle(0.3f);

    c.acceleration = 100.0f;  // from a standstill: 10 in 0.1 s
    EXPECT_FLOAT_EQ(creature.GetSpeedInDirection(std::cos(0.3f), std::sin(0.3f), 0.1f), 10.0f);
    creature.m_VelocityX = 115.0f * std::cos(0.3f);
    creature.m_VelocityY = 115.0f * std::sin(0.3f);
    EXPECT_FLOAT_EQ(creature.GetSpeedInDirection(std::cos(0.3f), std::sin(0.3f), 0.1f), 120.0f);
    EXPECT_FLOAT_EQ(creature.GetSpeedFor(std::cos(0.3f), std::sin(0.3f), 0.1f), 120.0f);
}

TEST_F(CreatureObjCycleChoiceTest, PositionElements)
{
    world.SetGrid(8, 8, 64, 64);
    auto* post = new TestElem(ElemType::kElem, 100.0f, 100.0f);
    post->m_WorldID = "Post";
    world.AddObj(post, 0, false);
    creature.m_ElemNames[0] = "Post";
    creature.m_ElemNames[3] = "Nowhere";
    LogCapture log;
    creature.ResolvePositionElements();
    EXPECT_EQ(creature.m_ElemRefs[0].Get(), post);
    EXPECT_EQ(creature.m_ElemRefs[3].Get(), nullptr);
    EXPECT_TRUE(creature.m_ElemNames[0].IsEmpty());
    EXPECT_TRUE(creature.m_ElemNames[3].IsEmpty());
    EXPECT_EQ(log.Count("Could not find position element 'Nowhere'"), 1);
}
