// Mouse orders on the sample game, seen by a client's camera over the level: a click becomes the
// hero's walk or attack order by the control scheme, the clickable-element rules decide what the
// pointer may pick, the ray pick takes the nearest element on the ray, and the game screen's name
// plates, hover and skill tooltip.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/DXC_GuiManager.h"
#include "scifi/gui/SciFiClickableElementCriteriaValidator.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "world/ItemDragRecord.h"
#include "world/WorldCtrl.h"

#include "support/DeviceGfx.h"
#include "support/SampleServerGame.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// The view mode the pick rules see, which a test may force without entering the mode.
class PickTestCtrl : public SciFiGameCtrl {
public:
    int32_t GetViewMode() const override { return forcedViewMode >= 0 ? forcedViewMode : SciFiGameCtrl::GetViewMode(); }
    int32_t forcedViewMode = -1;
};

class SciFiMouseOrdersGameTest : public SampleServerGame<PickTestCtrl> {
protected:
    void SetUp() override
    {
        Start();
        hero = dynamic_cast<CreatureObj_SF*>(ctrl->GetMainChar());
        ASSERT_NE(hero, nullptr);
        input = dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl);
        ASSERT_NE(input, nullptr);
        client = std::make_unique<DeviceGfx>();
        gui = std::make_unique<DXC_GuiManager>(&client->Gfx());
        gui->SetMousePos(512, 384);  // the middle of the 1024 x 768 view
    }
    void TearDown() override
    {
        gui.reset();
        client.reset();
        g_Gfx = &gfx.gfx;
    }

    // A creature of the sample's kinds at (x, y) from the hero, of a party: a drone, whose
    // strategy makes it the hero's enemy, or a soldier of the hero's kind.
    CreatureObj_SF* Place(float dx, float dy, int32_t party, const char* kind = "Drone")
    {
        const D3DXVECTOR3 at = hero->GetAbsPos3D();
        auto* creature = dynamic_cast<CreatureObj_SF*>(ctrl->CreateWorldObject(kind, at.x + dx, at.y + dy, 0.0f, 0.0f));
        if (creature)
            creature->m_Party = party;
        return creature;
    }

    // The camera looks down at the point from the side of the hero, the pointer in the middle.
    void LookAt(const D3DXVECTOR3& point)
    {
        client->Gfx().SetCameraLookAt(point + D3DXVECTOR3(0.0f, -300.0f, 400.0f), point, D3DXVECTOR3(0, 0, 1));
        client->Gfx().SetPerspective(10.0f, 5000.0f, 0.7854f, -1.0f);
        client->Gfx().SetViewPort(0, 0, 1024, 768, 0.0f, 1.0f);
    }
    D3DXVECTOR3 CentreOf(WorldElem* element)
    {
        return element->GetAbsPos3D() + D3DXVECTOR3(0.0f, 0.0f, element->GetRadius());
    }
    void ClearOrders()
    {
        input->ClearMoveOrder();
        input->ClearAttackOrder();
        input->SetButtonDown(3, false);
    }

    CreatureObj_SF* hero = nullptr;
    SciFiInputCtrl* input = nullptr;
    std::unique_ptr<DeviceGfx> client;
    std::unique_ptr<DXC_GuiManager> gui;
};

}  // namespace

TEST_F(SciFiMouseOrdersGameTest, ClicksBecomeOrdersByTheControlScheme)
{
    CreatureObj_SF* enemy = Place(200.0f, 0.0f, 2);
    CreatureObj_SF* friendly = Place(-200.0f, 0.0f, hero->GetParty(), "Hero");
    ASSERT_TRUE(enemy && friendly);
    const int32_t move = ctrl->GetMoveButton();
    const int32_t attack = ctrl->GetAttackButton();

    // An item on the pointer is dropped; no order.
    auto* item = new Item_SF;
    ASSERT_GE(ctrl->GetDragHolder().AddItem(item), 0);
    ItemDragRecord record;
    record.item = item;
    gui->SetDragObject(&record, ItemDragRecord::kDragName, nullptr);
    LookAt(CentreOf(enemy));
    ctrl->SetPointedElement(enemy);
    ctrl->OnMouseButton(move, false, false);
    EXPECT_EQ(ctrl->GetDragHolder().GetCount(), 0);
    EXPECT_EQ(gui->GetDragObject(), nullptr);
    EXPECT_EQ(input->GetMoveOrder(), SciFiInputCtrl::kMoveNone);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackNone);

    // Nothing under the pointer: scheme 2 needs a target, scheme 1 attacks the ground.
    const D3DXVECTOR3 empty = hero->GetAbsPos3D() + D3DXVECTOR3(0.0f, 200.0f, 0.0f);
    for (int32_t type : {2, 1}) {
        SCOPED_TRACE(type);
        ClearOrders();
        ctrl->SetControlType(type);
        LookAt(empty);
        ctrl->SetPointedElement(nullptr);
        ctrl->OnMouseButton(attack, false, false);
        EXPECT_EQ(input->GetAttackOrder(), type == 2 ? SciFiInputCtrl::kAttackNone : SciFiInputCtrl::kAttackPosition);
        ctrl->OnMouseButton(attack, true, false);  // a release gives nothing either way
    }

    // "AttackSwitch" held: a click on the creature attacks the ground under the pointer.
    ClearOrders();
    ctrl->SetControlType(1);
    LookAt(CentreOf(enemy));
    ctrl->SetPointedElement(enemy);
    input->SetButtonDown(3, true);
    ctrl->OnMouseButton(attack, false, false);
    EXPECT_EQ(input->GetAttackOrder(), SciFiInputCtrl::kAttackPosition);
    EXPECT_EQ(input->GetAttackTargetObject(), nullptr);

    // Scheme 0's move button: an enemy is attacked, a friend walked to.
    ctrl->SetControlType(0);
    const struct {
        CreatureObj_SF* pointed;
        int32_t attackOrder;
        int32_t moveOrder;
    } scheme0[] = {{enemy, SciFiInputCtrl::kAttackObject, SciFiInputCtrl::kMoveNone},
                   {friendly, SciFiInputCtrl::kAttackNone, SciFiInputCtrl::kMoveToObject}};
    for (const auto& c : scheme0) {
        SCOPED_TRACE(c.pointed == enemy ? "enemy" : "friend");
        ClearOrders();
        LookAt(CentreOf(c.pointed));
        ctrl->SetPointedElement(c.pointed);
        ctrl->OnMouseButton(move, false, false);
        EXPECT_EQ(input->GetAttackOrder(), c.attackOrder);
        EXPECT_EQ(input->GetMoveOrder(), c.moveOrder);
        EXPECT_EQ(c.attackOrder ? input->GetAttackTargetObject() : input->GetMoveTargetObject(), c.pointed);
    }
}

TEST_F(SciFiMouseOrdersGameTest, ClickableElementRules)
{
    CreatureObj_SF* drone = Place(150.0f, 0.0f, 2);
    CreatureObj_SF* soldier = Place(-150.0f, 0.0f, hero->GetParty(), "Hero");
    ASSERT_TRUE(drone && soldier);
    SkillTreeEntry* raise = ctrl->FindSkill(String("heal"));
    ASSERT_NE(raise, nullptr);
    using V = SciFiClickableElementCriteriaValidator;
    const int32_t kFriend = -2;  // a soldier of the hero's party
    const struct {
        const char* what;
        uint8_t flags;
        int32_t party;
        bool dead;
        int32_t uses;
        int32_t viewMode;
        float visibility;
        bool raiseSkill;
        bool accepted;
    } cases[] = {
        {"living enemy, flags 7", V::kPointerFlags, 2, false, 0, 0, 1.0f, false, true},
        {"friend without uses", V::kPointerFlags, kFriend, false, 0, 0, 1.0f, false, false},
        {"friend with a use", V::kPointerFlags, kFriend, false, 1, 0, 1.0f, false, true},
        {"friend, flag 8", V::kLiving | V::kNotAttackable, kFriend, false, 0, 0, 1.0f, false, true},
        {"negative faction", 31, -1, false, 5, 0, 1.0f, false, false},
        {"living, bit 0 clear", V::kDead | V::kAttackable, 2, false, 0, 0, 1.0f, false, false},
        {"view mode 3, seen 0.4", V::kPointerFlags, 2, false, 0, 3, 0.4f, false, false},
        {"view mode 3, seen 0.6", V::kPointerFlags, 2, false, 0, 3, 0.6f, false, true},
        // A dead enemy is never attackable: flags 7 take it only through the skill or a use.
        {"dead enemy", V::kPointerFlags, 2, true, 0, 0, 1.0f, false, false},
        {"dead enemy, raising skill", V::kPointerFlags, 2, true, 0, 0, 1.0f, true, true},
        {"dead enemy with a use", V::kPointerFlags, 2, true, 1, 0, 1.0f, false, true},
        {"dead, bit 1 clear", V::kLiving | V::kAttackable, 2, true, 1, 0, 1.0f, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CreatureObj_SF* creature = c.party == kFriend ? soldier : drone;
        creature->m_Party = c.party == kFriend ? hero->GetParty() : c.party;
        creature->m_Dead = c.dead ? 1 : 0;
        creature->m_UsesLeft = c.uses;
        creature->m_Visibility = c.visibility;
        creature->m_InActiveCell = 1;
        ctrl->forcedViewMode = c.viewMode;
        raise->highlightDeadMonsters = c.raiseSkill;
        input->SetSkillSlot(1, raise, true);
        V validator(*ctrl, c.flags);
        EXPECT_EQ(validator.Accepts(*creature), c.accepted);
    }
    ctrl->forcedViewMode = -1;
    drone->m_Dead = soldier->m_Dead = 0;
    // Anything but creatures and items is refused.
    WorldElem* start = ctrl->GetWorld().FindObjectByWorldID("start1", nullptr);
    ASSERT_NE(start, nullptr);
    V all(*ctrl, 31);
    EXPECT_FALSE(all.Accepts(*start));
}

// Two drones on the pointer's ray, the nearer picked; one beside the ray never; a nearer one that
// the rules refuse is passed over.
TEST_F(SciFiMouseOrdersGameTest, RayPickTakesTheNearestAcceptedElement)
{
    CreatureObj_SF* far = Place(0.0f, 300.0f, 2);
    ASSERT_NE(far, nullptr);
    LookAt(CentreOf(far));
    const D3DXVECTOR3 camera = CentreOf(far) + D3DXVECTOR3(0.0f, -300.0f, 400.0f);
    // On the line from the camera to the far one, at 40 %, and the same point moved aside.
    const D3DXVECTOR3 between = camera + (CentreOf(far) - camera) * 0.6f;
    auto* nearer = dynamic_cast<CreatureObj_SF*>(ctrl->CreateWorldObject("Drone", between.x, between.y, 0.0f, 0.0f));
    auto* beside = dynamic_cast<CreatureObj_SF*>(ctrl->CreateWorldObject("Drone", between.x + 400.0f, between.y, 0.0f, 0.0f));
    ASSERT_TRUE(nearer && beside);
    // It floats where the ray passes.
    nearer->SetHeight(nearer->GetOwnHeight() + between.z - nearer->GetRadius() - nearer->GetAbsPos3D().z);
    nearer->m_Party = beside->m_Party = 2;

    D3DXVECTOR3 origin, direction;
    ASSERT_TRUE(ctrl->GetMouseRay(origin, direction));
    SciFiClickableElementCriteriaValidator rules(*ctrl, SciFiClickableElementCriteriaValidator::kPointerFlags);
    float distance = 0.0f;
    EXPECT_EQ(ctrl->PickElementByRay(origin, direction, 5000.0f, rules, 0.0f, distance), nearer);
    const D3DXVECTOR3 toFar = CentreOf(far) - origin;
    EXPECT_LT(distance, D3DXVec3Length(&toFar));
    WorldElem* picked = nullptr;
    EXPECT_TRUE(ctrl->PickAtMouse(picked, 5000.0f));
    EXPECT_EQ(picked, nearer);
    ctrl->UpdatePointedElement();
    EXPECT_EQ(ctrl->GetPointedElement(), nearer);

    // The client's GUI pass finds it under the pointer each frame.
    ctrl->SetPointedElement(nullptr);
    ctrl->DrawGui();
    EXPECT_EQ(ctrl->GetPointedElement(), nearer);

    nearer->m_Party = -1;  // never pickable now
    EXPECT_EQ(ctrl->PickElementByRay(origin, direction, 5000.0f, rules, 0.0f, distance), far);
    EXPECT_EQ(ctrl->PickElementByRay(origin, direction, 100.0f, rules, 0.0f, distance), nullptr);  // out of range
    // Without a pointer to pick with, nothing.
    gui.reset();
    EXPECT_FALSE(ctrl->PickAtMouse(picked, 5000.0f));
    (void)beside;
}

TEST_F(SciFiMouseOrdersGameTest, NamePlatesHoverAndSkillTooltip)
{
    // The pool grows to the index needed plus one, each plate 220 x 100 and closed.
    ctrl->EnsureNamePlates(2);
    ASSERT_EQ(ctrl->GetNamePlateCount(), 3);
    int32_t width = 0, height = 0;
    ctrl->GetNamePlate(2)->GetSize(width, height);
    EXPECT_EQ(width, 220);
    EXPECT_EQ(height, 100);
    EXPECT_FALSE(ctrl->GetNamePlate(2)->IsOpen());
    ctrl->EnsureNamePlates(1);
    EXPECT_EQ(ctrl->GetNamePlateCount(), 3);

    // An element that is no creature shows its plate after 0.1 s of rest within 5 pixels; a move
    // farther first starts the wait again.
    WorldElem* crate = ctrl->GetWorld().FindObjectByWorldID("crate1", nullptr);
    ASSERT_NE(crate, nullptr);
    crate->SetName(wString(u"Crate"));
    ctrl->SetPointedElement(crate);
    const auto plateShown = [&] {
        for (int32_t i = 0; i < ctrl->GetNamePlateCount(); ++i)
            if (ctrl->GetNamePlate(i)->IsOpen() && ctrl->GetNamePlate(i)->GetCharacter() == crate)
                return true;
        return false;
    };
    ctrl->UpdatePointedInfo(false, 0.05);
    EXPECT_DOUBLE_EQ(ctrl->GetHoverTimer(), 0.05);
    gui->SetMousePos(520, 384);  // 8 pixels: the wait restarts here
    ctrl->UpdatePointedInfo(false, 0.05);
    EXPECT_DOUBLE_EQ(ctrl->GetHoverTimer(), 0.0);
    ctrl->UpdatePointedInfo(false, 0.06);
    EXPECT_FALSE(plateShown());
    gui->SetMousePos(523, 386);  // within 5 pixels
    ctrl->UpdatePointedInfo(false, 0.05);
    EXPECT_TRUE(plateShown());
    gui->SetMousePos(600, 300);  // past the wait, moving no longer restarts it
    ctrl->UpdatePointedInfo(false, 0.01);
    EXPECT_GT(ctrl->GetHoverTimer(), 0.1);
    const int32_t plates = ctrl->GetNamePlateCount();
    ctrl->ShowNamePlate(crate);  // one plate an element
    EXPECT_EQ(ctrl->GetNamePlateCount(), plates);

    // A learned skill's tooltip carries its level.
    SkillTreeEntry* skill = ctrl->FindSkill(String("strike"));
    ASSERT_NE(skill, nullptr);
    skill->learned = true;
    skill->nextLevelSkill = String();
    wString tooltip;
    ctrl->BuildSkillTooltip(tooltip, *skill);
    wString expected;
    expected.Format(u" (%s:%i)", ctrl->GetGuiDBText("skillInfo", "level", nullptr).c_str(), skill->skillLevel);
    EXPECT_NE(std::u16string(tooltip.c_str()).find(expected.c_str()), std::u16string::npos);
    skill->learned = false;
    ctrl->BuildSkillTooltip(tooltip, *skill);
    EXPECT_EQ(std::u16string(tooltip.c_str()).find(u" ("), std::u16string::npos);
}

// The level text of the database is a format only when its one conversion takes the level.
TEST(SciFiGameScreenTexts, RequiredLevelAndPlayerInfoFormats)
{
    EXPECT_EQ(SciFiGameCtrl::FormatRequiredLevel(wString(u"Level %i needed"), 7), wString(u"Level 7 needed"));
    EXPECT_EQ(SciFiGameCtrl::FormatRequiredLevel(wString(u"Level %s"), 7), wString(u"Level %s 7"));
    EXPECT_EQ(SciFiGameCtrl::FormatRequiredLevel(wString(u"%d of %d"), 7), wString(u"%d of %d 7"));
    EXPECT_EQ(SciFiGameCtrl::FormatPlayerInfo(wString(u"%s, chapter %d, level %i, %s"), wString(u"Soldier"), 2, 9,
                                              wString(u"hard")),
              wString(u"Soldier, chapter 2, level 9, hard"));
    EXPECT_EQ(SciFiGameCtrl::FormatPlayerInfo(wString(u"%s %s %d %s"), wString(u"Soldier"), 2, 9, wString(u"hard")),
              wString(u"%s %s %d %s Soldier 2 9 hard"));
}
