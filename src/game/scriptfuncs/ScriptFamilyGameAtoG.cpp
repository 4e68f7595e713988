// ScriptFamilyGameAtoG: the built-in script functions of names before 'H': game state, time, input, camera and system.
// Its table is empty until the family is built; entries are {"Name", Handler} in the family's
// order of comparison (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyGameAtoG() { return {}; }
