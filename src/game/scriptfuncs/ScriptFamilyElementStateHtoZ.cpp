// ScriptFamilyElementStateHtoZ: the built-in script functions of names from 'H' on: world element state.
// Its table is empty until the family is built; entries are {"Name", Handler} in the family's
// order of comparison (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyElementStateHtoZ() { return {}; }
