// CreatureObj: the strategy record's operations, the lock list with the force priorities, timed
// AI values, and the attack script of an action.
#include "game/objects/CreatureObj.h"

#include "world/ActionAttack.h"
#include "world/GameCtrlInterface.h"
#include "world/KI_Strategy.h"
#include "world/WorldCtrl.h"

#include <algorithm>

void CreatureObj::ResetCurrentAction()
{
    m_Strategy.strategyTimer = 0.0f;
    m_Strategy.timedLevel = -1;
    m_Strategy.timedValues.DeleteAll();
    m_AIActions.DeleteAll();
}

void CreatureObj::AddForcedAction(int32_t priority, float time, uint32_t lockFlags)
{
    if (time <= 0.0f)
        return;
    CreatureForcedAction& lock = *m_ActionState.forcedActions.GetBySlot(m_ActionState.forcedActions.Add());
    lock.priority = priority;
    lock.lockFlags = lockFlags;
    lock.time = time;
    RecomputeForcePriorities();
}

void CreatureObj::RemoveForcedActions(int32_t priority)
{
    DynaMem<CreatureForcedAction, 4>& locks = m_ActionState.forcedActions;
    for (int32_t slot = locks.NextUsedSlot(-1); slot >= 0; slot = locks.NextUsedSlot(slot)) {
        const CreatureForcedAction* lock = locks.GetBySlot(slot);
        if (lock && lock->priority <= priority)
            locks.Delete(slot);
    }
    RecomputeForcePriorities();
}

void CreatureObj::RecomputeForcePriorities()
{
    CreatureActionState& s = m_ActionState;
    s.movePriority = 0;
    s.actionPriority = 0;
    for (int32_t slot = s.forcedActions.NextUsedSlot(-1); slot >= 0; slot = s.forcedActions.NextUsedSlot(slot)) {
        const CreatureForcedAction* lock = s.forcedActions.GetBySlot(slot);
        if (!lock)
            continue;
        if (lock->lockFlags & CreatureForcedAction::kLocksMovement)
            s.movePriority = std::max(s.movePriority, lock->priority);
        if (lock->lockFlags & CreatureForcedAction::kLocksAction)
            s.actionPriority = std::max(s.actionPriority, lock->priority);
    }
}

void CreatureObj::AddTimedValue(int32_t level, float time)
{
    if (time <= 0.0f)
        return;
    CreatureTimedValue& entry = *m_Strategy.timedValues.GetBySlot(m_Strategy.timedValues.Add());
    entry.level = level;
    entry.time = time;
    RecomputeTimedLevel();
}

void CreatureObj::RunAttackScript(ActionAttack& attack)
{
    SmartPtr<WorldElem> alive(this);
    DealAttackDamage(attack, nullptr);
    if (alive.Get())
        WorldElem::PerformActionAttack(attack);
}

void CreatureObj::CollectActionNames(std::vector<String>& names)
{
    KI_Strategy* strategy = m_Strategy.strategy;
    if (!strategy)
        return;
    for (KI_StratBlock& block : strategy->blocks)
        for (int32_t i = 0; i < block.entries.GetSize(); i++) {
            const KI_StratEntry* entry = block.entries.GetAt(i);
            if (entry->type == KI_StratEntry::kAction && !entry->id.IsEmpty())
                names.push_back(entry->id);
        }
}
