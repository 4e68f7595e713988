// SciFiGameCtrl's combat links: a link made again keeps one record with its time anew, links
// run out by the frame time, and the linked element hears of each link made and each one gone.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "scifi/ctrl/SciFiRules.h"
#include "world/WorldCtrl.h"

#include <gtest/gtest.h>

namespace {

// An element that counts what it is told of its links.
class LinkedElem : public WorldElem {
public:
    void OnLinkChanged(int32_t arg) override
    {
        EXPECT_EQ(arg, 0);
        ++changes;
    }
    int32_t changes = 0;
};

class SciFiGameCtrlCombatLinksTest : public ::testing::Test {
protected:
    SciFiGameCtrlCombatLinksTest() { g_SciFiRules.combatLinkDuration = 2.0f; }
    ~SciFiGameCtrlCombatLinksTest() override { g_SciFiRules = SciFiRules(); }
    LinkedElem* Add()
    {
        auto* elem = new LinkedElem;
        ctrl.GetWorld().AddObj(elem, 0, false);
        return elem;
    }

    SciFiGameCtrl ctrl;
};

}  // namespace

TEST_F(SciFiGameCtrlCombatLinksTest, ALinkMadeAgainKeepsOneRecordWithItsTimeAnew)
{
    LinkedElem* linked = Add();
    LinkedElem* other = Add();
    SciFiGameCtrl::CombatLink* link = ctrl.AddCombatLink(other, 3, linked);
    EXPECT_EQ(linked->changes, 1);
    ctrl.AgeCombatLinks(1.5f);
    EXPECT_EQ(ctrl.AddCombatLink(other, 3, linked), link);
    EXPECT_FLOAT_EQ(link->time, 2.0f);
    EXPECT_EQ(ctrl.GetNumCombatLinks(), 1);
    EXPECT_EQ(linked->changes, 1);  // nothing new to tell

    // Another value, another other element or none linked: records of their own.
    ctrl.AddCombatLink(other, 4, linked);
    ctrl.AddCombatLink(linked, 3, linked);
    ctrl.AddCombatLink(other, 3, nullptr);
    EXPECT_EQ(ctrl.GetNumCombatLinks(), 4);
    EXPECT_EQ(linked->changes, 3);
    ctrl.AgeCombatLinks(1.5f);  // the refreshed link lives on
    EXPECT_EQ(ctrl.GetNumCombatLinks(), 4);
}

TEST_F(SciFiGameCtrlCombatLinksTest, RunningOutTellsTheLinkedElementOncePerRecord)
{
    LinkedElem* linked = Add();
    LinkedElem* other = Add();
    LinkedElem* gone = Add();
    ctrl.AddCombatLink(other, 1, linked);
    ctrl.AddCombatLink(other, 2, linked);
    ctrl.AddCombatLink(linked, 1, gone);
    ctrl.AddCombatLink(linked, 1, nullptr);
    ctrl.AgeCombatLinks(1.0f);
    ctrl.AddCombatLink(gone, 5, other);  // made later: outlives the others
    const int32_t linkedBefore = linked->changes;
    ctrl.GetWorld().DelObj(gone->m_ObjID, 0);  // a linked element that went meanwhile is not told

    ctrl.AgeCombatLinks(1.0f);  // a time of exactly 0 has run out
    EXPECT_EQ(linked->changes, linkedBefore + 2);
    EXPECT_EQ(other->changes, 1);
    ASSERT_EQ(ctrl.GetNumCombatLinks(), 1);
    EXPECT_EQ(ctrl.GetCombatLink(0)->value, 5);
    EXPECT_EQ(ctrl.GetCombatLink(0)->other.Get(), nullptr);  // its other element went

    ctrl.AgeCombatLinks(5.0f);
    EXPECT_EQ(other->changes, 2);
    EXPECT_EQ(ctrl.GetNumCombatLinks(), 0);
    ctrl.AgeCombatLinks(5.0f);
    EXPECT_EQ(other->changes, 2);
}
