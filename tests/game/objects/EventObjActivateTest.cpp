// EventObj activation: the count (once, unlimited), the minimum interval, the script with the
// activator and the allow flag of the mode, and the damage dealt to an activator.
#include "game/objects/EventObj.h"

#include "CreatureCombatTestSupport.h"

#include <gtest/gtest.h>

namespace {

class EventObjActivateTest : public ::testing::Test {
protected:
    EventObjActivateTest()
    {
        ctrl.gameWorld = &world;
        event = AddTestElem<EventObj>(world);
        event->m_ActivationScript = "Fire();";
        event->SetName(wString(u"gate"));
        activator = AddTestElem<TestElem>(world);
        activator->SetPos(30.0f, 40.0f);
    }

    CombatTestCtrl ctrl;
    ScriptWorld world;
    EventObj* event = nullptr;
    TestElem* activator = nullptr;
};

}  // namespace

TEST_F(EventObjActivateTest, CountAndInterval)
{
    event->m_ActivationsLeft = 1;
    event->Activate(activator, 1, 1.0f);
    event->Activate(activator, 1, 5.0f);
    EXPECT_EQ(world.runs, std::vector<std::string>{"OnActivate:gate|Fire();"});
    EXPECT_EQ(ctrl.activator, activator->m_ObjID);
    EXPECT_EQ(ctrl.allowFlag, 1);

    event->m_ActivationsLeft = -1;
    event->m_MinInterval = 2.0f;
    event->Activate(nullptr, 0, 10.0f);
    EXPECT_EQ(ctrl.activator, -1);
    EXPECT_EQ(ctrl.allowFlag, -1);
    event->Activate(nullptr, -1, 11.5f);  // within the interval
    event->Activate(nullptr, -1, 12.5f);
    EXPECT_EQ(world.runs.size(), 3u);
    EXPECT_EQ(ctrl.allowFlag, 0);
    EXPECT_EQ(event->m_ActivationsLeft, -1);

    ctrl.networkClient = true;  // the server activates
    event->Activate(nullptr, 1, 20.0f);
    EXPECT_EQ(world.runs.size(), 3u);
}

TEST_F(EventObjActivateTest, ActivationDamageGoesToTheActivator)
{
    event->SetPos(0.0f, 0.0f);
    event->GetOwnDamageValues()->SetValue(4.0f);
    event->m_ActivationDamage = 2.5f;
    event->Activate(activator, 0, 1.0f);  // mode 0: no damage
    event->Activate(nullptr, 1, 2.0f);    // no activator: none
    EXPECT_TRUE(ctrl.damageEvents.empty());
    event->Activate(activator, 1, 3.0f);
    ASSERT_EQ(ctrl.damageEvents.size(), 1u);
    EXPECT_EQ(ctrl.damageEvents[0].targetID, activator->m_ObjID);
    EXPECT_EQ(ctrl.damageEvents[0].sourceID, event->m_ObjID);
    EXPECT_FLOAT_EQ(ctrl.damageEvents[0].value, 10.0f);
    EXPECT_FLOAT_EQ(event->GetOwnDamageValues()->GetValue(), 4.0f);  // the event's own stay
}
