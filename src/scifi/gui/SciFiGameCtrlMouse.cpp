// SciFiGameCtrl mouse orders: a press in the game view becomes a walk or attack order of the main
// character's input controller, by the control scheme; the element under the pointer; an item
// dragged on the pointer dropped into the world. The client's only; the server has no mouse.
#include "scifi/ctrl/SciFiGameCtrl.h"

#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/DXC_GuiManager.h"
#include "game/objects/ItemBase.h"
#include "scifi/gui/SciFiClickableElementCriteriaValidator.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/ActionEntry.h"
#include "world/ItemDragRecord.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kUnlimitedReach = 1e9f;  // a character without an attack reaches any point
constexpr int32_t kAttackSwitchButton = 3;

// The first strategy of the equipped weapon: what the character attacks with now.
KI_Strategy* CurrentAttackStrategy(CreatureObj_SF& hero)
{
    auto* weapon = dynamic_cast<Item_SF*>(hero.GetWeapon());
    if (!weapon || weapon->GetStrategies().GetSize() < 1)
        return nullptr;
    return weapon->GetStrategies().GetAt(0);
}

float AttackReach(CreatureObj_SF& hero)
{
    const ActionEntry* attack = hero.GetCurrentAttackEntry();
    return attack && attack->range > 0.0f ? attack->range : kUnlimitedReach;
}

}  // namespace

// The GUI manager's mouse callback: a press or a release of a button reaches the controller.
void OnGuiMouseEvent(int32_t button, int32_t event, int32_t x, int32_t y)
{
    (void)x;
    (void)y;
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (ctrl && (event == DXC_GuiField::kMousePressed || event == DXC_GuiField::kMouseReleased))
        ctrl->OnMouseButton(button, event == DXC_GuiField::kMouseReleased, false);
}

void SciFiGameCtrl::UpdatePointedElement()
{
    if (IsGuiUnderMouse(0)) {
        m_PointedElement = nullptr;
        return;
    }
    m_PointedElement = PickElementAtPointer(SciFiClickableElementCriteriaValidator::kPointerFlags, m_ClickTolerance);
}

void SciFiGameCtrl::DropDraggedItem()
{
    if (!g_GuiManager || !g_GuiManager->GetDragObject() ||
        std::strcmp(g_GuiManager->GetDragObjectName(), ItemDragRecord::kDragName) != 0)
        return;
    const auto* drag = static_cast<const ItemDragRecord*>(g_GuiManager->GetDragObject());
    if (!drag->item || drag->item->IsKeyOrQuestItem())
        return;  // keys and quest items never leave the inventories
    ItemBase* held = TakeDraggedItem(false);
    if (!held)
        return;
    DropItem(held, 0.0f, GetMainChar());
    DropDraggedObject();
}

void SciFiGameCtrl::OnMouseButton(int32_t button, bool released, bool force)
{
    if (released)
        return;
    if (m_PointerInventory.GetCount() > 0) {
        DropDraggedItem();
        return;
    }
    if (!force && IsGuiUnderMouse(0))
        return;
    auto* hero = dynamic_cast<CreatureObj_SF*>(GetMainChar());
    auto* input = hero ? dynamic_cast<SciFiInputCtrl*>(hero->m_InputCtrl) : nullptr;
    if (!hero || !input)
        return;
    const float reach = AttackReach(*hero);
    // The ground under the pointer within reach; in scheme 0 also the point toward it at the reach.
    const auto groundInReach = [&](D3DXVECTOR3& point, bool towardReach) {
        if (RayTestAtMouse(point, reach))
            return true;
        D3DXVECTOR3 far;
        if (!towardReach || !RayTestAtMouse(far, kPickRange))
            return false;
        const D3DXVECTOR3 at = hero->GetAbsPos3D();
        D3DXVECTOR2 toward(far.x - at.x, far.y - at.y);
        const float length = std::hypot(toward.x, toward.y);
        if (!(length > 0.0f))
            return false;
        point = D3DXVECTOR3(at.x + toward.x / length * reach, at.y + toward.y / length * reach, far.z);
        return true;
    };
    const auto moveToGround = [&] {
        D3DXVECTOR3 ground;
        if (RayTestAtMouse(ground, kPickRange))
            input->MoveToPoint(ground.x, ground.y);
    };
    SciFiClickableElementCriteriaValidator pointerRules(*this, SciFiClickableElementCriteriaValidator::kPointerFlags);
    WorldElem* pointed = m_PointedElement.Get();
    const bool attackSwitch = input->IsButtonDown(kAttackSwitchButton);

    if (m_ControlType == 0) {
        if (button == m_MoveButton) {
            KI_Strategy* attack = CurrentAttackStrategy(*hero);
            D3DXVECTOR3 point;
            if (attackSwitch) {
                if (groundInReach(point, true))
                    input->AttackPosition(point.x, point.y, attack, false);
            } else if (pointed) {
                if (pointerRules.MayMainCharacterAttack(*pointed))
                    input->AttackObject(pointed, attack, false);
                else
                    input->MoveToObject(pointed);
            } else {
                moveToGround();
            }
        } else if (button == m_SkillButton) {
            SkillTreeEntry* skill = GetMainCharSkill(1, true, false);
            if (!skill || !skill->strategy)
                return;
            if (skill->targetMode != 0) {
                if (WorldElem* target = PickElementAtPointer(uint8_t(skill->targetFilter), m_ClickTolerance)) {
                    input->AttackObject(target, skill->strategy, true);
                    return;
                }
                if (skill->targetMode == 2)
                    return;  // this skill needs a target
            }
            D3DXVECTOR3 point;
            if (groundInReach(point, true))
                input->AttackPosition(point.x, point.y, skill->strategy, true);
        }
        return;
    }

    if (button == m_MoveButton) {
        if (pointed && !pointerRules.MayMainCharacterAttack(*pointed) && pointed->IsUsable())
            input->MoveToObject(pointed);
        else
            moveToGround();
        return;
    }
    if (button != m_AttackButton && button != m_SkillButton)
        return;
    const bool withSkill = button == m_SkillButton;
    SkillTreeEntry* skill = withSkill ? GetMainCharSkill(1, true, false) : nullptr;
    KI_Strategy* action = withSkill ? (skill ? skill->strategy : nullptr) : CurrentAttackStrategy(*hero);
    D3DXVECTOR3 point;
    if (attackSwitch) {
        if (groundInReach(point, false))
            input->AttackPosition(point.x, point.y, action, withSkill);
        return;
    }
    const bool skillTargets = withSkill && skill && skill->targetMode != 0;
    const uint8_t flags =
        skillTargets ? uint8_t(skill->targetFilter) : SciFiClickableElementCriteriaValidator::kPointerFlags;
    if (WorldElem* target = PickElementAtPointer(flags, m_ClickTolerance)) {
        if (withSkill || pointerRules.MayMainCharacterAttack(*target)) {
            input->AttackObject(target, action, withSkill);
            return;
        }
    }
    const int32_t targetMode = withSkill && skill ? skill->targetMode : m_ControlType;
    if (targetMode == 2)
        return;  // no attacks without a target
    if (groundInReach(point, false))
        input->AttackPosition(point.x, point.y, action, withSkill);
}
