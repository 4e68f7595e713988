// CreatureObj_SF: health, mana, shield and dodge energy, how they regenerate every frame and how
// pending refills are paid out, and the advance and skill points.
#include "scifi/objects/CreatureObj_SF.h"

#include "game/ctrl/Difficulty.h"
#include "level/Angle.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/ctrl/SciFiRules.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kDodgeCharge = 1.0f;
constexpr float kDodgeTolerance = 0.0001f;  // a charge worn down by rounding still counts
constexpr float kPointsMessageTime = 3.0f;
constexpr float kLevelGainMessageTime = 3.0f;
constexpr float kQuartersPerRadian = 0.6366203f;  // 2 / pi
constexpr float kQuarterTurn = 1.5707964f;

// The value raised by gain, when below the maximum, and capped there.
float RaisedTo(float value, float gain, float maximum)
{
    if (value >= maximum)
        return value;
    return std::min(value + gain, maximum);
}

// This frame's portion of a pending refill. A resource already full cancels what is pending, so
// a refill never tops a resource up later, after it was spent.
float TakeRefillPortion(float& left, float rate, float value, float maximum, float dt)
{
    if (!(left > 0.0f))
        return 0.0f;
    if (value >= maximum) {
        left = 0.0f;
        return 0.0f;
    }
    const float portion = std::clamp(rate * dt, 0.0f, left);
    left -= portion;
    return portion;
}

// The cost taken from the points, or false with the error message when they do not reach it.
bool SpendPoints(int32_t& points, int32_t cost)
{
    if (points < cost) {
        if (g_GameCtrl)
            g_GameCtrl->ShowMessage(kPointsMessageTime, "GuiError");
        return false;
    }
    points -= cost;
    return true;
}

}  // namespace

void CreatureObj_SF::AddHealth(float delta)
{
    if (m_Health >= m_Values.maxHealth)
        return;
    SetHealth(std::min(m_Health + delta, m_Values.maxHealth));
    if (m_Health <= 0.0f)
        Kill(nullptr, -2);
}

void CreatureObj_SF::AddMana(float amount)
{
    if (m_Mana >= m_Values.maxMana)
        return;
    m_Mana = std::max(std::min(m_Mana + amount, m_Values.maxMana), 0.0f);
}

void CreatureObj_SF::AddShieldEnergy(float amount)
{
    if (m_ShieldEnergy >= m_Values.maxShield)
        return;
    m_ShieldEnergy = std::max(std::min(m_ShieldEnergy + amount, m_Values.maxShield), 0.0f);
}

void CreatureObj_SF::FillShield()
{
    if (m_ShieldEnergy < m_Values.maxShield)
        m_ShieldEnergy = m_Values.maxShield;
}

// A refill over no time at all is given at once: its rate would be infinite.
void CreatureObj_SF::RefillShield(float amount, float seconds)
{
    if (!(seconds > 0.0f)) {
        AddShieldEnergy(amount);
        return;
    }
    QueueRefill(m_ShieldRefill, m_ShieldRefillRate, amount, seconds);
}

bool CreatureObj_SF::HasDodgeEnergy() const { return m_DodgeEnergy + kDodgeTolerance >= kDodgeCharge; }

void CreatureObj_SF::UseDodgeEnergy() { m_DodgeEnergy = std::max(m_DodgeEnergy - kDodgeCharge, 0.0f); }

bool CreatureObj_SF::Dodge(int32_t dir)
{
    const bool client = g_GameCtrl && g_GameCtrl->IsNetworkClient();
    if (!client && !HasDodgeEnergy()) {
        PlaySound("NoMana", 0);
        return false;
    }
    UseDodgeEnergy();
    ResetActionTime();
    return CreatureObj::Dodge(dir);
}

// The difference to the target in quarter turns picks the direction: 0 ahead (2), a quarter
// left (1) or right (0), anything further back (3). The creature then turns by what is left, so
// that its chosen direction points straight at the target. A network client leaves the dodge
// to its server, which hears of it with the player's commands.
bool CreatureObj_SF::DodgeTowards(float dx, float dy)
{
    if (g_GameCtrl && g_GameCtrl->IsNetworkClient())
        return true;
    const float facing = GetAngle();
    const float diff = Angle::Diff(facing, std::atan2(dy, dx));
    const int32_t quarters = int32_t(std::round(diff * kQuartersPerRadian));
    int32_t dir = 3;
    float offset = diff < 0.0f ? -kQuarterTurn * 2.0f : kQuarterTurn * 2.0f;
    if (quarters == 0 || quarters == 1 || quarters == -1) {
        dir = quarters == 0 ? 2 : quarters == 1 ? 1 : 0;
        offset = float(quarters) * kQuarterTurn;
    }
    const bool dodged = Dodge(dir);
    SetAngleImmediate(facing + diff - offset);
    return dodged;
}

bool CreatureObj_SF::SpendAdvancePoints(int32_t cost) { return SpendPoints(m_AdvancePoints, cost); }

bool CreatureObj_SF::SpendSkillPoints(int32_t cost) { return SpendPoints(m_SkillPoints, cost); }

void CreatureObj_SF::AddPoints(int32_t advance, int32_t skill)
{
    m_AdvancePoints += advance;
    m_SkillPoints += skill;
}

void CreatureObj_SF::SetPoints(int32_t advance, int32_t skill)
{
    m_AdvancePoints = advance;
    m_SkillPoints = skill;
}

bool CreatureObj_SF::BuyResource(int32_t resource)
{
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (!ctrl || !SpendAdvancePoints(ctrl->GetRaiseCost(resource)))
        return false;
    const float gain = std::round(ctrl->GetAdvanceGain(resource));  // halves away from zero
    switch (resource) {
    case 0:
        m_BaseValues.maxHealth += gain;
        SetHealth(m_Health + gain);
        break;
    case 1:
        m_BaseValues.maxMana += gain;
        m_Mana += gain;
        break;
    default:
        m_BaseValues.maxShield += gain;
        m_ShieldEnergy += gain;
        break;
    }
    UpdateValues(false);
    return true;
}

void CreatureObj_SF::OnLevelGain(int32_t levels)
{
    if (!IsPlayerCharacter())
        return;
    SetHealth(std::max(m_Health, m_Values.maxHealth));
    m_Mana = std::max(m_Mana, m_Values.maxMana);
    auto* ctrl = dynamic_cast<SciFiGameCtrl*>(g_GameCtrl);
    if (!ctrl)
        return;
    AddPoints(ctrl->GetAdvancePointsPerLevel() * levels, ctrl->GetSkillPointsPerLevel() * levels);
    if (WorldCtrl* world = m_World ? m_World : ctrl->GetGameWorld())
        world->ShowTextMessageByKey(kLevelGainMessageTime, wString(u"Levelgain"));
    ctrl->SaveCharacterForMultiplayer();
}

void CreatureObj_SF::FrameUpdate(float dt)
{
    CreatureObj::FrameUpdate(dt);
    SmartPtr<WorldElem> alive(this);
    ApplyDamageOverTime(dt);
    if (alive.Get())
        Regenerate(dt);
}

// The pending refills are paid out first, each against its resource as it stood before this
// frame's regeneration; then each resource regenerates by its absolute rate and its share of
// the maximum per second.
void CreatureObj_SF::Regenerate(float dt)
{
    m_TimeSinceAction += dt;
    if (IsDead())
        return;
    const CreatureCombatValues& v = m_Values;
    const float manaPortion = TakeRefillPortion(m_ManaRefillLeft, m_ManaRefillRate, m_Mana, v.maxMana, dt);
    const float healthPortion =
        TakeRefillPortion(m_HealthRefillLeft, m_HealthRefillRate, m_Health, v.maxHealth, dt);
    const float shieldPortion =
        TakeRefillPortion(m_ShieldRefill, m_ShieldRefillRate, m_ShieldEnergy, v.maxShield, dt);

    m_Mana = RaisedTo(m_Mana, (v.manaRegenRel * v.maxMana + v.manaRegenAbs) * dt + manaPortion, v.maxMana);

    const float healthFactor = IsPlayerCharacter() ? g_Difficulty.heroHealthRegeneration : 1.0f;
    if (m_Health < v.maxHealth) {
        const float gain = (v.healthRegenRel * v.maxHealth + v.healthRegenAbs) * healthFactor * dt + healthPortion;
        SetHealth(RaisedTo(m_Health, gain, v.maxHealth));
    }

    // Soon after an action the shield recovers only by what equipment and skills allow.
    float shieldGain = (v.shieldRegenRel * v.maxShield + v.shieldRegenAbs) * dt;
    if (m_TimeSinceAction <= g_SciFiRules.shieldRecoverNoActionTime)
        shieldGain *= m_Modifiers.shieldRegenInAction;
    m_ShieldEnergy = RaisedTo(m_ShieldEnergy, shieldPortion + shieldGain, v.maxShield);

    m_DodgeEnergy = RaisedTo(m_DodgeEnergy, v.dodgeRefill * dt, v.maxDodge);
}
