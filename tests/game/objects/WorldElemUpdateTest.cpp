// WorldElem's common element step: the fade, the push decay with and without damping, the
// automatic action's repetitions, the ambient sound's timer; the action hit list; the event
// object's area damage and countdown.
#include "game/objects/EventObj.h"

#include "ActionTestSupport.h"
#include "world/ActionAttack.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(WorldElemUpdateTest, FadeOutEndsInvisible)
{
    LevelTestCtrl ctrl;
    WorldElem elem;
    elem.m_FadeOutDirection = -1;
    elem.m_FadeOutValue = -0.9f;
    elem.UpdateCommon(0.05f);
    EXPECT_EQ(elem.m_FadeOutValue, -1.0f);
    EXPECT_EQ(elem.m_FadeOutDirection, 0);
    EXPECT_FALSE(elem.IsVisible());
    elem.m_FadeOutDirection = 1;
    for (int32_t i = 0; i < 11; i++)  // two fade times from -1 to 1
        elem.UpdateCommon(0.1f);
    EXPECT_EQ(elem.m_FadeOutValue, 1.0f);
    EXPECT_EQ(elem.m_FadeOutDirection, 0);
    EXPECT_TRUE(elem.IsVisible());
    EXPECT_NEAR(elem.m_Age, 1.15, 1e-6);
}

TEST(WorldElemUpdateTest, PushDecay)
{
    LevelTestCtrl ctrl;
    WorldElem elem;
    elem.m_VelocityX = 50.0f;
    elem.m_Deceleration = 100.0f;
    elem.m_Drag = 0.0f;
    for (int32_t i = 0; i < 4; i++)
        elem.UpdateCommon(0.1f);
    EXPECT_GT(elem.m_VelocityX, 0.0f);
    elem.UpdateCommon(0.1f);
    EXPECT_EQ(elem.m_VelocityX, 0.0f);  // stopped at 0.5 s

    // With damping the closed form matches dv/dt = -k v - c integrated in small steps.
    elem.m_VelocityX = 30.0f;
    elem.m_VelocityY = 40.0f;
    elem.m_Drag = 2.0f;
    elem.UpdateCommon(0.1f);
    double v = 50.0;
    for (int32_t i = 0; i < 100000; i++)
        v += (-2.0 * v - 100.0) * 1e-6;
    const float r = std::hypot(elem.m_VelocityX, elem.m_VelocityY);
    EXPECT_NEAR(r, v, 1e-3);
    EXPECT_NEAR(r, 31.87f, 0.01f);
    EXPECT_NEAR(elem.m_VelocityY / elem.m_VelocityX, 4.0f / 3.0f, 1e-5);  // the direction stays
}

TEST(WorldElemUpdateTest, AutomaticActionRepeatsByItsCount)
{
    ActionTestCtrl ctrl;
    ScriptWorld world;
    ctrl.gameWorld = &world;
    ActionEntry& entry = AddTestAction(world, "Pulse");
    ActionAttack attack;
    attack.point = 0.5f;
    entry.attacks.GetBySlot(entry.attacks.Add())->Take(attack);
    entry.AddPart(entry.spells).point = 0.25f;
    for (int32_t count : {2, -1}) {
        SCOPED_TRACE(count);
        ctrl.attacks.clear();
        ctrl.cast.clear();
        TestElem* elem = AddTestElem<TestElem>(world);
        elem->m_AutoAction = "Pulse";
        elem->m_AutoActionCount = count;
        elem->m_StartValue = ctrl.gameTime;
        elem->m_DamageList.Add();
        for (int32_t i = 0; i < 40; i++) {  // five seconds
            elem->UpdateCommon(0.125f);
            ctrl.gameTime += 0.125;
        }
        EXPECT_EQ(ctrl.attacks.size(), count > 0 ? 2u : 5u);
        EXPECT_EQ(ctrl.cast.size(), count > 0 ? 2u : 5u);
        EXPECT_EQ(elem->m_AutoActionCount, count > 0 ? 0 : -1);
        if (count > 0) {
            EXPECT_EQ(elem->m_DamageList.GetSize(), 0);  // emptied per repetition
        }
    }
    TestElem* broken = AddTestElem<TestElem>(world);
    broken->m_AutoAction = "Missing";
    broken->m_AutoActionCount = -1;
    EXPECT_NO_THROW(broken->UpdateCommon(0.1f));  // reported; its action stops
    EXPECT_EQ(broken->m_AutoActionCount, 0);
}

TEST(WorldElemUpdateTest, AmbientTimerAndActionHits)
{
    LevelTestCtrl ctrl;
    ScriptWorld world;
    TestElem* elem = AddTestElem<TestElem>(world);
    elem->m_AmbientSound = "Hum";
    elem->m_AmbientInterval[0] = 1.0f;
    elem->m_AmbientInterval[1] = 2.0f;
    elem->m_AmbientTimer = 0.5f;
    elem->UpdateCommon(0.1f);
    EXPECT_EQ(elem->m_AmbientTimer, 0.5f);  // count 0: never plays
    elem->m_AmbientCount = 1;
    elem->m_AmbientTimer = 0.25f;
    elem->UpdateCommon(0.25f);  // lands on 0 exactly: plays, and the next timer is drawn
    EXPECT_GE(elem->m_AmbientTimer, 1.0f);
    EXPECT_LE(elem->m_AmbientTimer, 2.0f);

    TestElem* other = AddTestElem<TestElem>(world);
    EXPECT_FALSE(elem->AddActionHit(other, 7));
    EXPECT_TRUE(elem->AddActionHit(other, 7));
    EXPECT_FALSE(elem->AddActionHit(other, 8));
}

TEST(WorldElemUpdateTest, EventAreaDamageAndCountdown)
{
    LevelTestCtrl ctrl;
    ScriptWorld world;
    auto* event = AddTestElem<EventObj>(world);
    event->m_DamageRate = 10.0f;
    event->Update(0.1f);
    EXPECT_EQ(event->m_LastDamageTime, 0.0f);  // applied at once
    ctrl.gameTime = 0.1;
    event->Update(0.1f);
    EXPECT_EQ(event->m_LastDamageTime, 0.0f);  // within 0.2 s: not again
    ctrl.gameTime = 0.25;
    event->Update(0.1f);
    EXPECT_EQ(event->m_LastDamageTime, 0.25f);

    event->m_EventKind = EventObj::kKindSpent;
    event->m_LastActivation = 0.15f;
    event->m_ActivationsLeft = 3;
    event->Update(0.1f);
    EXPECT_NEAR(event->m_LastActivation, 0.05f, 1e-6);
    EXPECT_EQ(event->m_ActivationsLeft, 3);
    event->Update(0.1f);
    EXPECT_EQ(event->m_LastActivation, 0.0f);
    EXPECT_EQ(event->m_ActivationsLeft, 0);
}

TEST(WorldElemUpdateTest, ActionEffectQuakeAndObject)
{
    ActionTestCtrl ctrl;
    ScriptWorld world;
    ctrl.objectTypes["Crate"] = ElemType::kElem;
    TestElem* elem = AddTestElem<TestElem>(world, ElemType::kElem, 100.0f, 50.0f);
    elem->SetAngle(1.5707964f);
    ActionEntry& entry = AddTestAction(world, "Slam");
    ActionEffect& effect = entry.AddPart(entry.effects);
    effect.quake[0] = 4.0f;
    effect.quake[1] = 2.0f;
    effect.quake[2] = 0.5f;
    effect.object = "Crate";
    effect.objectPos[0] = 10.0f;
    effect.objectPos[2] = 5.0f;
    effect.objectLifeSpan = 3.0f;
    elem->ExecuteActionEffect(effect, 2);
    EXPECT_EQ(ctrl.effectIndexes, (std::vector<int32_t>{2}));
    ASSERT_EQ(world.GetEarthQuakes().GetSize(), 1);
    const EarthQuakeEntry& quake = *world.GetEarthQuakes().GetAt(0);
    EXPECT_EQ(quake.x, 100.0f);
    EXPECT_EQ(quake.strength, 4.0f);
    EXPECT_EQ(quake.duration, 0.5f);
    ASSERT_EQ(ctrl.objects.size(), 1u);
    auto* object = static_cast<LevelTestObject*>(ctrl.objects[0].get());
    EXPECT_NEAR(object->x, 100.0f, 1e-3);  // the offset turned by the element's angle
    EXPECT_NEAR(object->y, 60.0f, 1e-3);
    EXPECT_EQ(object->height, 5.0f);
    EXPECT_NEAR(object->GetAngle(), 1.5707964f, 1e-6);
    EXPECT_NEAR(object->m_LifeSpanEnd, ctrl.gameTime + 3.0, 1e-6);
}
