// SciFiInputCtrl: construction, reset, the orders, the skill slots, the damage meter, the tick
// and the frame update with the client's part.
#include "scifi/input/SciFiInputCtrl.h"

#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/InputState.h"
#include "engine/gui/MouseState.h"
#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "scifi/gui/Controls.h"
#include "scifi/objects/CreatureObj_SF.h"
#include "scifi/skills/SkillTreeEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"

#include <cmath>

namespace {

bool AllowMoveAndAttack()
{
    const SciFiGameCtrl* ctrl = SciFiInputCtrl::GetGameCtrl();
    return ctrl && ctrl->GetAllowMoveAndAttack();
}

bool IsFinite(float x, float y) { return std::isfinite(x) && std::isfinite(y); }

// The slot of the clock's time in a ring of count slots of width seconds, never negative.
int32_t RingSlot(float clock, float width, int32_t count)
{
    const int64_t step = int64_t(std::floor(clock / width));
    return int32_t(((step % count) + count) % count);
}

}  // namespace

SciFiInputCtrl::SciFiInputCtrl() : m_Keys(&g_InputState), m_Mouse(&g_MouseState)
{
    CopyName32(this, "SciFiInputCtrl");
    float window = g_SciFiRules.damageDealAverageTime;
    // Fewer than one slot would leave the meter nowhere to add to, and its width would divide by 0.
    if (!(window >= 0.5f) || !std::isfinite(window)) {
        Warning("DamageDealAverageTime %g is too short: %g seconds taken", double(window),
                double(kDefaultDamageWindow));
        window = kDefaultDamageWindow;
    }
    SetDamageWindow(window, int32_t(2.0f * window));
    Reset();
}

SciFiInputCtrl::~SciFiInputCtrl() = default;

SciFiGameCtrl* SciFiInputCtrl::GetGameCtrl() { return dynamic_cast<SciFiGameCtrl*>(g_GameCtrl); }

void SciFiInputCtrl::Reset()
{
    for (int32_t slot = 0; slot < m_DamageSlots; slot++)
        m_DamageRing[slot] = 0.0f;
    m_DamageClock = 0.0f;
    ClearMoveOrder();
    ClearAttackOrder();
    m_AttackOrderTime = kNoAttackOrder;
    m_StrategyStarted = 0;
    m_AlternateStartCount = 0;
    m_NoMoveCounter = 0.0f;
    m_TapTime = -1.0;
    m_LastTargetPos[0] = m_LastTargetPos[1] = 0.0f;
    m_LastCursorSendTime = -1.0;
    for (SkillTreeEntry*& skill : m_SkillSlots)
        skill = nullptr;
    for (int32_t button = 0; button < kButtons; button++)
        m_ButtonDown[button] = m_OrderSent[button] = 0;
    InputCtrl::Reset();
}

double SciFiInputCtrl::Now() const { return GameCtrlInterface::GameTime(); }

void SciFiInputCtrl::Disable(bool stopCreatures)
{
    if (m_DisableCount == 0) {
        ClearMoveOrder();
        ClearAttackOrder();
    }
    InputCtrl::Disable(stopCreatures);
}

void SciFiInputCtrl::OnNoMana()
{
    CreatureObj* creature = GetControlledObject();
    StopAttack();
    if (GameCtrl* ctrl = GetGameCtrl(); ctrl && creature && creature->IsMainCharacter())
        ctrl->NotifyNoMana();
}

void SciFiInputCtrl::StopAttack()
{
    if (GetControlledObject())
        ClearAttackOrder();
}

bool SciFiInputCtrl::IsButtonDown(int32_t button) const
{
    return button >= 0 && button < kButtons && m_ButtonDown[button] != 0;
}

// ---- orders ----

void SciFiInputCtrl::GiveMoveOrder(int32_t kind, float x, float y, WorldElem* object)
{
    m_StrategyStarted = 0;
    if (CreatureObj* creature = GetControlledObject())
        creature->ResetCurrentAction();
    m_MoveButtonReleased = 0;
    m_MoveKind = kind;
    m_MoveTarget[0] = x;
    m_MoveTarget[1] = y;
    m_MoveTargetObj = object;
    m_MoveResume = 0;
    if (!AllowMoveAndAttack())
        ClearAttackOrder();
}

void SciFiInputCtrl::MoveToPoint(float x, float y)
{
    if (!IsFinite(x, y)) {  // no point any player could have clicked
        Warning("Walk order to a point that is not finite ignored");
        return;
    }
    GiveMoveOrder(kMoveToPoint, x, y, nullptr);
    SendPointOrder(0, x, y);
}

void SciFiInputCtrl::MoveToObject(WorldElem* object)
{
    GiveMoveOrder(kMoveToObject, 0.0f, 0.0f, object);
    SendObjectOrder(0, object);
}

bool SciFiInputCtrl::GiveAttackOrder(int32_t kind, WorldElem* target, float x, float y, KI_Strategy* strategy,
                                     bool alternate)
{
    CreatureObj* creature = GetControlledObject();
    if (!creature)
        return false;
    if (!CanAffordStrategy(creature, strategy)) {
        if (GameCtrl* ctrl = GetGameCtrl())
            ctrl->PlayWorldSound("NoMana");  // the controller's no-mana sound
        return false;
    }
    if (auto* sf = dynamic_cast<CreatureObj_SF*>(creature))
        sf->ResetActionTime();
    m_StrategyStarted = 0;
    creature->ResetCurrentAction();
    m_AlternateStartCount = 0;
    m_AttackButtonReleased = 0;
    m_AttackKind = kind;
    m_AttackTargetObj = target;
    m_AttackTarget[0] = x;
    m_AttackTarget[1] = y;
    m_CurrentStrategy = strategy;
    if (!alternate)
        m_PrimaryStrategy = strategy;
    m_Alternate = alternate ? 1 : 0;
    m_AttackOrderTime = Now();
    m_OrderWarned = 0;
    if (!AllowMoveAndAttack() && m_MoveKind == kMoveToObject)
        ClearMoveOrder();
    return true;
}

void SciFiInputCtrl::AttackObject(WorldElem* target, KI_Strategy* strategy, bool alternate)
{
    if (GiveAttackOrder(kAttackObject, target, 0.0f, 0.0f, strategy, alternate))
        SendObjectOrder(alternate ? 2 : 1, target);
}

void SciFiInputCtrl::AttackPosition(float x, float y, KI_Strategy* strategy, bool alternate)
{
    if (!IsFinite(x, y)) {
        Warning("Attack order at a point that is not finite ignored");
        return;
    }
    // The secondary button pressed during a running attack on an object strikes that object.
    if (!m_Alternate && alternate && m_AttackKind == kAttackObject && IsButtonDown(1)) {
        AttackObject(m_AttackTargetObj.Get(), strategy, true);
        return;
    }
    if (GiveAttackOrder(kAttackPosition, nullptr, x, y, strategy, alternate) && SendPointOrder(alternate ? 2 : 1, x, y))
        m_OrderSent[3] = 1;  // the server holds the switch down with it
}

void SciFiInputCtrl::ClearMoveOrder()
{
    m_MoveKind = kMoveNone;
    m_MoveTargetObj = nullptr;
    m_MoveResume = 0;
    m_MoveTarget[0] = m_MoveTarget[1] = 0.0f;
}

void SciFiInputCtrl::ClearAttackOrder()
{
    m_AttackOrderTime = kNoAttackOrder;
    m_AttackKind = kAttackNone;
    m_CurrentStrategy = nullptr;
    m_PrimaryStrategy = nullptr;
    m_Alternate = m_AlternateStarted = m_StrategyStarted = 0;
    m_AttackTargetObj = nullptr;
    if (CreatureObj* creature = GetControlledObject())
        creature->ResetCurrentAction();
}

// ---- skill slots ----

void SciFiInputCtrl::SetSkillSlot(int32_t slot, SkillTreeEntry* skill, bool force)
{
    if (slot < 1 || slot > kSkillSlots)
        return;
    SkillTreeEntry*& held = m_SkillSlots[slot - 1];
    if (held == skill && !force)
        return;
    held = skill;
    if (auto* creature = dynamic_cast<CreatureObj_SF*>(GetControlledObject())) {
        if (SciFiGameCtrl* ctrl = GetGameCtrl())
            ctrl->EndSkillSlotEffects(*creature);
        creature->UpdateValues(false);
    }
    if (skill)
        skill->updateTimer = 0.0f;
    SendSkillSlot(slot, true);
}

SkillTreeEntry* SciFiInputCtrl::GetSkillSlot(int32_t slot, bool resolveNextLevel, bool allowPlaceholder)
{
    if (slot < 1 || slot > kSkillSlots)
        return nullptr;
    SkillTreeEntry* skill = m_SkillSlots[slot - 1];
    if (skill && resolveNextLevel)
        if (SciFiGameCtrl* ctrl = GetGameCtrl())
            skill = skill->ResolveNextLevel(*ctrl, true, true);
    if (skill && skill->noSkill && !allowPlaceholder)
        return nullptr;
    return skill;
}

// ---- damage meter ----

void SciFiInputCtrl::SetDamageWindow(float seconds, int32_t slots)
{
    m_DamageSlots = slots > 0 ? slots : 0;
    m_DamageRing.reset(m_DamageSlots > 0 ? new float[size_t(m_DamageSlots)]() : nullptr);
    m_DamageWindow = seconds;
    m_DamageClock = 0.0f;
}

void SciFiInputCtrl::AddDealtDamage(float amount)
{
    if (IsDisabled(false) || m_DamageSlots <= 0)
        return;
    const float width = m_DamageWindow / float(m_DamageSlots);
    m_DamageRing[RingSlot(m_DamageClock, width, m_DamageSlots)] += amount;
}

// Newer slots weigh more: the current one n, the oldest 1.
float SciFiInputCtrl::GetDamagePerSecond() const
{
    const int32_t n = m_DamageSlots;
    if (n <= 0 || !(m_DamageWindow > 0.0f))
        return 0.0f;
    const float width = m_DamageWindow / float(n);
    const int32_t current = RingSlot(m_DamageClock, width, n);
    double weighted = 0.0;
    double weights = 0.0;
    for (int32_t k = 0; k < n; k++) {
        const double weight = double(n - k);
        weighted += weight * double(m_DamageRing[((current - k) % n + n) % n]);
        weights += weight;
    }
    return float(double(n) * weighted / (double(m_DamageWindow) * weights));
}

// ---- tick and update ----

void SciFiInputCtrl::Tick(float dt)
{
    InputCtrl::Tick(dt);
    if (m_DamageSlots > 0) {
        const float width = m_DamageWindow / float(m_DamageSlots);
        const int64_t before = int64_t(std::floor(m_DamageClock / width));
        m_DamageClock += dt;
        const int64_t after = int64_t(std::floor(m_DamageClock / width));
        // A step longer than the window clears the ring once, not slot by slot for ever.
        const int64_t last = std::min(after, before + m_DamageSlots);
        for (int64_t step = before + 1; step <= last; step++)
            m_DamageRing[((step % m_DamageSlots) + m_DamageSlots) % m_DamageSlots] = 0.0f;
    }
    GameCtrl* ctrl = dynamic_cast<GameCtrl*>(g_GameCtrl);
    for (int32_t slot : {1, 3, 2})
        if (SkillTreeEntry* skill = m_SkillSlots[slot - 1]; skill && ctrl)
            skill->RunUpdate(*ctrl, GetControlledObject(), dt);
}

void SciFiInputCtrl::Update(float dt)
{
    // The AI's input is one of these too: it runs the engine's step, its creatures think.
    if (m_Mode == kModeAI) {
        InputCtrl::Update(dt);
        return;
    }
    if (g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
        return;  // the server's controller of each player drives its creature
    ReadButtons();
    if (g_GameCtrl && g_GameCtrl->IsNetworkClient())
        ClientUpdate();
    else
        ControlStep(dt);
}

bool SciFiInputCtrl::MakeBindingInputs(std::unique_ptr<BindingInputs>& out) const
{
    if (!m_Keys || !m_Mouse)
        return false;
    const bool overWindow = g_GuiManager && g_GuiManager->IsMouseOverGui();
    out.reset(new BindingInputs{*m_Keys, *m_Mouse, true, overWindow});
    return true;
}

void SciFiInputCtrl::ReadButtons()
{
    std::unique_ptr<BindingInputs> in;
    SciFiGameCtrl* ctrl = GetGameCtrl();
    if (!MakeBindingInputs(in) || !ctrl) {
        for (uint8_t& down : m_ButtonDown)
            down = 0;
        return;
    }
    const Controls& controls = ctrl->GetControls();
    m_ButtonDown[0] = m_Mouse->IsButtonDown(ctrl->GetMoveButton()) ? 1 : 0;
    m_ButtonDown[1] = m_Mouse->IsButtonDown(ctrl->GetAttackButton()) ? 1 : 0;
    m_ButtonDown[2] = m_Mouse->IsButtonDown(ctrl->GetSkillButton()) ||
                              controls.GetBinding(Controls::kAttack2).IsHeld(*in, true)
                          ? 1
                          : 0;
    m_ButtonDown[3] = controls.GetBinding(Controls::kAttackSwitch).IsHeld(*in, true) ? 1 : 0;
}

// The client's commands of the frame (SciFiInputCtrlNetwork.cpp) and what the creature does about
// them at once; the server drives it.
void SciFiInputCtrl::ClientUpdate()
{
    auto* creature = dynamic_cast<CreatureObj_SF*>(GetControlledObject());
    if (!creature || creature->IsDead())
        return;
    if (auto* node = dynamic_cast<GameNetworkNode*>(g_GameCtrl);
        node && node->GetConnectionState() < GameNetworkNode::eRunningGame)
        return;
    for (int32_t button = 0; button < kButtons; button++)
        if (m_OrderSent[button] && !m_ButtonDown[button])
            SendButtonReleased(button);
    if (m_ButtonDown[0] || m_ButtonDown[1] || m_ButtonDown[2])
        SendCursor(m_ButtonDown[2] || (m_ButtonDown[1] && m_ButtonDown[3]));
    if (m_ButtonDown[1] && (m_ButtonDown[3] || m_AttackTargetObj.Get()))
        creature->ResetActionTime();
    if (creature->HasDodgeEnergy()) {
        D3DXVECTOR2 dodge(0.0f, 0.0f);
        GetDodgeVector(dodge, creature);
        if (dodge.x != 0.0f || dodge.y != 0.0f) {
            SendDodge(dodge.x, dodge.y);
            creature->UseDodgeEnergy();
            creature->ResetActionTime();
        }
    }
}
