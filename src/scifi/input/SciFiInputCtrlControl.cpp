// SciFiInputCtrl: the creature update (one frame of the walk and attack orders), the reach of a
// walk target, starting an attack strategy and what it costs, the dodge vector and the cursor.
#include "scifi/input/SciFiInputCtrl.h"

#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/objects/CreatureObj.h"
#include "game/objects/ItemBase.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/gui/Controls.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/objects/Item_SF.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

// A network game: this node runs as a client or serves clients.
bool IsNetworkGame()
{
    return g_GameCtrl && (g_GameCtrl->IsNetworkClient() || g_GameCtrl->IsNetworkGameServer());
}

bool IsWalking(const CreatureObj& creature)
{
    const CreatureActionState& s = creature.m_ActionState;
    switch (s.moveCode) {
    case CreatureObj::kMoveWalk: {
        const D3DXVECTOR2 pos = const_cast<CreatureObj&>(creature).GetPos();
        return s.moveTarget[0] != pos.x || s.moveTarget[1] != pos.y;
    }
    case CreatureObj::kMoveToTarget:
    case CreatureObj::kMoveToPoint:
    case 21:
    case 22:
    case 23: return true;
    default: return false;
    }
}

// The target still counts for an attack: it exists, and a creature is neither dead nor dying.
bool IsAttackable(WorldElem* target)
{
    if (!target)
        return false;
    auto* creature = target->IsCreature() ? dynamic_cast<CreatureObj*>(target) : nullptr;
    return !creature || (!creature->IsDead() && !creature->m_Dying);
}

}  // namespace

void SciFiInputCtrl::ControlStep(float dt)
{
    auto* creature = dynamic_cast<CreatureObj_SF*>(GetControlledObject());
    if (!creature || creature->IsDead())
        return;
    SmartPtr<WorldElem> alive(creature);
    m_DodgedThisFrame = 0;

    // 2. The buttons of the orders.
    m_Statistics.totalTime += dt;
    const bool moveButton = IsButtonDown(0);
    const bool attackButton = IsButtonDown(m_Alternate ? 2 : 1);
    if (!moveButton)
        m_MoveButtonReleased = 1;
    if (!attackButton)
        m_AttackButtonReleased = 1;
    const bool moveHeld = moveButton && !m_MoveButtonReleased;

    // 3. Disabled: the creature stands unless something forces it, and carries out what runs.
    if (IsDisabled(false)) {
        if (creature->GetActionForcePriority() <= 0 && creature->GetMovementForcePriority() <= 0) {
            creature->StartAction(CreatureObj::kActionNone, String(), nullptr, 0, 0.0f);
            creature->StopMovement(0);
        }
        creature->ExecuteIntention(dt);
        return;
    }
    // 4. Halted by a script: neither orders nor moves.
    if (creature->m_AIRun.halted)
        return;

    // 5. What the creature is doing.
    const bool forced = creature->GetActionForcePriority() > 0;
    const bool busy = forced || creature->GetMovementForcePriority() > 0;
    KI_ActionData intention;
    creature->GetCurrentActionData(intention);
    const bool attacking = creature->m_ActionState.actionCode == CreatureObj::kActionEntry;
    if (attacking)
        m_Statistics.attackTime += dt;

    UpdateNoMoveCounter(creature, dt);

    // 7. A walk interrupted by a dodge goes on while the move button is held; then the dodge.
    if (!busy && m_MoveKind == kMoveNone && m_MoveResume && moveHeld) {
        MoveToPoint(m_MoveTarget[0], m_MoveTarget[1]);
        m_MoveResume = 0;
    }
    const ActionEntry* running = creature->m_ActionState.pActionEntry;
    if (!busy || (attacking && running && running->canMove)) {
        D3DXVECTOR2 dodge(0.0f, 0.0f);
        GetDodgeVector(dodge, creature);
        if (dodge.x != 0.0f || dodge.y != 0.0f) {
            if (busy)
                creature->RemoveForcedActions(CreatureObj::kForcedRemovePriority);
            if (creature->DodgeTowards(dodge.x, dodge.y)) {
                m_Statistics.dodges++;
                creature->StartAction(CreatureObj::kActionNone, String(), nullptr, 0, 0.0f);
                ClearMoveOrder();
                m_MoveResume = 1;
                m_DodgedThisFrame = 1;
            }
        }
    }
    if (!alive.Get())
        return;
    const bool special = creature->IsDodging() || (!IsNetworkGame() && m_DodgedThisFrame);

    // 8, 9. The orders.
    UpdateWalkOrder(creature, moveHeld, special, intention, dt);
    const int32_t attackKind = m_AttackKind;
    if (UpdateAttackOrder(creature, busy, forced, special, intention) && !special && attackKind != kAttackNone &&
        alive.Get()) {
        // The engine's step of the running intention: an approach that reached its target
        // turns into the action.
        CheckIntention(creature, dt, 0);
    }
    if (!alive.Get() || !GetControlledObject())
        return;

    // 10. The creature carries out this frame's orders.
    CreatureObj::s_ActionChanged = false;
    creature->ExecuteIntention(dt);
    if (!alive.Get())
        return;
    creature->m_ControlFlag = 1;

    AfterWalk(creature, moveHeld, attackButton);
}

// Moving lowers the counter, standing raises it.
void SciFiInputCtrl::UpdateNoMoveCounter(CreatureObj* creature, float dt)
{
    if (IsWalking(*creature))
        m_NoMoveCounter -= g_SciFiRules.noMoveCounterDecreaseFactor * dt;
    else
        m_NoMoveCounter += dt;
    m_NoMoveCounter = std::clamp(m_NoMoveCounter, 0.0f, g_SciFiRules.noMoveCounterMaximum);
}

void SciFiInputCtrl::UpdateWalkOrder(CreatureObj_SF* creature, bool moveHeld, bool special,
                                     const KI_ActionData& intention, float dt)
{
    const SciFiGameCtrl* ctrl = GetGameCtrl();
    switch (m_MoveKind) {
    case kMoveNone:
        // Free walking in place: no steering without the development mode. Not while an action
        // runs: one that may not move would turn the walk's point into the origin.
        if (!IsNetworkGame() && intention.task != kIntentGoDoAction && !special &&
            creature->GetMovementForcePriority() <= 0 && creature->GetMoveType() != CreatureObj::kMoveWalk &&
            creature->m_ActionState.actionCode == CreatureObj::kActionNone) {
            const D3DXVECTOR2 pos = creature->GetPos();
            creature->SetMoveType(CreatureObj::kMoveWalk, pos.x, pos.y, 0.0f, nullptr, 0, 0.0f);
        }
        break;
    case kMoveToPoint:
        if (moveHeld) {
            D3DXVECTOR2 cursor;
            if (GetCursorGroundPoint(cursor, false)) {
                m_MoveTarget[0] = cursor.x;
                m_MoveTarget[1] = cursor.y;
            }
            m_MoveResume = 0;
        }
        if (m_AttackKind == kAttackNone) {
            creature->SetMoveType(CreatureObj::kMoveToPoint, m_MoveTarget[0], m_MoveTarget[1], 0.0f, nullptr, 0, 0.0f);
        } else if (!moveHeld) {
            ClearMoveOrder();
            creature->StopMovement(0);
        } else if (ctrl && ctrl->GetAllowMoveAndAttack()) {
            creature->SetMoveType(CreatureObj::kMoveWalkNoTurn, m_MoveTarget[0], m_MoveTarget[1], 0.0f, nullptr, 0,
                                  0.0f);
        } else {
            creature->StopMovement(0);
        }
        m_Statistics.moveTime += dt;
        break;
    case kMoveToObject:
        if (WorldElem* target = m_MoveTargetObj.Get()) {
            if (!IsWithinReach(creature, target))
                creature->SetMoveType(CreatureObj::kMoveToTarget, 0.0f, 0.0f, 0.0f, target, 0, 0.0f);
        } else {
            ClearMoveOrder();
        }
        break;
    default: break;
    }
}

bool SciFiInputCtrl::UpdateAttackOrder(CreatureObj_SF* creature, bool busy, bool forced, bool special,
                                       const KI_ActionData& intention)
{
    const bool fresh = Now() - m_AttackOrderTime < double(g_SciFiRules.actionRememberTime);
    const bool attackButton = IsButtonDown(m_Alternate ? 2 : 1);
    const bool goDoAction = intention.task == kIntentGoDoAction;
    switch (m_AttackKind) {
    case kAttackNone:
        if (creature->m_ActionState.actionCode != CreatureObj::kActionNone && creature->GetActionForcePriority() <= 0)
            creature->StartAction(CreatureObj::kActionNone, String(), nullptr, 0, 0.0f);
        return true;
    case kAttackObject: {
        if (special)
            return true;
        creature->ResetActionTime();
        WorldElem* target = m_AttackTargetObj.Get();
        if (!IsAttackable(target)) {
            ClearAttackOrder();
            return true;
        }
        if (forced)
            return true;
        // In a network game the strategy starts once per order; alone, every frame it applies.
        const auto start = [&]() {
            if (IsNetworkGame() && m_StrategyStarted)
                return true;
            if (!StartStrategy(creature, m_CurrentStrategy, false, false))
                return false;
            m_StrategyStarted = 1;
            return true;
        };
        if (fresh || (goDoAction && !CreatureObj::s_ActionChanged) || (attackButton && !m_Alternate))
            return start();
        if (m_PrimaryStrategy && attackButton) {
            AttackObject(target, m_PrimaryStrategy, false);
            return start();
        }
        ClearAttackOrder();
        return true;
    }
    case kAttackPosition: {
        if (special)
            return true;
        creature->ResetActionTime();
        const D3DXVECTOR2 point(m_AttackTarget[0], m_AttackTarget[1]);
        if (!attackButton && !fresh) {
            const bool keep = (goDoAction || creature->m_ActionState.actionCode == CreatureObj::kActionEntry || busy) &&
                              !CreatureObj::s_ActionChanged;
            if (!keep)
                creature->StartAction(CreatureObj::kActionNone, String(), nullptr, 0, 0.0f);
            if (WorldCtrl* world = GetWorld())
                world->TurnToPoint(*creature, point.x, point.y, 0.0f);
            if (!goDoAction && creature->m_ActionState.actionCode != CreatureObj::kActionEntry)
                ClearAttackOrder();
            return true;
        }
        bool started = true;
        if (!forced && !goDoAction) {
            if (m_AlternateStarted) {
                ClearAttackOrder();
                return false;
            }
            started = StartStrategy(creature, m_CurrentStrategy, true, false);
        } else if (forced) {
            m_AlternateStarted = 1;
            if (!m_Alternate) {
                started = StartStrategy(creature, m_CurrentStrategy, false, true);
            } else {
                started = StartStrategy(creature, m_CurrentStrategy, true, false);
                m_AlternateStartCount++;
            }
        } else if (!SciFiGameCtrl::FirstStrategyEntry(m_CurrentStrategy)) {
            started = StartStrategy(creature, m_CurrentStrategy, true, false);  // warns and clears
        }
        if (!started)
            return false;
        if (WorldCtrl* world = GetWorld())
            world->TurnToPoint(*creature, point.x, point.y, 0.0f);
        if (attackButton) {
            D3DXVECTOR2 cursor;
            if (GetCursorGroundPoint(cursor, true)) {
                m_AttackTarget[0] = cursor.x;
                m_AttackTarget[1] = cursor.y;
            }
        }
        return true;
    }
    default: return true;
    }
}

// 11, 12. What the walk reported: arrival, a failed walk, a walk target reached.
void SciFiInputCtrl::AfterWalk(CreatureObj_SF* creature, bool moveHeld, bool attackButton)
{
    if (m_MoveKind == kMoveToPoint) {
        if (moveHeld)
            creature->m_ControlFlag = 0;
        if (creature->m_BlockedFlagA || creature->m_BlockedFlagB) {
            if (creature->m_BlockedFlagA && !moveHeld)
                ClearMoveOrder();
            creature->m_BlockedFlagA = creature->m_BlockedFlagB = 0;
        }
    } else if (m_MoveKind == kMoveToObject) {
        WorldElem* target = m_MoveTargetObj.Get();
        if (!target) {
            ClearMoveOrder();
        } else if (creature->m_BlockedFlagA || IsWithinReach(creature, target)) {
            SmartPtr<WorldElem> held(target);
            ClearMoveOrder();
            creature->m_BlockedFlagA = 0;
            if (target->HasLinkedObject()) {
                PickUp(creature, target);
            } else if (GameCtrl* ctrl = GetGameCtrl()) {
                // A fallen player's revival comes with the player's commands; any other target is used.
                auto* fallen = target->IsCreature() ? dynamic_cast<CreatureObj*>(target) : nullptr;
                if (!(fallen && fallen->IsMainCharacter() && fallen->IsDead()))
                    ctrl->UseElement(creature, creature->GetParty(), target, 0, 0);
            }
        } else if (creature->m_BlockedFlagB) {
            ClearMoveOrder();
            creature->m_BlockedFlagB = 0;
        }
    }
    if (m_AttackKind == kAttackObject && !attackButton && creature->m_BlockedFlagB) {
        ClearAttackOrder();
        creature->m_BlockedFlagB = 0;
    }
}

bool SciFiInputCtrl::IsWithinReach(CreatureObj* creature, WorldElem* target)
{
    const D3DXVECTOR2 from = creature->GetPos();
    const D3DXVECTOR2 to = target->GetPos();
    const float dx = to.x - from.x;
    const float dy = to.y - from.y;
    const float distance = std::sqrt(dx * dx + dy * dy);
    if (!(distance < target->GetRadius() + kReachMargin))
        return false;
    // The use distance: the two bodies touching.
    const float useDistance = target->GetRadius() + creature->GetRadius();
    if (distance < useDistance)
        return true;
    WorldCtrl* world = GetWorld();
    if (!world)
        return false;
    const float share = useDistance / distance;  // the point at use distance on the creature's side
    const D3DXVECTOR2 point(to.x - dx * share, to.y - dy * share);
    return world->GetIntersection(from.x, from.y, point.x, point.y, nullptr, WorldCtrl::kLineWalls, true, creature,
                                  target, -1, WorldCtrl::kNoMinHeight) == 1;
}

void SciFiInputCtrl::OnElementContact(CreatureObj* creature, WorldElem* element)
{
    if (m_Mode != kModeInput || m_MoveKind != kMoveToPoint || IsButtonDown(0) || !creature || !element)
        return;
    WorldElem* touched = element;
    if (!touched->IsCreature()) {
        auto* parent = touched->m_TypeCode == 7 ? dynamic_cast<WorldElem*>(touched->GetParent(false)) : nullptr;
        touched = parent && parent->IsCreature() ? parent : nullptr;
    }
    if (!touched)
        return;
    const D3DXVECTOR2 pos = touched->GetPos();
    const float dx = m_MoveTarget[0] - pos.x;
    const float dy = m_MoveTarget[1] - pos.y;
    if (std::sqrt(dx * dx + dy * dy) <= touched->GetRadius() + kContactStopDistance)
        ClearMoveOrder();
}

bool SciFiInputCtrl::StartStrategy(CreatureObj* creature, KI_Strategy* strategy, bool atAttackPoint, bool faceOnly)
{
    // Any client may send an order without a usable strategy: it is warned of once and dropped.
    const KI_StratEntry* entry = SciFiGameCtrl::FirstStrategyEntry(strategy);
    if (!entry) {
        if (!m_OrderWarned) {
            if (!strategy)
                Warning("No strategy specified for player attack");
            else
                Warning("Strategy '%s' has no Default action entry", strategy->name.c_str());
        }
        m_OrderWarned = 1;
        ClearAttackOrder();
        return false;
    }
    if (!CanAffordStrategy(creature, strategy))
        return false;
    const D3DXVECTOR2 point(m_AttackTarget[0], m_AttackTarget[1]);
    if (atAttackPoint) {
        m_LastTargetPos[0] = point.x;
        m_LastTargetPos[1] = point.y;
        creature->StartStrategyEntry(*entry, nullptr, false, &point);
    } else if (faceOnly) {
        m_LastTargetPos[0] = point.x;
        m_LastTargetPos[1] = point.y;
        creature->StartAction(CreatureObj::kActionEntry, entry->id, nullptr, 0, 0.0f);
    } else {
        WorldElem* target = m_AttackTargetObj.Get();
        creature->StartStrategyEntry(*entry, target, false, nullptr);
        if (target) {
            const D3DXVECTOR2 at = target->GetPos();
            m_LastTargetPos[0] = at.x;
            m_LastTargetPos[1] = at.y;
        }
    }
    m_AttackOrderTime = kNoAttackOrder;
    return true;
}

// The controller knows what a strategy costs; without the game's controller nothing does.
bool SciFiInputCtrl::CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy)
{
    SciFiGameCtrl* ctrl = GetGameCtrl();
    return !ctrl || ctrl->CanAffordStrategy(creature, strategy);
}

bool SciFiInputCtrl::CanAffordItemStrategy(CreatureObj* creature, ItemBase* item)
{
    SciFiGameCtrl* ctrl = GetGameCtrl();
    return !ctrl || ctrl->ItemStrategyAffordable(creature, item);
}

bool SciFiInputCtrl::PickUp(CreatureObj* creature, WorldElem* target)
{
    GameCtrl* ctrl = GetGameCtrl();
    return ctrl && ctrl->PickUpItem(target ? target : m_MoveTargetObj.Get(), creature);
}

// The picking ray of the mouse meets the plane at the creature's height or at the level's ground
// (height 0); the server has neither mouse nor view, its controller has the point its player sent.
bool SciFiInputCtrl::GetCursorGroundPoint(D3DXVECTOR2& out, bool atCreatureHeight)
{
    CreatureObj* creature = GetControlledObject();
    SciFiGameCtrl* ctrl = GetGameCtrl();
    CreatureObj* hero = ctrl ? ctrl->GetMainChar() : nullptr;
    if (!creature || !hero)
        return false;
    const float height = atCreatureHeight ? creature->GetAbsPos3D().z : 0.0f;
    return ctrl->GetMouseFloorPoint(out, height - hero->GetAbsPos3D().z);
}

void SciFiInputCtrl::GetDodgeVector(D3DXVECTOR2& out, CreatureObj* creature)
{
    out = D3DXVECTOR2(0.0f, 0.0f);
    auto* sf = dynamic_cast<CreatureObj_SF*>(creature);
    std::unique_ptr<BindingInputs> in;
    SciFiGameCtrl* ctrl = GetGameCtrl();
    if (!sf || !sf->HasDodgeEnergy() || IsDisabled(false) || !ctrl || !MakeBindingInputs(in))
        return;
    const Controls& controls = ctrl->GetControls();
    if (controls.GetBinding(Controls::kDodge).WasPressed(*in, false)) {
        D3DXVECTOR2 cursor;
        if (GetCursorGroundPoint(cursor, false))
            out = cursor - creature->GetPos();
        return;
    }
    int32_t direction[2] = {0, 0};
    bool pressed = false;
    const struct {
        int32_t slot, component, sign;
    } keys[] = {{Controls::kUp, 0, 1}, {Controls::kDown, 0, -1}, {Controls::kLeft, 1, -1}, {Controls::kRight, 1, 1}};
    for (const auto& key : keys)
        if (controls.GetBinding(key.slot).WasPressed(*in, true)) {
            direction[key.component] += key.sign;
            pressed = true;
        }
    const double now = Now();
    if (pressed && m_TapTime < 0.0) {  // the first tap waits for a second one
        m_TapTime = now;
        m_TapDirection[0] = direction[0];
        m_TapDirection[1] = direction[1];
        return;
    }
    if (!pressed) {
        if (m_TapTime < 0.0 || !(now - m_TapTime > double(g_SciFiRules.dodgeTimeFrame)))
            return;
        direction[0] = m_TapDirection[0];
        direction[1] = m_TapDirection[1];
    }
    m_TapTime = -1.0;
    const float heading = GetWorld() ? GetWorld()->GetCameraAngle() : 0.0f;
    const float c = std::cos(heading);
    const float s = std::sin(heading);
    out = D3DXVECTOR2(float(direction[0]) * c - float(direction[1]) * s, float(direction[0]) * s + float(direction[1]) * c);
}
