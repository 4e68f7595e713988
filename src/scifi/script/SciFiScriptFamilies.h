// SciFiScriptFamilies: the tables of the game's own script built-ins, one per family of roles
// (creature values, damage, items, skills, dialogues, game flow), and what their handlers share:
// the game's controller of the call and the game creature of an element. The controller's routing (SciFiGameCtrlScript.cpp) takes
// every table into its two name halves; a family file adds its getter here and there.
#pragma once
#include "game/scriptfuncs/ScriptBuiltinChain.h"
#include "game/scriptfuncs/ScriptCall.h"
#include "scifi/ctrl/SciFiGameCtrl.h"
#include "scifi/objects/CreatureObj_SF.h"

// Levels, hit points, mana, regeneration, shields, protection, defence, poison and the values of
// the player's input (SciFiScriptCreatureValues.cpp).
ScriptBuiltinFamily SciFiScriptCreatureValues();
// Damage posted as world events, and the damage values of elements (SciFiScriptDamage.cpp).
ScriptBuiltinFamily SciFiScriptDamage();
// Items and treasure given to elements, equipment, the special item and trades
// (SciFiScriptItems.cpp).
ScriptBuiltinFamily SciFiScriptItems();
// Learning skills, their effect indices and the selected skills (SciFiScriptSkills.cpp).
ScriptBuiltinFamily SciFiScriptSkills();
// The mission log and dialogues (SciFiScriptDialogues.cpp).
ScriptBuiltinFamily SciFiScriptDialogues();
// The pause menu, the screenshot camera, the mouse script, saves and checkpoints
// (SciFiScriptGameFlow.cpp).
ScriptBuiltinFamily SciFiScriptGameFlow();

// The game's handlers run only through the game's controller.
inline SciFiGameCtrl& SciFiCtrlOf(ScriptCall& call) { return static_cast<SciFiGameCtrl&>(call.GetCtrl()); }

// The game's creature of an element; null for any other element (and for none).
inline CreatureObj_SF* SciFiCreatureOf(WorldElem* elem)
{
    return elem && elem->IsCreature() ? dynamic_cast<CreatureObj_SF*>(elem) : nullptr;
}
