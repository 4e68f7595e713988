// ScriptFamilyItemsAtoG: the built-in script functions of names before 'H': inventory, items and gold.
// Its table is empty until the family is built; entries are {"Name", Handler} in the family's
// order of comparison (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyItemsAtoG() { return {}; }
