// SkillTreeEntry: the update script's timer.
#include "scifi/skills/SkillTreeEntry.h"

#include "base/Math.h"
#include "game/ctrl/GameCtrl.h"
#include "game/objects/CreatureObj.h"
#include "script/ScriptValue.h"

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
