// SciFiScriptCreatureValues: the game's script built-ins that read and change a creature's
// values: advance points, hit points, mana, regeneration, shield energy, protection, defence,
// poison, level progress, and what the player's input controller measures. Calls that change a
// creature for everyone are repeated at the clients, with the check and message flags set.
#include "scifi/script/SciFiScriptFamilies.h"

#include "base/String.h"
#include "scifi/input/SciFiInputCtrl.h"
#include "world/ActionEntry.h"
#include "world/WorldCtrl.h"

#include <iterator>

namespace {

constexpr float kAdvancePointLogTime = 4.0f;

// The players' log line of advance points received: "received" in the log colour, then the
// points and the "advancepoint" text in the amount colour.
void PostAdvancePointLog(SciFiGameCtrl& ctrl, int32_t points)
{
    uint8_t found = 0;
    wString amount;
    amount.Format(u":|Cdadada %i %s", points, ctrl.GetGuiDBText("logmsg", "advancepoint", &found).c_str());
    const wString text = wString(u"|Cada68d") + ctrl.GetGuiDBText("logmsg", "received", &found) + amount;
    ctrl.GetWorld().AddLogMessage(text, kAdvancePointLogTime, false);
}

// The element of the first argument as the game's creature; a warning with the function's text
// (naming the function where the text asks for it) when it is none.
CreatureObj_SF* CreatureOrWarn(ScriptCall& call, const char* warning)
{
    CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0));
    if (!creature)
        call.Warning(warning, call.GetName());
    return creature;
}

void SetAdvancePoints(ScriptCall& call)
{
    if (!call.NeedCount(3, 3))
        return;
    if (CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0))) {
        creature->SetPoints(call.Int(1), call.Int(2));
        if (creature->IsPlayerCharacter())
            PostAdvancePointLog(SciFiCtrlOf(call), call.Int(1));
    }
    call.Forward(3, nullptr, 1, 1);  // the clients' copy of any element is told, creature or not
}

void AddAdvancePoints(ScriptCall& call)
{
    CreatureObj_SF* creature = SciFiCreatureOf(call.CountedObject(2, 2));
    if (!creature)
        return;
    creature->AddPoints(call.Int(1), 0);
    if (creature->IsPlayerCharacter())
        PostAdvancePointLog(SciFiCtrlOf(call), call.Int(1));
    call.Forward(2, nullptr, 1, 1);
}

void SetHitPoints(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, "Can not set hit points of none creature");
    if (!creature)
        return;
    creature->m_BaseValues.maxHealth = float(call.Int(1));
    creature->UpdateValues(false);
    if (creature->GetHealth() > creature->m_Values.maxHealth)
        creature->SetHealth(creature->m_Values.maxHealth);
    call.Forward();
}

// GetHitPoints and GetManaMax: the derived maximum, or the base value when a second argument is 0.
void GetMaximum(ScriptCall& call, const char* warning, float CreatureCombatValues::*value)
{
    if (!call.NeedCount(1, -1))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, warning);
    if (!creature)
        return;
    creature->UpdateValues(false);
    const bool base = call.GetCount() >= 2 && call.Int(1) == 0;
    call.SetFloat(base ? creature->m_BaseValues.*value : creature->m_Values.*value);
}

void GetHitPoints(ScriptCall& call)
{
    GetMaximum(call, "Can not get hit points of none creature", &CreatureCombatValues::maxHealth);
}

void GetManaMax(ScriptCall& call) { GetMaximum(call, "Can not get mana of none creature", &CreatureCombatValues::maxMana); }

void SetManaMax(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj_SF* creature = CreatureOrWarn(call, "Can not set mana of none creature")) {
        creature->m_BaseValues.maxMana = float(call.Int(1));
        creature->UpdateValues(false);
    }
}

// SetManaRegeneration and SetHealthRegeneration: the absolute and the relative rate.
void SetRegeneration(ScriptCall& call, const char* warning, float CreatureCombatValues::*absolute,
                     float CreatureCombatValues::*relative)
{
    if (!call.NeedCount(3, -1))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, warning);
    if (!creature)
        return;
    creature->m_BaseValues.*absolute = call.FloatArg(1);
    creature->m_BaseValues.*relative = call.FloatArg(2);
    creature->UpdateValues(false);
    call.Forward();
}

void SetManaRegeneration(ScriptCall& call)
{
    SetRegeneration(call, "Can not set mana regeneration of none creature", &CreatureCombatValues::manaRegenAbs,
                    &CreatureCombatValues::manaRegenRel);
}

void SetHealthRegeneration(ScriptCall& call)
{
    SetRegeneration(call, "Can not set health regeneration of none creature", &CreatureCombatValues::healthRegenAbs,
                    &CreatureCombatValues::healthRegenRel);
}

// One argument fills the shield; three queue an amount over seconds (no time at all: at once).
void RefillShield(ScriptCall& call)
{
    if (call.GetCount() != 1 && !call.NeedCount(3, 3))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, "Can not refill shield of none creature");
    if (!creature)
        return;
    if (call.GetCount() == 1)
        creature->FillShield();
    else
        creature->RefillShield(call.FloatArg(1), call.FloatArg(2));
    call.Forward();
}

void SetShieldEnergy(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj_SF* creature = CreatureOrWarn(call, "Can not set shield energy of none creature"))
        creature->m_ShieldEnergy = call.FloatArg(1);  // above the maximum too
}

// The maximum waits for the creature's next value update.
void SetShieldEnergyMax(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    if (CreatureObj_SF* creature = CreatureOrWarn(call, "Can not set shield energy of none creature"))
        creature->m_BaseValues.maxShield = call.FloatArg(1);
}

// GetShieldEnergy and GetShieldEnergyMax: a Float, or the Int 0 for an element that is no creature.
void GetShield(ScriptCall& call, bool maximum)
{
    if (!call.NeedCount(1, -1))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, "Can not get shield energy of none creature");
    if (!creature) {
        call.SetInt(0);
        return;
    }
    call.SetFloat(maximum ? creature->m_Values.maxShield : creature->m_ShieldEnergy);
}

void GetShieldEnergy(ScriptCall& call) { GetShield(call, false); }

void GetShieldEnergyMax(ScriptCall& call) { GetShield(call, true); }

// Type 1 sets the second value; no type, 0 or below sets both.
void SetPhysicProtection(ScriptCall& call)
{
    CreatureObj_SF* creature = SciFiCreatureOf(call.CountedObject(2, -1));
    if (!creature)
        return;  // silently, as scripts have always relied on
    const int32_t type = call.Int(2);
    if (type >= 2) {
        call.Error("Invalid magic type in function %s", call.GetName());
        return;
    }
    float (&physical)[2] = creature->m_BaseValues.protection.physical;
    if (type == 1) {
        physical[1] = call.FloatArg(1);
    } else {
        physical[0] = call.FloatArg(1);
        physical[1] = call.FloatArg(1);
    }
    creature->UpdateValues(false);
}

// AddPhysDefense and AddPoisonDefense: type 0 or 1, an Int amount added to the base value.
void AddDefense(ScriptCall& call, bool poison)
{
    if (!call.NeedCount(3, 3))
        return;
    CreatureObj_SF* creature = CreatureOrWarn(call, "No creature specified in function %s");
    if (!creature)
        return;
    const int32_t type = call.Int(1);
    if (type < 0 || type > 1) {
        call.Error("Invalid physical skill type in function %s", call.GetName());
        return;
    }
    // A creature has one poison defence: both types raise it.
    float& defence = poison ? creature->m_BaseValues.defPoison : creature->m_BaseValues.defPhys[type];
    defence += float(call.Int(2));
    creature->UpdateValues(false);
}

void AddPhysDefense(ScriptCall& call) { AddDefense(call, false); }

void AddPoisonDefense(ScriptCall& call) { AddDefense(call, true); }

// The clients hear of the cure first, while their creature still carries the poison.
void CurePoison(ScriptCall& call)
{
    CreatureObj_SF* creature = SciFiCreatureOf(call.CountedObject(1, -1));
    if (!creature)
        return;
    call.Forward();
    creature->ClearPoison();
}

// The progress moves on only at the difficulty it belongs to: forward, or back to -1 (the mark
// of a difficulty just unlocked).
void SetPlayerLevelProgress(ScriptCall& call)
{
    if (!call.NeedCount(2, -1))
        return;
    CreatureObj_SF* creature = SciFiCreatureOf(call.Object(0));
    if (!creature) {
        call.Warning("none creature passed to SetPlayerLevelProgress()");
        return;
    }
    const int32_t level = call.Int(1);
    if (call.GetCtrl().GetDifficulty() == int32_t(creature->m_HighestDifficulty) &&
        (level > int32_t(creature->m_LevelProgress) || level == -1))
        creature->m_LevelProgress = int8_t(level);
    call.Forward();
}

// The game's input controller of the element; none for any element without one.
SciFiInputCtrl* InputOf(WorldElem* elem)
{
    return SciFiCreatureOf(elem) ? dynamic_cast<SciFiInputCtrl*>(elem->m_InputCtrl) : nullptr;
}

void GetAverageDamageDealt(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    if (SciFiInputCtrl* input = InputOf(call.Object(0)))
        call.SetFloat(input->GetDamagePerSecond());
    else
        call.SetInt(0);
}

void GetNoMoveCounter(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    SciFiInputCtrl* input = InputOf(call.Object(0));
    call.SetFloat(input ? input->GetNoMoveCounter() : 0.0f);
}

// The position into "fTmp" 0 and 1.
void GetLastAttackPos(ScriptCall& call)
{
    if (!call.NeedCount(1, 1))
        return;
    SciFiInputCtrl* input = InputOf(call.Object(0));
    const D3DXVECTOR2 at = input ? input->GetLastTargetPosition() : D3DXVECTOR2(0.0f, 0.0f);
    const float values[2] = {at.x, at.y};
    call.WriteFloatTemps(0, values, 2);
}

// The first part of an action: its first effect, attack, spell or shot, in that order.
const ActionEntryBase* FirstActionPart(ActionEntry& entry)
{
    if (ActionEffect* effect = entry.effects.GetAt(0))
        return effect;
    if (DynActionAttack* attack = entry.attacks.GetAt(0))
        return attack->Get();
    if (ActionSpell* spell = entry.spells.GetAt(0))
        return spell;
    return entry.shots.GetAt(0);
}

// The value times the result of the first part's damage factor script, run for the creature.
void TransformByAction(ScriptCall& call)
{
    if (!call.NeedCount(3, -1) || !call.NeedString(2))
        return;
    WorldElem* elem = call.Object(0);
    float value = call.FloatArg(1);
    if (CreatureObj_SF* creature = SciFiCreatureOf(elem))
        if (ActionEntry* entry = call.GetWorld().FindActionEntry(call.Text(2), true))
            if (const ActionEntryBase* part = FirstActionPart(*entry))
                creature->ApplyDamageFactorScript(part->damFactorScript, value);
    call.SetFloat(value);
}

}  // namespace

ScriptBuiltinFamily SciFiScriptCreatureValues()
{
    static const ScriptBuiltinEntry entries[] = {
        {"SetAdvancePoints", SetAdvancePoints},
        {"AddAdvancePoints", AddAdvancePoints},
        {"SetHitPoints", SetHitPoints},
        {"GetHitPoints", GetHitPoints},
        {"SetManaMax", SetManaMax},
        {"GetManaMax", GetManaMax},
        {"SetManaRegeneration", SetManaRegeneration},
        {"SetHealthRegeneration", SetHealthRegeneration},
        {"RefillShield", RefillShield},
        {"SetShieldEnergy", SetShieldEnergy},
        {"SetShieldEnergyMax", SetShieldEnergyMax},
        {"GetShieldEnergy", GetShieldEnergy},
        {"GetShieldEnergyMax", GetShieldEnergyMax},
        {"SetPhysicProtection", SetPhysicProtection},
        {"AddPhysDefense", AddPhysDefense},
        {"AddPoisonDefense", AddPoisonDefense},
        {"CurePoison", CurePoison},
        {"SetPlayerLevelProgress", SetPlayerLevelProgress},
        {"GetAverageDamageDealt", GetAverageDamageDealt},
        {"GetNoMoveCounter", GetNoMoveCounter},
        {"GetLastAttackPos", GetLastAttackPos},
        {"TransformByAction", TransformByAction},
    };
    return {entries, std::size(entries)};
}
