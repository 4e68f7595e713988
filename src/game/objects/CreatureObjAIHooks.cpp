// CreatureObj: what the AI strategy runner reads and keeps running on the creature: its strategy,
// the per-frame AI timers with the randomised reassessment and the current intention record.
#include "game/objects/CreatureObj.h"

#include "base/Random.h"
#include "world/GameCtrlInterface.h"
#include "world/WorldCtrl.h"

#include <cmath>

void CreatureObj::SetStrategy(const String& name, bool storeAsDefault)
{
    if (storeAsDefault)
        m_DefaultStrategyName = name;
    if (name.IsEmpty()) {
        SetDecision(nullptr);
        return;
    }
    WorldCtrl* world = m_World ? m_World : (g_GameCtrl ? g_GameCtrl->GetGameWorld() : nullptr);
    if (!world)
        Error("Strategy entry '%s' not found", name.c_str());
    SetDecision(world->FindStrategyEntry(name.c_str(), true));
}

void CreatureObj::UpdateAITimers(float dt)
{
    if (m_ActionState.movePriority < 1)
        m_IdlePriorityTime += dt;
    CreatureStrategyData& strategy = m_Strategy;
    DynaMem<CreatureTimedValue, 4>& timed = strategy.timedValues;
    for (int32_t pos = timed.GetSize() - 1; pos >= 0; pos--) {
        const int32_t slot = timed.GetUsedSlot(pos);
        CreatureTimedValue* entry = timed.GetBySlot(slot);
        if (!entry)
            continue;
        entry->time -= dt;
        if (entry->time <= 0.0f) {
            // The intention on top may lead to a state of its own once the entry has run out.
            const KI_ActionData* top = GetTopAction();
            if (top && top->aiState >= 0 && top->aiState != m_AIState)
                SetAIState(top->aiState);
            timed.Delete(slot);
            strategy.strategyTimer = 0.0f;
            m_ReassessFlag = 1;
        }
    }
    strategy.RecomputeTimedLevel();
    strategy.strategyTimer += dt;

    float r = strategy.value;
    // A creature nobody watches and that has nothing to do decides seldom.
    if (!IsMainCharacter() && !m_TargetElem.Get() && !IsInActiveCell() && r < kOffScreenReassess)
        r = kOffScreenReassess;
    if (r > 0.0f && strategy.strategyTimer > r) {
        const float t = strategy.strategyTimer - r;
        const double p = (1.0 - std::exp(-double(t) / double(r))) * double(dt);
        if (Random::Float01() < p) {
            strategy.strategyTimer = 0.0f;
            m_ReassessFlag = 1;
        }
    }
}

void CreatureObj::GetCurrentActionData(KI_ActionData& out)
{
    const int32_t size = m_AIActions.GetSize();
    if (size > 0) {
        if (KI_ActionData* top = m_AIActions.GetBySlot(m_AIActions.GetUsedSlot(size - 1))) {
            out = *top;
            return;
        }
    }
    out.task = 0;
    out.target = nullptr;
    out.values[0] = out.values[1] = 0.0f;
}
