// SkillTreeEntry: a skill's defaults, whether a creature may learn it, the level of its chain in
// use, its damage factor scripts and the update script's timer.
#include "scifi/skills/SkillTreeEntry.h"

#include "base/Math.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "script/ScriptValue.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"

namespace {

// An integer or a float answer is the factor; any other answer leaves the damage as it is.
float FactorScript(GameCtrl& ctrl, const String& script, const char* label, WorldElem* object, WorldElem* argument)
{
    if (script.IsEmpty())
        return 1.0f;
    // The argument reaches the script as object variable 1, as it was again after the run.
    const int32_t saved = ctrl.GetObjScriptVariable(1);
    ctrl.SetObjScriptVariable(1, argument ? argument->m_ObjID : -1);
    ScriptValue result;
    try {
        ctrl.CallScript(result, script, 1, label, 1, object, 255);
    } catch (...) {
        ctrl.SetObjScriptVariable(1, saved);
        throw;
    }
    ctrl.SetObjScriptVariable(1, saved);
    if (result.m_Type == kScriptInt)
        return float(result.m_Integer);
    if (result.m_Type == kScriptFloat)
        return float(result.m_Number);
    return 1.0f;
}

}  // namespace

void SkillTreeEntry::Reset()
{
    id = -1;
    requiredLevel = 0;
    advanceCost = 1;
    weaponStrategy = 0;
    for (int32_t i = 0; i < kRequiredSkills; i++) {
        requiredRecords[i] = nullptr;
        disallowedSkills[i].Release();
    }
    for (DynaMem<VisualEffectIntern, 4>& list : visualEffects)
        list.DeleteAll();
    updateTimer = 0.0f;
    learned = learnedConfigured = false;
    updateScriptInterval = 1.0f;
    quickSlot = -1;
    visualEffectInUse = 0;
    strategy = nullptr;
    kind = kKindNone;
    highlightDeadMonsters = false;
    targetMode = 1;
    targetFilter = 5;
    damageDealFactorScript.Release();
    damageReceiveFactorScript.Release();
    weaponDamageFactorScript.Release();
    updateScript.Release();
    nextLevelSkill.Release();
    infoScript.Release();
    skillLevel = 1;
    noSkill = false;
}

// A skill at the end of its chain cannot be learned by this test: it asks for a next level.
bool SkillTreeEntry::CanLearn(SciFiGameCtrl& ctrl, CreatureObj* creature, bool* requirementsMet)
{
    if (requirementsMet)
        *requirementsMet = false;
    if (learned && nextLevelSkill.IsEmpty())
        return false;
    if (!ctrl.FindSkill(name))
        return false;
    const SkillTreeEntry* next = ctrl.FindSkill(nextLevelSkill);
    if (!next || next->skillLevel > 5)
        return false;

    int32_t present = 0;
    int32_t learnedCount = 0;
    for (const SkillTreeEntry* required : requiredRecords) {
        if (!required)
            continue;
        present++;
        learnedCount += required->learned ? 1 : 0;
    }
    const bool requiredMet = requireLogic == 2 ? learnedCount > 0 : learnedCount == present;
    if (present > 0 && !requiredMet)
        return false;

    for (const String& disallowed : disallowedSkills) {
        if (disallowed.IsEmpty())
            continue;
        if (const SkillTreeEntry* other = ctrl.FindSkill(disallowed); other && other->learned)
            return false;
    }
    if (!creature || creature->GetLevel() < requiredLevel)
        return false;
    if (requirementsMet)
        *requirementsMet = true;
    const auto* character = dynamic_cast<const CreatureObj_SF*>(creature);
    return advanceCost <= (character ? character->GetSkillPoints() : 0);
}

SkillTreeEntry* SkillTreeEntry::ResolveNextLevel(SciFiGameCtrl& ctrl, bool countLevels, bool useMainCharacter)
{
    int32_t levels = 0;
    if (useMainCharacter)
        if (auto* hero = dynamic_cast<CreatureObj_SF*>(ctrl.GetMainChar()))
            levels = hero->GetSkillUpgrades(id);
    SkillTreeEntry* current = this;
    // The load refused longer chains and loops; the bound keeps a frame safe all the same.
    for (int32_t step = 1; step <= kMaxChainSteps && !current->nextLevelSkill.IsEmpty(); step++) {
        if (current->nextLevelSkill == current->name)
            break;
        SkillTreeEntry* next = ctrl.FindSkill(current->nextLevelSkill);
        if (!next)
            break;
        if (countLevels && !next->learned && --levels < 0)
            break;
        current = next;
    }
    return current;
}

float SkillTreeEntry::GetDamageDealFactor(GameCtrl& ctrl, WorldElem* object, WorldElem* creature)
{
    return FactorScript(ctrl, damageDealFactorScript, "DamageDealFactorScript", object, creature);
}

float SkillTreeEntry::GetDamageReceiveFactor(GameCtrl& ctrl, WorldElem* object, WorldElem* creature)
{
    return FactorScript(ctrl, damageReceiveFactorScript, "DamageReceiveFactorScript", object, creature);
}

float SkillTreeEntry::GetWeaponDamageFactor(GameCtrl& ctrl, WorldElem* object)
{
    return FactorScript(ctrl, weaponDamageFactorScript, "WeaponDamageFactorScript", object, object);
}

void SkillTreeEntry::RunUpdate(GameCtrl& ctrl, CreatureObj* creature, float dt)
{
    if (!(dt > 0.0f))
        return;
    updateTimer -= dt;
    if (updateTimer >= 0.0f)
        return;
    updateTimer = Math::WrapFloat(updateTimer, updateScriptInterval);
    if (updateScript.IsEmpty())
        return;
    ScriptValue result;
    ctrl.CallScript(result, updateScript, 1, "Skill UpdateScript", 1, creature, 255);
}
