// CreatureObj: the damage of the creature's own attacks and the area they hit, the damage it
// receives and takes, its health changes, its death with the kill experience and the players' log
// line, the collisions of a creature thrown by a blast, and the party a conversion gives.
#include "game/objects/CreatureObj.h"

#include "game/objects/EventObj.h"
#include "game/objects/ai/InputCtrl.h"
#include "world/ActionAttack.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"
#include "world/WorldEvent.h"
#include "world/WorldEventPayloads.h"

#include <cmath>
#include <memory>

namespace {

constexpr float kReportedHealthChange = 0.5f;
constexpr float kBlastPush = 400.0f;
constexpr float kBloodStrengthScale = 0.6666667f;

}  // namespace

int32_t CreatureObj::GetParty()
{
    InfluenceParams converted;
    if (IsInfluenced(kEffectPartyConvert, 0.0f, &converted, false))
        return converted.value;
    return m_Party;
}

float CreatureObj::GetKillExperience()
{
    const float value = m_Stats.expKill;
    return !m_PairTextA.IsEmpty() && g_GameCtrl ? g_GameCtrl->ApplyGameFunction(value, m_PairTextA.c_str(), this)
                                                : value;
}

float CreatureObj::GetDamageExperience()
{
    const float value = m_Stats.expDamage;
    return !m_PairTextB.IsEmpty() && g_GameCtrl ? g_GameCtrl->ApplyGameFunction(value, m_PairTextB.c_str(), this)
                                                : value;
}

DamageValues* CreatureObj::GetAttackDamage(DamageValuesHolder& out, ActionAttack& attack)
{
    out.Set(m_DamageValues ? m_DamageValues->Clone() : nullptr);
    if (out)
        out->ApplyModifiers(attack.modifiers);
    return out.Get();
}

void CreatureObj::FindAttackTargets(const D3DXVECTOR2& origin, const D3DXVECTOR2& direction, float width, float ratio,
                                    std::vector<AreaHit>& out)
{
    if (!m_World)
        return;
    WorldCtrl::ConeQuery query;
    query.startX = origin.x;
    query.startY = origin.y;
    query.dirX = direction.x;
    query.dirY = direction.y;
    query.width = width;
    query.rangeFactor = ratio;
    query.source = this;
    const int32_t count = m_World->FindTargetsInCone(query);
    const WorldCtrl::ObjectListEntry* list = m_World->GetObjectList();
    for (int32_t i = 0; i < count; i++)
        if (list[i].elem)  // walls without an element take no damage
            out.push_back({list[i].elem, list[i].distance});
}

void CreatureObj::DealAttackDamage(ActionAttack& attack, WorldElem* target)
{
    DamageValuesHolder damage(nullptr);
    GetAttackDamageValues(damage, attack, true);
    SmartPtr<WorldElem> alive(this);
    std::vector<int32_t> hits;
    const D3DXVECTOR2 pos = GetPos();
    if (target) {
        hits.push_back(target->m_ObjID);
        if (m_World)
            m_World->DamageObj(target->m_ObjID, damage.Get(), m_ObjID, &pos, nullptr, -2, 0);
    } else {
        const float angle = GetAngle();
        const float c = std::cos(angle);
        const float s = std::sin(angle);
        const D3DXVECTOR2 origin(pos.x + attack.startOffset[0] * c - attack.startOffset[1] * s,
                                 pos.y + attack.startOffset[0] * s + attack.startOffset[1] * c);
        const float length = GetRadius() + attack.reachBonus;
        const float facing = angle + attack.direction;
        const D3DXVECTOR2 direction(std::cos(facing) * length, std::sin(facing) * length);
        const float ratio = attack.reach > 0.0f && length > 0.0f ? attack.reach / length : 1.0f;
        std::vector<AreaHit> found;
        FindAttackTargets(origin, direction, attack.angle, ratio, found);
        std::vector<SmartPtr<WorldElem>> refs(found.size());
        for (size_t i = 0; i < found.size(); i++)
            refs[i] = found[i].elem;
        for (size_t i = 0; i < found.size() && alive.Get(); i++) {
            WorldElem* elem = refs[i].Get();
            if (!elem || elem == this || elem->m_TypeCode == ElemType::kProjectile ||
                elem->m_TypeCode == ElemType::kEffect)
                continue;
            if (auto* event = dynamic_cast<EventObj*>(elem); event && event->m_EventKind != EventObj::kKindActive)
                continue;
            if (auto* creature = dynamic_cast<CreatureObj*>(elem); creature && creature->m_Dying)
                continue;
            const float factor =
                attack.angle <= 0.0f ? 1.0f : 1.0f - attack.fallOff / attack.angle * found[i].distance;
            if (!(factor > 0.0f))
                continue;
            if (attack.serialNumber != 0 && AddActionHit(elem, attack.serialNumber))
                continue;
            std::unique_ptr<DamageValues> scaled(damage ? damage->Clone() : nullptr);
            if (scaled && factor < 1.0f)
                scaled->Scale(factor);
            const int32_t id = elem->m_ObjID;
            elem->OnDamage(scaled.get(), this, -2, nullptr, nullptr, 0, &pos);
            hits.push_back(id);
            elem = refs[i].Get();
            if (!attack.hitAll && elem && alive.Get() && elem->IsEnemyOf(this, true))
                break;
        }
        if (hits.empty())
            return;
    }
    if (!alive.Get())
        return;
    if (m_World)
        m_World->SetHitList(hits);
    if (g_GameCtrl)
        g_GameCtrl->SetHitCount(int32_t(hits.size()));
    if (m_World && !attack.onDamage.IsEmpty())
        m_World->RunScript(attack.onDamage, this, 1, 1, "ATTACK:onDamage", 1, 255);
}

int32_t CreatureObj::OnDamage(DamageValues* damage, WorldElem* attacker, int32_t arg, const D3DXVECTOR2* direction,
                              const char* source, int32_t arg2, const D3DXVECTOR2* position)
{
    (void)direction;
    (void)source;
    (void)arg2;
    SmartPtr<WorldElem> alive(this);
    SmartPtr<WorldElem> attackerRef(attacker);
    ReceiveDamage(damage, attacker, position, arg);
    if (alive.Get())  // the level's "OnDamage" script of the creature still hears of the hit
        OnDamageEvent(damage, attackerRef.Get());
    return 0;
}

HitRecord CreatureObj::ResolveProtection(const DamageValues& damage)
{
    HitRecord hit;
    hit.damage = damage.GetValue();
    hit.knockDownTime = damage.damage[1];
    hit.stunStrength = damage.damage[2];
    hit.stunTime = damage.damage[3];
    hit.slowTime = damage.valueA;
    hit.freezeTime = damage.valueB;
    hit.flag = damage.extraFlag;
    return hit;
}

void CreatureObj::ReceiveDamage(DamageValues* damage, WorldElem* causer, const D3DXVECTOR2* hitPos, int32_t killerID)
{
    if (!damage)
        return;
    std::unique_ptr<DamageValues> copy(damage->Clone());
    if (!copy || !m_Stats.receiveDamage || m_Dying || m_ShieldStrength >= 1.0f || IsInConversation())
        return;
    SmartPtr<WorldElem> causerRef(causer);
    if (causer) {
        if (!causer->IsEnemyOf(this, true)) {
            const float factor = g_GameCtrl ? g_GameCtrl->GetFriendlyFireBetween(this, causer) : 0.0f;
            if (!(factor > 0.0f))
                return;
            copy->Scale(factor);
        }
        if (auto* creature = dynamic_cast<CreatureObj*>(causer))
            creature->ModifyIncomingDamage(copy.get());
    }
    if (!(m_Health > 0.0f) || m_Dead)
        return;
    const D3DXVECTOR2 from = hitPos ? *hitPos : (causerRef.Get() ? causerRef.Get()->GetPos() : GetPos());
    ApplyHit(copy.get(), causerRef.Get(), from, killerID);
}

void CreatureObj::ApplyHit(DamageValues* damage, WorldElem* causer, const D3DXVECTOR2& hitPos, int32_t killerID)
{
    OnHit(ResolveProtection(*damage), hitPos, causer, killerID);
}

void CreatureObj::TakeDamage(float amount, WorldElem* causer, int32_t blocked, int32_t showFlag, int32_t silent,
                             int32_t killerID)
{
    (void)showFlag;
    const float share = GetDamageExperience() * amount;
    const float maximum = GetMaxHealth();
    if (amount >= 1.0f && !blocked && !silent && maximum > 0.0f)
        SpawnBloodEffect((amount / maximum + 0.5f) * kBloodStrengthScale);
    const float before = m_Health;
    m_Health -= amount;
    if (before - m_Health > kReportedHealthChange && g_GameCtrl)
        g_GameCtrl->ReportHealth(this, m_Health);
    if (m_Health <= 0.0f)
        KillWithShare(causer, killerID, share);  // the hit's share goes with the kill, once
    else
        GiveKillExperience(share, killerID, causer);
}

void CreatureObj::AddHealth(float delta)
{
    const float before = m_Health;
    m_Health += delta;
    if (std::fabs(m_Health - before) > kReportedHealthChange && g_GameCtrl)
        g_GameCtrl->ReportHealth(this, m_Health);
    if (m_Health <= 0.0f)
        Kill(nullptr, -2);
}

void CreatureObj::Kill(WorldElem* killer, int32_t killerID)
{
    KillWithShare(killer, killerID, GetDamageExperience() * m_Health);
}

// A creature already dying is not killed again: its kill event and experience are given.
void CreatureObj::KillWithShare(WorldElem* killer, int32_t killerID, float damageShare)
{
    if (IsMainCharacter() && g_GameCtrl && g_GameCtrl->IsNetworkGameServer())
        return;
    if (m_Dying || m_Dead)
        return;
    m_Dying = 1;
    SmartPtr<WorldElem> alive(this);
    SmartPtr<WorldElem> killerRef(killer);
    if (g_GameCtrl) {
        g_GameCtrl->ReportDeath(this, killer, killerID);
        KillEventRecord record;
        record.victim.Set(this);
        record.killer.Set(killer ? killer->GetCreatorOrSelf() : nullptr);
        WorldEvent event;
        record.Write(event);
        g_GameCtrl->AddGameEvent(&event);
    }
    if (!alive.Get())
        return;
    GiveKillExperience(GetKillExperience() + damageShare, killerID, killerRef.Get());
    killer = killerRef.Get();
    if (!alive.Get() || !killer)
        return;
    if (killer->GetCreatorOrSelf()->IsEnemyOf(GetCreatorOrSelf(), true)) {
        if (auto* input = dynamic_cast<InputCtrl*>(killer->GetCreatorOrSelf()->m_InputCtrl))
            input->OnEnemyKilled(this);
        if (!alive.Get() || !killerRef.Get())
            return;
        killer->m_KillCounter = 0;
        killer->m_LastKillTime = GameCtrlInterface::GameTime();
        LogKill(killer);
    }
}

wString CreatureObj::KilledText()
{
    uint8_t found = 0;
    return wString(u"|Cada68d") + g_GameCtrl->GetGuiDBText("logmsg", "killed", &found) + wString(u" |C8cd995") +
           GetDisplayName();
}

void CreatureObj::AddKillLogMessage(WorldElem* killer, int32_t code)
{
    (void)code;  // how the kill was reported; a kill the server reports has no killer here
    if (killer) {
        LogKill(killer);
        return;
    }
    if (m_World && g_GameCtrl)
        m_World->AddLogMessage(KilledText(), kKillLogTime, false);
}

void CreatureObj::LogKill(WorldElem* killer)
{
    auto* owner = dynamic_cast<CreatureObj*>(killer->GetCreatorOrSelf());
    if (!killer->IsCreature() || !owner || !owner->IsMainCharacter() || !m_World || !g_GameCtrl)
        return;
    const int32_t shown = int32_t(std::round(GetKillExperience() + GetDamageExperience() * GetMaxHealth()));
    uint8_t found = 0;
    wString text = KilledText();
    if (shown >= 1) {
        String number;
        number.Format("%i", shown);
        text = text + wString(u" |Cd6d585(") + wString(number.c_str()) + wString(u" ") +
               g_GameCtrl->GetGuiDBText("logmsg", "exp", &found) + wString(u")");
    }
    m_World->AddLogMessage(text, kKillLogTime, false);
}

void CreatureObj::OnCollisionEvent(WorldElemBase* other, int32_t arg)
{
    SmartPtr<WorldElem> alive(this);
    SceneObject::OnCollisionEvent(other, arg);
    auto* victim = dynamic_cast<CreatureObj*>(other);
    if (!alive.Get() || !victim || victim == this || IsInfluenced(kEffectKnockDown, 0.0f, nullptr, false))
        return;
    InfluenceParams blast;
    if (!IsInfluenced(kEffectBlastKnockDown, 0.0f, &blast, false))
        return;
    WorldElem* causer = blast.target.Get();
    if (causer)
        causer = causer->GetCreatorOrSelf();
    if (!causer || !causer->IsEnemyOf(victim, true))
        causer = this;
    DamageValuesHolder damage;
    if (damage)
        damage->SetValue(blast.x);
    SmartPtr<WorldElem> victimRef(victim);
    victim->ReceiveDamage(damage.Get(), causer, nullptr, -2);
    if (!victimRef.Get() || !alive.Get() || (g_GameCtrl && !g_GameCtrl->AllowsInput()))
        return;
    const D3DXVECTOR2 from = GetPos();
    const D3DXVECTOR2 to = victim->GetPos();
    const float length = std::hypot(to.x - from.x, to.y - from.y);
    if (length > 0.0f)
        victim->AddPush((to.x - from.x) / length * kBlastPush, (to.y - from.y) / length * kBlastPush);
}
