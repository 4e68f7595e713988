// SciFiClickableElementCriteriaValidator: the pick rules of the pointer and of skill targets.
#include "scifi/gui/SciFiClickableElementCriteriaValidator.h"

#include "game/objects/CreatureObj.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/skills/SkillTreeEntry.h"

bool SciFiClickableElementCriteriaValidator::MayMainCharacterAttack(WorldElem& element)
{
    CreatureObj* hero = m_Ctrl.GetMainChar();
    if (!hero)
        return false;
    if (element.m_TypeCode == ElemType::kCreature && element.IsDead())
        return false;
    return hero->IsEnemyOf(&element, true) == 1;
}

bool SciFiClickableElementCriteriaValidator::Accepts(WorldElem& element)
{
    if (element.m_TypeCode != ElemType::kCreature && element.m_TypeCode != ElemType::kItem)
        return false;
    if (m_Ctrl.GetViewMode() == 3 && (!element.IsInActiveCell() || element.m_Visibility < kMinVisibility))
        return false;
    if (static_cast<GameNetworkNode&>(m_Ctrl).IsPlayerCharacter(&element))  // asked through the node: the server keeps its override private
        return m_Ctrl.CanRevive(&element);
    if (element.m_TypeCode == ElemType::kCreature)
        return AcceptsCreature(element);
    if (element.m_TypeCode == ElemType::kItem && element.m_ObjValues.pickUp != 0)
        return (m_Flags & (MayMainCharacterAttack(element) ? kAttackable : kNotAttackable)) != 0;
    if (!element.IsUsable())
        return (m_Flags & kOtherElements) != 0;
    return true;
}

bool SciFiClickableElementCriteriaValidator::AcceptsCreature(WorldElem& creature)
{
    const bool dead = creature.IsDead();
    if (!(m_Flags & (kLiving | kDead)) || creature.GetParty() < 0 || (!dead && !(m_Flags & kLiving)) ||
        (dead && !(m_Flags & kDead)))
        return false;
    if (m_Flags & (MayMainCharacterAttack(creature) ? kAttackable : kNotAttackable))
        return true;
    CreatureObj* hero = m_Ctrl.GetMainChar();
    if (dead && hero) {
        const SkillTreeEntry* skill = m_Ctrl.GetMainCharSkill(1, false, false);
        auto* body = dynamic_cast<CreatureObj*>(&creature);
        // The group test: a fallen body of the hero's own group (its mob record) is no work for
        // the skill.
        const bool ownGroup = body && body->m_MobData.Get() && body->m_MobData.Get() == hero->m_MobData.Get();
        if (skill && skill->highlightDeadMonsters && body && !ownGroup)
            return true;
    }
    return creature.m_UsesLeft > 0;
}
