// The game's script built-ins of damage: the records they post as world events (one target,
// an area), their type errors, the damage values they set and read, and the damage reaching its
// target in the world update after the call.
#include "SciFiScriptTestSupport.h"

#include "game/objects/Projectile.h"
#include "scifi/objects/DamageValues_SF.h"

#include <vector>

using SciFiScriptDamageTest = SciFiScriptTest;

TEST_F(SciFiScriptDamageTest, DamageToOneTargetIsPostedAsItsRecord)
{
    const struct {
        std::string call;
        float physical[2];
        float poison[2];  // per second, time
        int32_t source;   // the ID in the record; its reference names the element when it is one
        uint8_t enabled;
    } cases[] = {
        {"DamagePhysical(" + h + ", 0, 5)", {5.0f, 0.0f}, {0.0f, 0.0f}, -2, 1},
        {"DamagePhysical(" + h + ", 0, 5.0)", {5.0f, 0.0f}, {0.0f, 0.0f}, -2, 1},
        {"DamagePhysical(" + h + ", 1, \"5\")", {0.0f, 0.0f}, {0.0f, 0.0f}, -2, 1},
        {"DamagePhysical(" + h + ", 1, 2.5, " + o + ")", {0.0f, 2.5f}, {0.0f, 0.0f}, otherID, 1},
        {"DamagePhysical(" + h + ", 1, 2.5, -7)", {0.0f, 2.5f}, {0.0f, 0.0f}, -2, 1},
        {"DamagePhysical(" + h + ", 0, 1, " + o + ", 0)", {1.0f, 0.0f}, {0.0f, 0.0f}, otherID, 0},
        {"DamagePhysical(" + h + ", 0, 1, 999950)", {1.0f, 0.0f}, {0.0f, 0.0f}, 999950, 1},
        {"DamagePoison(" + h + ", 0, 1.5, 3.0)", {0.0f, 0.0f}, {1.5f, 3.0f}, -2, 1},
        {"DamagePoison(" + h + ", 0, 1.5, 3.0, " + o + ")", {0.0f, 0.0f}, {1.5f, 3.0f}, otherID, 1},
    };
    for (const auto& test : cases) {
        ClearRecords();
        Run(test.call + ";");
        EXPECT_TRUE(ctrl->errors.empty()) << test.call;
        EXPECT_TRUE(ctrl->forwarded.empty()) << test.call;
        const DamageEventRecord record = PostedDamage();
        EXPECT_EQ(record.target.objID, heroID) << test.call;
        EXPECT_EQ(record.target.myRnd, ObjRef3::CheckValueOf(hero)) << test.call;
        EXPECT_FLOAT_EQ(record.damage.physical[0], test.physical[0]) << test.call;
        EXPECT_FLOAT_EQ(record.damage.physical[1], test.physical[1]) << test.call;
        EXPECT_FLOAT_EQ(record.damage.rulesValues[0], test.poison[0]) << test.call;
        EXPECT_FLOAT_EQ(record.damage.rulesValues[1], test.poison[1]) << test.call;
        EXPECT_EQ(record.damage.enabled, test.enabled) << test.call;
        EXPECT_EQ(record.causerID, test.source) << test.call;
        EXPECT_EQ(record.causer.objID, test.source == otherID ? otherID : -1) << test.call;
        EXPECT_FLOAT_EQ(record.origin[0] + record.origin[1] + record.direction[0] + record.direction[1], 0.0f);
    }
}

TEST_F(SciFiScriptDamageTest, AreaDamageIsPostedAsItsRecord)
{
    // Six arguments: the reach offset counts only from seven on.
    Run("ExplosionDamagePhys(1.0, 2.0, 9.0, 3.0, 4.0, 8.0);");
    AreaDamageEventRecord area = PostedAreaDamage();
    EXPECT_FLOAT_EQ(area.reachOffset, 0.0f);
    EXPECT_FLOAT_EQ(area.damage.damage[0], 3.0f);
    EXPECT_FLOAT_EQ(area.damage.damage[1], 4.0f);

    ClearRecords();
    Run("ExplosionDamagePhys(1.0, 2.0, 9.0, 3.0, 4.0, 8.0, 50.0, " + o + ", 1, 17);");
    area = PostedAreaDamage();
    EXPECT_FLOAT_EQ(area.centre[0], 1.0f);
    EXPECT_FLOAT_EQ(area.centre[1], 2.0f);
    EXPECT_FLOAT_EQ(area.radius, 50.0f);
    EXPECT_FLOAT_EQ(area.reachOffset, 8.0f);
    EXPECT_FLOAT_EQ(area.damage.physical[0], 0.0f);
    EXPECT_FLOAT_EQ(area.damage.physical[1], 9.0f);
    EXPECT_EQ(area.damage.enabled, 1);
    EXPECT_EQ(area.causerID, otherID);
    EXPECT_EQ(area.lastValue, 17);
    EXPECT_TRUE(ctrl->forwarded.empty());
}

TEST_F(SciFiScriptDamageTest, BadTypesAndTargetsPostNothing)
{
    const struct {
        std::string call;
        const char* error;
    } cases[] = {
        {"DamagePhysical(" + h + ", 2, 5)", "Invalid physical damage type in function DamagePhysical"},
        {"DamagePhysical(" + h + ", -1, 5)", "Invalid physical damage type in function DamagePhysical"},
        {"DamagePoison(" + h + ", 1, 5.0, 2.0)", "Invalid poison damage type in function DamagePoison"},
        {"ExplosionDamagePhys(1.0, 2.0, 9.0, 3.0, 4.0, 8.0, 50.0, -1, 2)",
         "Invalid physical damage type in function ExplosionDamagePhys"},
        {"DamagePhysical(9999, 0, 5)", "Invalid object: 9999"},
        {"DamagePoison(9999, 0, 5.0, 2.0)", "Invalid object: 9999"},
        {"DamagePhysical(" + h + ", 0)", "Invalid arguments in function DamagePhysical"},
        {"ExplosionDamagePhys(1.0, 2.0, 9.0)", "Invalid arguments in function ExplosionDamagePhys"},
    };
    for (const auto& test : cases) {
        ExpectResult(test.call, kScriptVoid, 0, nullptr, test.error);
        EXPECT_TRUE(ctrl->events.empty()) << test.call;
    }
}

TEST_F(SciFiScriptDamageTest, DamageValuesOfElements)
{
    auto* projectile = new Projectile;
    ctrl->GetWorld().AddObj(projectile, 0, false);
    auto* carried = dynamic_cast<DamageValues_SF*>(projectile->m_Damage.Get());
    ASSERT_NE(carried, nullptr);
    const std::string p = std::to_string(projectile->m_ObjID);

    Run("SetDamage(" + p + ", 4.0, 6.5); SetDamage(" + h + ", 1.5, 2.5); SetDamage(" + c + ", 9.0, 9.0);");
    EXPECT_TRUE(ctrl->errors.empty());
    EXPECT_FLOAT_EQ(carried->GetPhysical(0), 4.0f);
    EXPECT_FLOAT_EQ(carried->GetPhysical(1), 6.5f);
    auto* own = dynamic_cast<DamageValues_SF*>(hero->GetDamageValues());
    ASSERT_NE(own, nullptr);
    EXPECT_FLOAT_EQ(own->GetPhysical(0), 1.5f);
    EXPECT_FLOAT_EQ(own->GetPhysical(1), 2.5f);

    // Only a projectile's damage is read.
    ExpectResult("GetPhysDamage(" + p + ", 1)", kScriptFloat, 6.5, nullptr, nullptr);
    ExpectResult("GetPhysDamage(" + p + ", 0)", kScriptFloat, 4.0, nullptr, nullptr);
    ExpectResult("GetPhysDamage(" + h + ", 0)", kScriptFloat, 0.0, nullptr, nullptr);
    ExpectResult("GetPhysDamage(" + p + ", 2)", kScriptFloat, 0.0, nullptr,
                 "Invalid magic type in function GetPhysDamage()");
    ExpectResult("GetPhysDamage(" + p + ")", kScriptVoid, 0.0, nullptr, "Invalid arguments in function GetPhysDamage");
}

// Nothing happens inside the call: the next world update deals the damage.
TEST_F(SciFiScriptDamageTest, PostedDamageHitsInTheNextWorldUpdate)
{
    hero->m_Values.maxShield = 0.0f;
    hero->m_ShieldEnergy = 0.0f;
    other->m_ShieldEnergy = 0.0f;
    other->m_Values.maxShield = 0.0f;
    hero->SetHealth(50.0f);
    other->SetHealth(50.0f);
    Run("DamagePhysical(" + h + ", 0, 20.0);");
    // Radius 0 counts as 1 in the area damage: the creature standing at the centre is hit.
    Run("ExplosionDamagePhys(" + std::to_string(other->m_PosX) + ", " + std::to_string(other->m_PosY) +
        ", 20.0, 0.0, 0.0);");
    ASSERT_TRUE(ctrl->errors.empty()) << ctrl->errors[0];
    EXPECT_FLOAT_EQ(hero->GetHealth(), 50.0f);
    EXPECT_FLOAT_EQ(other->GetHealth(), 50.0f);
    ctrl->GetWorld().ProcessWorldEvents();
    EXPECT_LT(hero->GetHealth(), 50.0f);
    EXPECT_LT(other->GetHealth(), 50.0f);
}
