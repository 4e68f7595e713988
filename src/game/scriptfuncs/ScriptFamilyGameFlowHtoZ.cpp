// ScriptFamilyGameFlowHtoZ: the built-in script functions of names from 'H' on: game flow,
// scripts, media and debugging.
// Its table is empty until the family is built; entries are {"Name", Handler} in the family's
// order of comparison (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyGameFlowHtoZ() { return {}; }
