// CreatureObj: influences and hit reactions: adding an influence with its immunities, time
// factors, hit-repeat window, start reactions and locks; removing one; the per-frame countdown
// that rebuilds the aggregated effects and lets the strongest influence drive the movement; the
// knock-down and the reaction to a hit.
#include "game/objects/CreatureObj.h"

#include "game/objects/AniCycleSet.h"
#include "world/ActionEntry.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr uint32_t kLockAll = CreatureForcedAction::kLocksMovement | CreatureForcedAction::kLocksAction;
constexpr float kNoKnockDownCycle = 1.5f;  // the knock-down time without a cycle
constexpr float kFrozenEffectFade = 0.5f;

// The "Immune" flags of the running action record: 1 ignores hits, 2 stuns, 4 knock-downs.
constexpr int32_t kImmuneHit = 1;
constexpr int32_t kImmuneStun = 2;
constexpr int32_t kImmuneKnockDown = 4;

// The movement a driving influence sets, or -1 for a type that drives none.
int32_t MovementOf(int32_t type)
{
    switch (type) {
    case CreatureObj::kEffectStun: return 18;
    case CreatureObj::kEffectHit: return 1;
    case CreatureObj::kEffectHitBlocking: return 24;
    case CreatureObj::kEffectKnockDown: return 19;
    default: return -1;
    }
}

// Deletes every entry of the type; the number deleted.
int32_t DeleteOfType(DynaMem<CreatureInfluence, 4>& list, int32_t type)
{
    int32_t deleted = 0;
    for (int32_t slot = list.NextUsedSlot(-1); slot >= 0; slot = list.NextUsedSlot(slot)) {
        const CreatureInfluence* entry = list.GetBySlot(slot);
        if (entry && entry->type == type) {
            list.Delete(slot);
            deleted++;
        }
    }
    return deleted;
}

}  // namespace

float CreatureObj::KnockDownTimeFactor()
{
    if (!m_AniCycleSet || m_AniCycleSet->m_KnockDownFreePoint <= 0.0f)
        return 1.0f;
    return m_AniCycleSet->m_KnockDownFreePoint;
}

void CreatureObj::AddInfluence(int32_t type, const InfluenceParams& params, int32_t priority, bool extend)
{
    float t = params.y;
    if (!(t > 0.0f) || type == kEffectNone || (m_ImmunityMask & GetEffectImmunityBit(type)))
        return;
    if (type == kEffectFreeze)
        t *= m_FreezeTimeFactor;
    else if (type == kEffectStun)
        t *= m_StunTimeFactor;
    else if (type == kEffectPartyConvert)
        DeleteOfType(m_Influences, kEffectPartyConvert);

    ActionEntry* running = m_ActionState.pActionEntry;
    if (type == kEffectHit && running) {
        const float speed = GetAnimSpeedFactor();  // the action's own clock
        if (speed > 0.0f && m_ActionState.actionTime >= running->hitInterruptPoint * running->duration / speed)
            return;  // past the point where a hit interrupts the action
    }
    if ((type == kEffectHit || type == kEffectHitBlocking) && IsMainCharacter()) {
        // A main character is not hit again and again by one blow reaching it over several frames.
        int32_t count = 0;
        for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
            const CreatureInfluence* entry = m_Influences.GetAt(position);
            if (entry->type != type)
                continue;
            count++;
            if (std::fabs(entry->params.y - t) <= m_HitRepeatWindow * 0.5f)
                return;
        }
        if (count >= 2)
            return;
    }
    if (extend) {
        for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
            CreatureInfluence* entry = m_Influences.GetAt(position);
            if (entry->type == type) {
                entry->params.y = std::max(entry->params.y, t);
                return;
            }
        }
    }

    const int32_t immune = running ? running->immune : 0;
    switch (type) {
    case kEffectStun:
        if (immune & kImmuneStun)
            return;
        RemoveForcedActions(kForcedRemovePriority);
        AddForcedAction(kStunPriority, t, kLockAll);
        if (priority == -1)
            priority = kStunPriority;
        break;
    case kEffectHit:
        if (immune & kImmuneHit)
            return;
        RemoveForcedActions(kForcedRemovePriority);
        AddForcedAction(kHitPriority, t, kLockAll);
        if (priority == -1)
            priority = kHitPriority;
        m_HitMark = 1;
        break;
    case kEffectHitBlocking:
        AddForcedAction(kHitBlockingPriority, t, kLockAll);
        if (priority == -1)
            priority = kHitBlockingPriority;
        m_HitMark = 1;
        break;
    case kEffectKnockDown: {
        if ((immune & kImmuneKnockDown) || !m_AniCycleSet || !m_AniCycleSet->GetCycle(kKnockDownCycleNumber).HasData())
            return;
        RemoveForcedActions(kForcedRemovePriority);
        float lock = KnockDownLength();
        if (IsMainCharacter())
            lock *= KnockDownTimeFactor();
        AddForcedAction(kKnockDownPriority, lock, kLockAll);
        SetAniCycle(kKnockDownCycleNumber, 0, false, true);
        if (priority == -1)
            priority = kKnockDownPriority;
        break;
    }
    case kEffectInvisible:
        FadeOut(s_InvisibleFadeOut);
        break;
    default:
        break;
    }

    CreatureInfluence& added = *m_Influences.GetBySlot(m_Influences.Add());
    added.type = type;
    added.params = params;
    added.params.y = t;
    added.priority = priority;
    if (type == kEffectWeaponPoison || type == kEffectItem)
        OnWeaponEffectChanged(type);
}

void CreatureObj::RemoveInfluence(int32_t type)
{
    if (DeleteOfType(m_Influences, type) == 0)
        return;
    EndInfluenceVisual(type);
    if (type == kEffectWeaponPoison)
        OnWeaponEffectChanged(type);
}

void CreatureObj::UpdateInfluences(float dt)
{
    m_SlowAmount = 0.0f;
    m_SpeedFactor = m_FactorB = m_FactorC = 1.0f;
    const bool wasFrozen = m_Frozen != 0;
    m_Frozen = m_Invisible = m_Weakened = 0;
    m_ShieldStrength = 0.0f;

    int32_t strongestType = kEffectNone;
    int32_t strongestPriority = -1;
    float strongestTime = 0.0f;
    std::vector<int32_t> expiredTypes;
    // The walk goes by slot: an entry deleted during it leaves the others where they are.
    for (int32_t slot = m_Influences.NextUsedSlot(-1); slot >= 0; slot = m_Influences.NextUsedSlot(slot)) {
        CreatureInfluence* entry = m_Influences.GetBySlot(slot);
        if (!entry)
            continue;
        switch (entry->type) {
        case kEffectInvisible: m_Invisible = 1; break;
        case kEffectFreeze: m_Frozen = 1; break;
        case kEffectSlow: m_SlowAmount = s_SlowValue; break;
        case kEffectWeaken: m_Weakened = 1; break;
        case kEffectShield: m_ShieldStrength = std::max(m_ShieldStrength, std::clamp(entry->params.x, 0.0f, 1.0f)); break;
        case kEffectForce: {
            WorldElem* source = entry->params.target.Get();
            if (!source) {
                entry->params.y = -1.0f;  // a pull without its source ends now
                break;
            }
            const D3DXVECTOR2 from = GetPos();
            const D3DXVECTOR2 to = source->GetPos();
            const float length = std::hypot(to.x - from.x, to.y - from.y);
            if (length > 0.0f && m_World && m_World->IsLineClearBetween(this, source)) {
                const float step = entry->params.x * dt / length;
                AddPush((to.x - from.x) * step, (to.y - from.y) * step);
            }
            break;
        }
        default: break;
        }
        entry->params.y -= dt;
        if (entry->params.y > 0.0f) {
            if (entry->priority > -1 && entry->priority > strongestPriority) {
                strongestPriority = entry->priority;
                strongestType = entry->type;
                strongestTime = entry->params.y;
            }
            continue;
        }
        const int32_t type = entry->type;
        m_Influences.Delete(slot);
        if (std::find(expiredTypes.begin(), expiredTypes.end(), type) == expiredTypes.end())
            expiredTypes.push_back(type);
    }

    bool weaponEffectEnded = false;
    for (int32_t type : expiredTypes) {
        if (FindListEntry(m_Influences, type) >= 0)
            continue;  // another entry of the type still holds it
        EndInfluenceVisual(type);
        weaponEffectEnded |= type == kEffectWeaponPoison;
    }
    if (weaponEffectEnded)
        OnWeaponEffectChanged(kEffectWeaponPoison);

    const int32_t movement = MovementOf(strongestType);
    bool drives = movement >= 0;
    if (drives && strongestType == kEffectKnockDown && IsMainCharacter()) {
        // The main character gets up early: the last part of the knock-down leaves it free.
        const float cycle = m_AniCycleSet && m_AniCycleSet->GetCycle(kKnockDownCycleNumber).HasData()
                                ? KnockDownLength()
                                : kNoKnockDownCycle;
        drives = strongestTime > (1.0f - KnockDownTimeFactor()) * cycle;
    }
    if (drives && m_ActionState.moveCode != movement)
        SetMoveType(movement, 0.0f, 0.0f, 0.0f, nullptr, strongestPriority, strongestTime);
    if (strongestType != kEffectNone && strongestPriority >= m_ActionState.actionPriority &&
        m_ActionState.actionCode != kActionNone)
        StopAction();
    if (m_Frozen && !wasFrozen && m_World)
        m_World->FadeOutAttached(this, kFrozenEffectFade);
}

void CreatureObj::ClearInfluences()
{
    const bool any = m_Influences.GetSize() > 0;
    for (int32_t position = 0; position < m_Influences.GetSize(); position++)
        EndInfluenceVisual(m_Influences.GetAt(position)->type);
    m_Influences.DeleteAll();
    if (any)
        OnWeaponEffectChanged(0);
}

void CreatureObj::KnockDown(float time)
{
    InfluenceParams params;
    params.x = m_AniCycleSet && m_AniCycleSet->GetCycle(kKnockDownCycleNumber).HasData() ? KnockDownLength()
                                                                                          : kNoKnockDownCycle;
    params.y = time;
    AddInfluence(kEffectKnockDown, params);
}

bool CreatureObj::IsInfluenced(int32_t type, float minStrength, InfluenceParams* out, bool strongest)
{
    const CreatureInfluence* best = nullptr;
    float bestStrength = -1.0f;
    for (int32_t position = 0; position < m_Influences.GetSize(); position++) {
        const CreatureInfluence* entry = m_Influences.GetAt(position);
        if (entry->type != type || (minStrength > 0.0f && !(entry->params.x > minStrength)))
            continue;
        if (!strongest) {
            if (out)
                *out = entry->params;
            return true;
        }
        if (entry->params.x > bestStrength) {
            bestStrength = entry->params.x;
            best = entry;
        }
    }
    if (!best)
        return false;
    if (out)
        *out = best->params;
    return bestStrength >= 0.0f;
}

void CreatureObj::OnHit(const HitRecord& hit, const D3DXVECTOR2& hitPos, WorldElem* causer, int32_t killerID)
{
    const D3DXVECTOR2 pos = GetPos();
    const float damage = GetTurnFactor(hit.damage, hitPos.x - pos.x, hitPos.y - pos.y);
    const bool blocking = m_ActionState.actionCode == kActionBlock || m_ActionState.moveCode == 24;
    if (damage == 0.0f && blocking) {
        DamageDirect(damage, causer, 1, hit.flag, 0, killerID);
        return;
    }
    SmartPtr<WorldElem> causerRef(causer);
    const ActionEntry* running = m_ActionState.pActionEntry;
    const int32_t immune = running ? running->immune : 0;
    if (hit.stunStrength > 0.0f && hit.stunTime > 0.0f && !(m_ImmunityMask & GetEffectImmunityBit(kEffectStun)) &&
        !(immune & kImmuneStun)) {
        const float t = hit.stunTime * m_StunTimeFactor;
        RemoveForcedActions(kForcedRemovePriority);
        AddForcedAction(kStunPriority, t, kLockAll);
        CreatureInfluence& stun = *m_Influences.GetBySlot(m_Influences.Add());
        stun.type = kEffectStun;
        stun.params.x = hit.stunStrength;
        stun.params.y = t;
        stun.priority = kStunPriority;
    }
    if (hit.slowTime > 0.0f) {
        InfluenceParams slow;
        slow.x = 1.0f;
        slow.y = hit.slowTime;
        AddInfluence(kEffectSlow, slow, -1, true);  // immunity is checked there
    }
    if (hit.freezeTime > 0.0f) {
        InfluenceParams freeze;
        freeze.x = 1.0f;
        freeze.y = hit.freezeTime;
        AddInfluence(kEffectFreeze, freeze);
    }
    if (hit.knockDownTime > 0.0f && (!IsMainCharacter() || !IsInfluenced(kEffectKnockDown, 0.0f, nullptr, false)))
        KnockDown(hit.knockDownTime);
    DamageDirect(damage, causerRef.Get(), 0, hit.flag, 0, killerID);
}
