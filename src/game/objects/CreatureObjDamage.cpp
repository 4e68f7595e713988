// CreatureObj: the damage intake and what goes with it: direct damage from an attacker, the damage
// values the creature deals with its factor and factor scripts, the blood effect, the targets that
// AI entries name by number, the last enemy, the AI's re-assessment, the warning of the creatures
// in the path of an attack, and the creature's "onAction" script.
#include "game/objects/CreatureObj.h"

#include "game/objects/ai/InputCtrl.h"
#include "world/ActionEntry.h"
#include "world/DamageValues.h"
#include "world/GameCtrlInterface.h"
#include "world/InputCtrlBase.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kBloodWithoutModel = 0.33f;  // weaker blood effects need the creature's model
constexpr int32_t kAlwaysReassess = 9999;

}  // namespace

void CreatureObj::DamageDirect(float damage, WorldElem* attacker, int32_t blocked, int32_t showFlag, int32_t silent,
                               int32_t killerID)
{
    if (!(m_Health > 0.0f))
        return;
    SmartPtr<WorldElem> attackerRef(attacker);
    if (!m_LastEnemy.Get() && attacker && attacker->IsCreature() && m_AlertRadius > 0.0f && m_World)
        m_World->AlertEnemy(this, 1, attacker);
    // The player's damage meter counts what its creature dealt.
    if (WorldElem* striker = attackerRef.Get(); striker && damage > 0.0f)
        if (auto* input = dynamic_cast<InputCtrl*>(striker->m_InputCtrl))
            input->OnDamageDealt(damage);
    TakeDamage(damage, attackerRef.Get(), blocked, showFlag, silent, killerID);
}

void CreatureObj::GetDamageValues(DamageValuesHolder& out)
{
    out.Set(m_DamageValues ? m_DamageValues->Clone() : nullptr);
    if (out)
        out->Scale(m_DamageFactor);
}

void CreatureObj::ApplyDamageFactorScript(const String& script, float& factor)
{
    if (script.IsEmpty() || !m_World)
        return;
    m_World->RunScript(script, this, 1, 1, "DamFactorScript", 1, 255);
    const ScriptValue& result = m_World->GetScriptResult();
    switch (result.m_Type) {
    case kScriptVoid: break;
    case kScriptInt: factor *= float(result.m_Integer); break;
    case kScriptFloat: factor *= float(result.m_Number); break;
    default: factor = 0.0f; break;
    }
}

void CreatureObj::ScaleByDamageFactorScript(const String& script, DamageValues* damage)
{
    float factor = 1.0f;
    ApplyDamageFactorScript(script, factor);
    if (damage)
        damage->Scale(factor);
}

void CreatureObj::SpawnBloodEffect(float strength)
{
    const double now = GameCtrlInterface::GameTime();
    const float interval = g_GameCtrl ? g_GameCtrl->GetBloodInterval() : 0.0f;
    if (m_LastBloodTime >= 0.0f && now - double(m_LastBloodTime) < double(interval))
        return;
    if (!GetScene() && strength < kBloodWithoutModel)
        return;
    m_LastBloodTime = float(now);
    if (g_GameCtrl)
        g_GameCtrl->ReportBloodEffect(this, strength);
}

// An id outside the table comes from data or a script: it is reported and names nothing, and
// the frame goes on.
WorldElem* CreatureObj::GetTargetByID(int32_t id)
{
    switch (id) {
    case 1: return m_LastEnemy.Get();
    case 2: return nullptr;
    case 3: return m_Creator.Get();
    case 5: {
        if (!g_GameCtrl)
            return nullptr;
        WorldElem* target = m_LastEnemy.Get();
        auto* creature = dynamic_cast<CreatureObj*>(target);
        if (g_GameCtrl->IsNetworkGameServer() && creature && creature->IsMainCharacter())
            return target;
        return g_GameCtrl->GetMainChar();
    }
    default:
        if (id >= kTargetSlotBase && id < kTargetSlotBase + kElemRefs)
            return m_ElemRefs[id - kTargetSlotBase].Get();
        Warning("internal error: Invalid TargetID");
        return nullptr;
    }
}

void CreatureObj::SetLastEnemy(WorldElem* enemy)
{
    if (m_LastEnemy.Get() == enemy)
        return;
    m_LastEnemy = enemy;
    if (m_InputCtrl)
        m_InputCtrl->UpdateCreatureMob(this);
}

void CreatureObj::ReAssessAI(int32_t level)
{
    const KI_Strategy* decision = m_Strategy.strategy;
    if (level < kAlwaysReassess && decision && decision->reassessPrior > level)
        return;
    m_ReassessFlag = 1;
    m_Strategy.strategyTimer = 0.0f;
}

void CreatureObj::WarnAttackTargets(ActionEntry& entry)
{
    if (!m_World)
        return;
    float reach = 0.0f;
    for (int32_t position = 0; position < entry.attacks.GetSize(); position++) {
        const ActionAttack* attack = entry.attacks.GetAt(position)->Get();
        if (attack)
            reach = std::max(reach, attack->reach > 0.0f ? attack->reach : GetRadius() + attack->reachBonus);
    }
    if (!(reach > 0.0f))
        return;
    const D3DXVECTOR2 from = GetPos();
    const D3DXVECTOR2 facing = GetDirection();
    const int32_t count =
        m_World->GetAllObjectsInLine(from.x, from.y, from.x + facing.x * reach, from.y + facing.y * reach);
    const int32_t* ids = m_World->GetScriptResultList();
    for (int32_t i = 0; i < count; i++) {
        auto* creature = dynamic_cast<CreatureObj*>(m_World->GetObjNoCheck(ids[i], false));
        if (!creature || creature == this || creature->IsDead())
            continue;
        const KI_Strategy* decision = creature->m_Strategy.strategy;
        if (!decision)
            continue;
        const bool reacts = decision->blocks[KI_Strategy::kOnAttacked].entries.GetSize() > 0 ||
                            decision->blocks[KI_Strategy::kDefault].weights[KI_StratBlock::kOnAttacked] != 0.0f;
        if (!reacts)
            continue;
        creature->m_IncomingAttack = 1;
        creature->m_Attacker = this;
        creature->m_Strategy.strategyTimer = 0.0f;
        creature->m_ReassessFlag = 1;
    }
}

void CreatureObj::SetActionHandler(const String& text)
{
    m_ActionScript = text;
    m_OnActionCount = text.IsEmpty() ? 0 : 1;
}

void CreatureObj::OnActionEvent(const char* name)
{
    if (m_OnActionCount <= 0)
        return;
    if (g_GameCtrl)
        g_GameCtrl->SetCurrentActionName(String(name ? name : ""));
    if (m_World && m_OnActionCount > 0 && !m_ActionScript.IsEmpty())
        m_World->RunScript(m_ActionScript, this, 1, 1, "onAction", 1, 255);
}
