// SciFiInputCtrl_server: a remote player's commands turned into the orders of the creature
// control, and the queries the control step asks answered from what the player sent.
#include "server/SciFiInputCtrl_server.h"

#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/input/PlayerCommandCodec.h"
#include "world/WorldCtrl.h"
#include "world/WorldElem.h"

#include <algorithm>

namespace Codec = PlayerCommandCodec;

namespace {

constexpr uint32_t kKindMove = 0;
constexpr uint32_t kKindSwitch = 3;  // the attack switch: held, no order

WorldCtrl* WorldOf(SciFiGameCtrl* ctrl) { return ctrl ? &ctrl->GetWorld() : nullptr; }

}  // namespace

SciFiInputCtrl_server::SciFiInputCtrl_server() { CopyName32(this, "SciFiInputCtrl_server"); }

bool SciFiInputCtrl_server::ReadMessage(const Codec::PlayerCommand& command)
{
    SciFiGameCtrl* ctrl = GetGameCtrl();
    WorldCtrl* world = WorldOf(ctrl);
    switch (command.id) {
    case Codec::kMsgPointOrder: {
        // The codec took kinds 0 to 3 only.
        float x = command.x, y = command.y;
        ClampToLevel(x, y);
        SetButtonDown(int32_t(command.kind), true);
        SetAim(x, y);
        if (command.kind == kKindMove) {
            MoveToPoint(x, y);
        } else if (command.kind != kKindSwitch) {
            KI_Strategy* strategy = world ? world->FindStrategyEntry(command.name.c_str(), false) : nullptr;
            SetButtonDown(3, true);  // an attack at a position holds the switch with it
            AttackPosition(x, y, strategy, command.kind == 2);
        }
        return true;
    }
    case Codec::kMsgObjectOrder: {
        WorldElem* target = world ? world->GetObjByIdentifier(command.target) : nullptr;
        if (!target)
            return true;  // gone meanwhile: the buttons stay as they were
        SetButtonDown(int32_t(command.kind), true);
        if (command.kind == kKindMove) {
            MoveToObject(target);
        } else if (command.kind != kKindSwitch) {
            KI_Strategy* strategy = world ? world->FindStrategyEntry(command.name.c_str(), false) : nullptr;
            AttackObject(target, strategy, command.kind == 2);
        }
        return true;
    }
    case Codec::kMsgButtonReleased:
        SetButtonDown(int32_t(command.kind), false);
        return true;
    case Codec::kMsgCursor: {
        float x = command.x, y = command.y;
        ClampToLevel(x, y);
        SetAim(x, y);
        return true;
    }
    case Codec::kMsgNoCursor:
        m_AimValid = 0;  // the point stays for the next query that finds one
        return true;
    case Codec::kMsgDodge:
        m_Movement[0] = command.x;
        m_Movement[1] = command.y;
        return true;
    default:
        return false;
    }
}

void SciFiInputCtrl_server::SetAim(float x, float y)
{
    m_AimTarget[0] = x;
    m_AimTarget[1] = y;
    m_AimValid = 1;
}

void SciFiInputCtrl_server::ClampToLevel(float& x, float& y)
{
    WorldCtrl* world = WorldOf(GetGameCtrl());
    if (!world || world->GetMapWidth() <= 0 || world->GetMapHeight() <= 0)
        return;
    const float width = float(world->GetMapWidth()) * world->GetCellWidthF();
    const float height = float(world->GetMapHeight()) * world->GetCellHeightF();
    x = std::clamp(x, 0.0f, width);
    y = std::clamp(y, 0.0f, height);
}

CreatureObj* SciFiInputCtrl_server::OnObjectNotify(WorldElem* object)
{
    CreatureObj* creature = GetControlledObject();
    if (creature && object == creature && m_Alternate)
        SetButtonDown(2, false);
    return creature;
}

void SciFiInputCtrl_server::Update(float dt) { ControlStep(dt); }

bool SciFiInputCtrl_server::GetCursorGroundPoint(D3DXVECTOR2& out, bool atCreatureHeight)
{
    (void)atCreatureHeight;  // the player's game picked the point at the height it chose
    if (!m_AimValid)
        return false;
    out = D3DXVECTOR2(m_AimTarget[0], m_AimTarget[1]);
    return true;
}

void SciFiInputCtrl_server::GetDodgeVector(D3DXVECTOR2& out, CreatureObj* creature)
{
    (void)creature;
    out = D3DXVECTOR2(m_Movement[0], m_Movement[1]);
    m_Movement[0] = m_Movement[1] = 0.0f;
}

bool SciFiInputCtrl_server::PickUp(CreatureObj* creature, WorldElem* target)
{
    if (m_Mode != kModeInput)
        return SciFiInputCtrl::PickUp(creature, target);
    SciFiGameCtrl* ctrl = GetGameCtrl();
    return ctrl && ctrl->SendPickUp(creature, target ? target : m_MoveTargetObj.Get());
}

bool SciFiInputCtrl_server::CanAffordStrategy(CreatureObj* creature, KI_Strategy* strategy)
{
    (void)creature;
    (void)strategy;
    return true;
}

bool SciFiInputCtrl_server::CanAffordItemStrategy(CreatureObj* creature, ItemBase* item)
{
    (void)creature;
    (void)item;
    return true;
}
