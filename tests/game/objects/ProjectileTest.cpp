// Projectile: defaults, the push and the return to the target speed, the hit list (each element
// once, never the creator, the attacker remembered by creatures), the collision with walls and
// stopping elements, the trail count, and the save record with its attacker gate and the
// invalid shot.
#include "game/objects/Projectile.h"

#include "ActionTestSupport.h"
#include "support/ByteBuilder.h"
#include "support/ErrorOf.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

class ProjectileTest : public ::testing::Test {
protected:
    ProjectileTest()
    {
        ctrl.gameWorld = &world;
        shot = AddTestElem<Projectile>(world);
    }

    ActionTestCtrl ctrl;
    ScriptWorld world;
    Projectile* shot = nullptr;
};

}  // namespace

TEST_F(ProjectileTest, Defaults)
{
    EXPECT_STREQ(shot->GetClassName(), "Projectile");
    EXPECT_EQ(shot->m_TypeCode, ElemType::kProjectile);
    EXPECT_EQ(shot->m_Speed, 300.0f);
    EXPECT_EQ(shot->m_TargetSpeed, 300.0f);
    EXPECT_EQ(shot->m_Range, 2000.0f);
    EXPECT_EQ(shot->m_CollisionMask, -5);
    EXPECT_EQ(shot->m_HitRadius, 1.0f);
    EXPECT_NE(shot->m_Damage.Get(), nullptr);
    shot->m_ExtraHeight = 5.0f;
    EXPECT_EQ(shot->GetHeight(), 25.0f);
    EXPECT_TRUE(shot->AllowsInteraction(1, 0));
    EXPECT_FALSE(shot->AllowsInteraction(0, 1));
}

TEST_F(ProjectileTest, PushAndReturnToSpeed)
{
    shot->Push(0.0f, 300.0f);  // no mass: nothing
    EXPECT_EQ(shot->m_Speed, 300.0f);
    EXPECT_EQ(shot->GetAngle(), 0.0f);
    EXPECT_EQ(shot->m_PushStrength, 0.0f);

    shot->m_Mass = 1.0f;
    shot->m_Drag = 0.0f;
    shot->AddImpulse(0.0f, 300.0f);  // the world's pushes come as impulses
    EXPECT_NEAR(shot->GetAngle(), 0.7853982f, 1e-5);
    EXPECT_NEAR(shot->m_Speed, 424.264f, 1e-2);
    EXPECT_EQ(shot->m_PushStrength, 300.0f);
    shot->Update(0.1f);  // a push this strong holds the speed for its frame
    EXPECT_NEAR(shot->m_Speed, 424.264f, 1e-2);
    EXPECT_EQ(shot->m_PushStrength, 0.0f);
    shot->Update(0.1f);
    EXPECT_NEAR(shot->m_Speed, 374.264f, 1e-2);
    shot->Update(0.5f);
    EXPECT_EQ(shot->m_Speed, 300.0f);

    shot->m_WobbleAmplitude = 0.5f;
    shot->m_WobbleFrequency = 0.25f;
    shot->m_BaseAngle = 1.0f;
    ctrl.gameTime = 1.0;  // a quarter period
    shot->Update(0.0f);
    EXPECT_NEAR(shot->GetAngle(), 1.5f, 1e-4);
}

TEST_F(ProjectileTest, HitsEachElementOnceAndNeverItsCreator)
{
    TestElem* creator = AddTestElem<TestElem>(world, ElemType::kCreature);
    TestElem* target = AddTestElem<TestElem>(world, ElemType::kCreature);
    shot->SetCreator(creator);
    shot->OnCollision(creator, 1);
    EXPECT_TRUE(shot->TakeFlightHit(*creator, false));  // no obstacle, no hit
    EXPECT_TRUE(shot->m_Touched.empty());
    shot->OnCollision(target, 1);
    shot->OnCollision(target, 1);
    EXPECT_TRUE(shot->TakeFlightHit(*target, true));
    ASSERT_EQ(shot->m_Touched.size(), 1u);
    EXPECT_EQ(shot->m_Touched[0].Get(), target);
    EXPECT_EQ(shot->m_Stopped, 0);

    // A creature remembers the attacker; a second shot of the same attacker passes it.
    shot->m_Attacker = 77;
    TestElem* other = AddTestElem<TestElem>(world, ElemType::kCreature);
    shot->AddHit(other);
    EXPECT_EQ(other->m_HitSerials[0], 77u);
    Projectile* second = AddTestElem<Projectile>(world);
    second->m_Attacker = 77;
    second->AddHit(other);
    EXPECT_TRUE(second->m_Touched.empty());

    shot->OnCollision(nullptr, 0);  // a wall or nothing: stopped
    EXPECT_EQ(shot->m_Stopped, 1);
    EXPECT_EQ(shot->m_HitElement.Get(), nullptr);
}

TEST_F(ProjectileTest, TrailCounts)
{
    ActionEntry& entry = AddTestAction(world, "Bolt");
    ActionShot& spec = entry.AddPart(entry.shots);
    shot->m_Shot = &spec;
    EXPECT_EQ(shot->SpawnTrail(0.1f, 0.0f, 0.0f, 0.0f), 0);  // no trail effect
    spec.traceEffect = "Smoke";
    spec.traceWayPerEmit = 25.0f;
    shot->m_DistanceFlown = 60.0f;  // this frame 30 .. 60 crosses 50
    EXPECT_EQ(shot->SpawnTrail(0.1f, 0.0f, 0.0f, 0.0f), 1);
    shot->m_DistanceFlown = 100.0f;  // 70 .. 100 crosses 75 and 100
    EXPECT_EQ(shot->SpawnTrail(0.1f, 0.0f, 0.0f, 0.0f), 2);
    EXPECT_EQ(shot->SpawnTrail(0.0f, 0.0f, 0.0f, 0.0f), 0);
}

TEST_F(ProjectileTest, RecordAttackerGateAndInvalidShot)
{
    ActionEntry& entry = AddTestAction(world, "Bolt");
    entry.AddPart(entry.shots);
    ActionShot& second = entry.AddPart(entry.shots);
    shot->m_Shot = &second;
    shot->m_Attacker = 9;
    shot->m_Range = 800.0f;
    shot->m_WobbleAmplitude = 0.25f;
    File file;
    file.CreateMemoryFile(0);
    shot->SaveProjectile(file);
    const std::vector<uint8_t> bytes = BytesOf(file);
    const std::vector<uint8_t> expected =
        ByteBuilder().F32s({1.0f, 1.0f, 800.0f, 0.0f, 300.0f, 0.0f, 0.25f, 0.0f}).Str("Bolt").I32(1).I32(9).bytes;
    EXPECT_EQ(bytes, expected);

    Projectile* loaded = AddTestElem<Projectile>(world);
    File in;
    ByteBuilder().F32s({1.0f, 1.0f, 800.0f, 0.0f, 300.0f, 0.0f, 0.25f, 0.0f}).Str("Bolt").I32(1).I32(9).Into(in);
    loaded->LoadShot(in, 275);
    EXPECT_EQ(loaded->m_Shot, &second);
    EXPECT_EQ(loaded->m_Attacker, 9);
    EXPECT_EQ(loaded->m_Range, 800.0f);

    Projectile* old = AddTestElem<Projectile>(world);
    File before;
    ByteBuilder().F32s({1.0f, 1.0f, 800.0f, 0.0f, 300.0f, 0.0f, 0.0f, 0.0f}).Str("Bolt").I32(0).Into(before);
    old->LoadShot(before, 194);
    EXPECT_EQ(old->m_Attacker, 0);  // before 195 the attacker keeps its default
    EXPECT_EQ(old->m_Shot, entry.shots.GetAt(0));

    for (int32_t index : {-1, 2}) {
        File bad;
        ByteBuilder().F32s({1.0f, 1.0f, 800.0f, 0.0f, 300.0f, 0.0f, 0.0f, 0.0f}).Str("Bolt").I32(index).I32(0).Into(bad);
        const std::string message = ErrorOf([&] { old->LoadShot(bad, 275); });
        EXPECT_NE(message.find("Tried to load invalid shot: 'Bolt' / " + std::to_string(index)), std::string::npos)
            << message;
        EXPECT_EQ(old->m_Shot, nullptr);
    }
    File unknown;
    ByteBuilder().F32s({1.0f, 1.0f, 800.0f, 0.0f, 300.0f, 0.0f, 0.0f, 0.0f}).Str("Nope").I32(0).I32(0).Into(unknown);
    EXPECT_NE(ErrorOf([&] { old->LoadShot(unknown, 275); }).find("Action entry 'Nope' not found"), std::string::npos);
}
