// CreatureObj: the cycle chooser that turns a request into a cycle the set has (variants by
// weapon class, health and chance, fall-backs, speeds that match the feet to the movement),
// death and repeated requests, speeds by movement mode and direction, the turn cycle's speed,
// the cycle set binding and the named position elements.
#include "game/objects/CreatureObj.h"

#include "base/GameOptions.h"
#include "base/Random.h"
#include "game/objects/AniCycleSet.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

namespace {

constexpr int32_t kFirstAttack = 192;
constexpr int32_t kLastAttack = 255;
constexpr int32_t kAttackVariantStep = 64;
constexpr int32_t kFirstExtraDeath = 448;
constexpr int32_t kLastCycle = 450;
constexpr int32_t kWalk = 128;
constexpr int32_t kDie = 129;
constexpr int32_t kBackWalk = 131;
constexpr int32_t kWeaponWalkBase = 154;  // + weapon class
constexpr int32_t kRequestRepeats = 3;

// The stored bored values: healthy, wounded, badly wounded, special and the one more, each for
// weapon classes 0 and 1 side by side.
enum BoredValue { kBoredHealthy, kBoredWounded, kBoredBadlyWounded, kBoredSpecial };

// A speed of the creature's movement mode (normal: modes 0 and above, run: mode -1) times the
// movement multiplier. The main character runs at its normal forward speed in view mode 1.
float SpeedOfMode(CreatureObj& creature, float normal, float run)
{
    const CreatureCycleValues& c = creature.m_Cycle;
    float speed = normal;
    if (creature.m_MovementMode == -2)
        speed = c.slowSpeed;
    else if (creature.m_MovementMode == -1)
        speed = creature.IsMainCharacter() && g_GameCtrl && g_GameCtrl->GetViewMode() == 1 ? c.forwardSpeed : run;
    return speed * creature.GetSpeedFactor();
}

}  // namespace

bool CreatureObj::SetAniCycle(int32_t number, int32_t type, bool backwards, bool force)
{
    const int32_t w = GetWeaponClass();
    const float r = IsMainCharacter() ? 1.0f : 0.9f + 0.2f * (float(uint32_t(GetMyRnd()) & 0x7FFFFFFFu) / 2147483648.0f);
    const bool same = type == 0 && !force && number == m_CycleNumbers[0] && !m_Cycle.movementChanged;
    m_Cycle.movementChanged = 0;
    // A request of data or a script with an unknown number or type is reported as an error and
    // dropped: it must not end the frame of every creature.
    auto drop = [this](const char* text, int32_t value) {
        try {
            Error(text, value);
        } catch (const ErrorMsg&) {
        }
        return false;
    };

    if (type != 0 && type != 1)
        return drop("Invalid CycleType", type);
    AC_FadeProperties& player = m_CyclePlayers[type];
    if (type == 0)
        m_CycleNumbers[0] = number;
    if (force)
        player.cycleNumber = AC_FadeProperties::kNoCycle;

    const AniCycleSet* set = m_AniCycleSet;
    auto hasFile = [&](int32_t n) {
        return set && n >= 0 && n <= kLastCycle && !const_cast<AniCycleSet*>(set)->GetCycle(n).m_FileName.IsEmpty();
    };
    auto play = [&](int32_t n, float speed, bool reverse = false) {
        SetCycleOfType(type, n, speed, false, 0.0f, reverse);
        return true;
    };
    auto replace = [&](int32_t n) {
        SetAniCycle(n, type, backwards, false);
        return false;
    };

    if (number >= kFirstAttack && number <= kLastAttack) {
        const int32_t attack = number - kFirstAttack;
        const int32_t n = set ? set->m_AttackVariantCount[attack] : 0;
        if (n > 0) {
            const int32_t cycle = number + kAttackVariantStep * int32_t(Random::RandomInt(uint32_t(n - 1)));
            if (cycle < kFirstExtraDeath && hasFile(cycle))
                return play(cycle, 1.0f);
        }
        Warning("Invalid attack cycle set: %i", attack);
        SetCycleOfType(type, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        return false;
    }

    if (number >= 0 && number < AniCycleSet::kBoredCycles) {
        if (!IsDead()) {
            const int32_t wc = w >= 1 ? 1 : 0;  // higher weapon classes idle as class 1
            auto bored = [&](int32_t value) { return int16_t(m_CycleWords[value * 2 + wc]); };
            if (IsInConversation() && bored(kBoredSpecial) >= 1) {
                number = bored(kBoredSpecial) - 1;
            } else {
                const float maxHealth = GetMaxHealth();
                const int16_t value = m_Health > 0.5f * maxHealth    ? bored(kBoredHealthy)
                                      : m_Health > 0.25f * maxHealth ? bored(kBoredWounded)
                                                                     : bored(kBoredBadlyWounded);
                if (value < 0) {
                    const int32_t count = set ? set->m_BoredCount : 0;
                    number = count > 0 ? int32_t(Random::RangeUInt(0, uint32_t(count - 1))) : 0;
                } else {
                    number = value - 1;
                }
            }
        }
        if (same && number == m_CycleNumbers[1])
            return true;
        if (type == 0)
            m_CycleNumbers[1] = number;
        if (!set || !set->IsCycleAvailable(number)) {
            Warning("Invalid bored cycle requested: %i", number);
            number = 0;
        }
        return play(number, (1.0f - m_SlowAmount) * m_Cycle.aniSpeedFactor);
    }

    if (number > kLastCycle || number < AC_FadeProperties::kNoCycle)
        return drop("Unknown anicycle: %i", number);
    if (number == kDie || number >= kFirstExtraDeath)
        return play(number, r * r * r);
    if (number == AC_FadeProperties::kNoCycle) {
        SetCycleOfType(type, AC_FadeProperties::kNoCycle, 1.0f, false, 0.0f, false);
        return true;
    }

    const float m = GetSpeedFactor();
    const float s = m * m_Cycle.walkAniFactor;
    const float wk = m_Cycle.walkAniFactor;
    const float fwd = GetForwardSpeed();
    // A speed relative to the forward one; no forward speed leaves it as it is.
    auto ratio = [&](float speed) { return fwd != 0.0f ? speed / fwd : 1.0f; };
    const int32_t weaponWalk = kWeaponWalkBase + w;
    const bool hasWeaponWalk = w >= 1 && hasFile(weaponWalk);
    auto turnSpeed = [&]() {
        if (set && set->m_TurnTotalAngle > 0.0f)
            player.SetSpeed(GetTurnCycleSpeed());
        return true;
    };

    switch (number) {
    case 128:
    case 148:
    case 155:
    case 164:
        if (same)
            return true;
        if (m_MovementMode == -2) {
            const bool slow = set && const_cast<AniCycleSet*>(set)->GetCycle(164).HasData();
            return play(slow ? 164 : kWalk, number == 164 ? wk : s);
        }
        if (m_MovementMode == -1)
            return play(148, s);
        return play(hasWeaponWalk ? weaponWalk : kWalk, s);
    case 130:
    case 136:
    case 154: {
        if (number == 154 && hasFile(154))
            return play(154, 1.0f);
        const int32_t hit = w >= 1 && hasFile(136) ? 136 : 130;
        SetCycleOfType(type, hit, 1.0f, m_Cycle.hitRestart != 0, m_Cycle.hitLength, false);
        m_Cycle.hitRestart = 0;
        return true;
    }
    case 131:
    case 140: {
        if (same)
            return true;
        const float back = GetBackwardSpeed();
        if (m_MovementMode == -1)
            return hasFile(kBackWalk) ? play(kBackWalk, s * ratio(back)) : play(kWalk, s * ratio(back), true);
        if (w == 0)
            return hasFile(kBackWalk) ? play(kBackWalk, s) : play(kWalk, s * ratio(back), true);
        if (hasFile(140))
            return play(140, s);
        if (hasWeaponWalk)
            return play(weaponWalk, s * ratio(back), true);
        if (hasFile(kBackWalk))
            return play(kBackWalk, s);
        return play(kWalk, s * ratio(back), true);
    }
    case 132:
    case 137:
    case 133:
    case 138:
    case 156:
    case 158:
    case 157:
    case 159: {
        if (same)
            return true;
        // The unarmed cycle of the side (leftwalk, rightwalk, forwardLeft, forwardRight) and
        // its weapon form, five above for the straight ones and two for the diagonals.
        const bool diagonal = number >= 156;
        const int32_t unarmed = diagonal ? (number >= 158 ? number - 2 : number)
                                         : (number >= 137 ? number - 5 : number);
        const int32_t armed = unarmed + (diagonal ? 2 : 5);
        const float side = GetSideSpeed();
        if (w == 0)
            return hasFile(unarmed) ? play(unarmed, s) : play(kWalk, s * ratio(side));
        if (hasFile(armed))
            return play(armed, s);
        return play(hasWeaponWalk ? weaponWalk : kWalk, wk * ratio(side));
    }
    case 160:
    case 162:
    case 161:
    case 163: {
        if (same)
            return true;
        const bool left = number == 160 || number == 162;
        const int32_t unarmed = left ? 160 : 161;
        const int32_t forwardOther = left ? 157 : 156;  // the other side's forward diagonal, played back
        if (w == 0) {
            if (hasFile(unarmed))
                return play(unarmed, s);
            if (hasFile(forwardOther))
                return play(forwardOther, s, true);
            return replace(kBackWalk);
        }
        if (hasFile(unarmed + 2))
            return play(unarmed + 2, s);
        if (hasFile(forwardOther + 2))
            return play(forwardOther + 2, s, true);
        return replace(kBackWalk);
    }
    case 134:
    case 139:
    case 165:
    case 166: {
        if (same)
            return turnSpeed();
        const bool right = number >= 165;
        const int32_t candidates[2][4] = {
            {right ? 165 : 134, right ? 134 : kWalk, kWalk, kWalk},
            {right ? 166 : 139, right ? 139 : weaponWalk, right ? weaponWalk : kWalk, kWalk},
        };
        int32_t chosen = kWalk;
        for (int32_t candidate : candidates[w >= 1 ? 1 : 0]) {
            if (hasFile(candidate)) {
                chosen = candidate;
                break;
            }
        }
        play(chosen, s);
        return turnSpeed();
    }
    case 141: {
        const int32_t draw = hasFile(141) ? 141 : 0;
        SetCycleOfType(type, draw, 1.0f - m_SlowAmount, false, 0.0f, backwards);
        if (backwards)
            player.time = player.GetLength();  // put away: from its end
        return true;
    }
    case 142: {
        const float speed = (1.0f - m_SlowAmount) * r;
        if (w >= 1 && hasFile(135))
            return play(135, speed);
        if (hasFile(142))
            return play(142, speed);
        return replace(0);
    }
    case 143:
        return play(hasFile(143) ? 143 : 0, GetAnimSpeedFactor());
    case 144:
    case 145:
    case 146:
    case 147:
        if (hasFile(number))
            return play(number, m);
        Warning("Invalid jump cycle set: %i", number);
        return false;
    case 149:
    case 150:
    case 151:
    case 152:
        if (hasFile(number))
            return play(number, m);
        Warning("Invalid dodge cycle set: %i", number);
        return false;
    case 153:
        if (hasFile(153))
            return play(153, r);
        return replace(0);
    default:
        return drop("Unknown anicycle: %i", number);
    }
}

void CreatureObj::PlayDeathCycle()
{
    int32_t number = kDie;
    if (m_Cycle.deathCycle > 0)
        number = m_Cycle.deathCycle - 1;
    else if (m_Cycle.deathVariant > 0)
        number = kFirstExtraDeath - 1 + m_Cycle.deathVariant;
    SetAniCycle(number, 0, false, false);
}

bool CreatureObj::RequestCycleRepeated(int32_t number)
{
    if (!IsAIControlled())
        SetAniCycle(number, 0, false, false);
    if (number != m_Cycle.repeatedCycle) {
        m_Cycle.repeatedCycle = number;
        m_Cycle.repeatCount = 0;
    }
    if (m_Cycle.repeatCount >= kRequestRepeats) {
        SetAniCycle(number, 0, false, false);
        return true;
    }
    m_Cycle.repeatCount++;
    return false;
}

float CreatureObj::GetForwardSpeed() { return SpeedOfMode(*this, m_Cycle.forwardSpeed, m_Cycle.runForwardSpeed); }

float CreatureObj::GetSideSpeed() { return SpeedOfMode(*this, m_Cycle.sideSpeed, m_Cycle.runSideSpeed); }

float CreatureObj::GetBackwardSpeed() { return SpeedOfMode(*this, m_Cycle.backwardSpeed, m_Cycle.runBackwardSpeed); }

float CreatureObj::GetSpeedInDirection(float x, float y, float dt)
{
    const float len = std::sqrt(x * x + y * y);
    if (len == 0.0f)
        return 0.0f;
    x /= len;
    y /= len;
    const float angle = GetAngle();
    const float p = x * std::cos(angle) + y * std::sin(angle);
    const float along = p > 0.0f ? GetForwardSpeed() : GetBackwardSpeed();
    const float side = GetSideSpeed();
    const float denominator = p * p * (side * side - along * along) + along * along;
    // No forward speed and a move straight sideways: no ellipse to speak of.
    const float v = denominator != 0.0f ? std::sqrt(side * side * along * along / denominator) : 0.0f;
    float current = m_VelocityX * x + m_VelocityY * y;
    if (current < 0.0f)
        current = 0.0f;
    const float accel = m_Cycle.acceleration;
    if (dt > 0.0f && accel > 0.0f && accel < (v - current) / dt)
        return current + accel * dt;
    return v;
}

float CreatureObj::GetTurnCycleSpeed()
{
    const float reference = m_AniCycleSet ? m_AniCycleSet->m_TurnTotalAngle : 0.0f;
    float speed = 0.01f;
    if (reference > 0.0f)
        speed = m_CyclePlayers[0].GetLength() * std::fabs(m_Cycle.turningSpeed) / reference;
    return speed < 0.01f ? 0.01f : speed;
}

void CreatureObj::BindCycleSet(AniCycleSet* set)
{
    m_AniCycleSet = set;
    for (AC_FadeProperties& player : m_CyclePlayers)
        player.cycleSet = set;
    m_CyclePlayers[0].interpolationTimeFactor = g_Options.cycleIntTimeLB;
    m_CyclePlayers[1].interpolationTimeFactor = g_Options.cycleIntTimeUB;
}

void CreatureObj::ResolvePositionElements()
{
    WorldCtrl* world = m_World ? m_World : (g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr);
    for (int32_t i = 0; i < kElemRefs; i++) {
        String& name = m_ElemNames[i];
        if (name.IsEmpty())
            continue;
        WorldElem* found = world ? world->FindObjectByWorldID(name.c_str(), nullptr) : nullptr;
        m_ElemRefs[i] = found;
        if (!found)
            Warning("Could not find position element '%s'", name.c_str());
        name = String();
    }
}
