// ScriptFamilyWallsLevelHtoZ: the built-in script functions of names from 'H' on: walls, lights and level.
// Its table is empty until the family is built; entries are {"Name", Handler} in the family's
// order of comparison (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyWallsLevelHtoZ() { return {}; }
