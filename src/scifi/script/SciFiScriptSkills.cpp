// SciFiScriptSkills: the game's script built-ins that teach skills, choose the visual effect a
// skill shows and name the main character's selected skills. Scripts count effect indices from
// 1; the skill keeps them from 0.
#include "scifi/script/SciFiScriptFamilies.h"

#include "scifi/skills/SkillTreeEntry.h"

#include <iterator>

namespace {

// The skill of the first argument; an unknown name is warned of and answers null.
SkillTreeEntry* NamedSkill(ScriptCall& call)
{
    SkillTreeEntry* skill = SciFiCtrlOf(call).FindSkill(String(call.Text(0)));
    if (!skill)
        call.Warning("invalid skill specified (%s) in function %s", call.Text(0), call.GetName());
    return skill;
}

// Learned without paying; "all" learns every skill.
void LearnSkill(ScriptCall& call)
{
    if (call.NeedCount(1, 1) && call.NeedString(0))
        SciFiCtrlOf(call).LearnSkill(String(call.Text(0)), false, 0, true);
}

// The clients choose the same effect, whether the server knows the skill or not.
void SetSkillEffectIndex(ScriptCall& call)
{
    if (!call.NeedCount(2, 2) || !call.NeedString(0) || !call.NeedInt(1))
        return;
    if (SkillTreeEntry* skill = NamedSkill(call)) {
        skill->visualEffectInUse = call.Int(1) - 1;
        SciFiGameCtrl& ctrl = SciFiCtrlOf(call);
        if (skill == ctrl.GetMainCharSkill(skill->kind, false, true))
            ctrl.EndSkillSlotEffect(skill->kind);  // the old effect gives way to the new one
    }
    call.Forward(2, nullptr, 0, 0);
}

void GetSkillEffectIndex(ScriptCall& call)
{
    if (!call.NeedCount(1, 1) || !call.NeedString(0))
        return;
    if (SkillTreeEntry* skill = NamedSkill(call))
        call.SetInt(skill->visualEffectInUse + 1);
}

// The name of the main character's selected skill of a kind; empty without one.
void SelectedSkillName(ScriptCall& call, int32_t kind)
{
    call.SetTypeString();
    if (SkillTreeEntry* skill = SciFiCtrlOf(call).GetMainCharSkill(kind, false, false))
        call.SetString(skill->name.c_str());
}

void GetActiveSkill(ScriptCall& call) { SelectedSkillName(call, SkillTreeEntry::kKindActive); }
void GetOffensiveSkill(ScriptCall& call) { SelectedSkillName(call, SkillTreeEntry::kKindOffensive); }
void GetDefensiveSkill(ScriptCall& call) { SelectedSkillName(call, SkillTreeEntry::kKindDefensive); }

}  // namespace

ScriptBuiltinFamily SciFiScriptSkills()
{
    static const ScriptBuiltinEntry entries[] = {
        {"LearnSkill", LearnSkill},
        {"SetSkillEffectIndex", SetSkillEffectIndex},
        {"GetSkillEffectIndex", GetSkillEffectIndex},
        {"GetActiveSkill", GetActiveSkill},
        {"GetOffensiveSkill", GetOffensiveSkill},
        {"GetDefensiveSkill", GetDefensiveSkill},
    };
    return {entries, std::size(entries)};
}
