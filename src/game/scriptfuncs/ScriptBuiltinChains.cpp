// ScriptBuiltinChains: the two name chains of the built-in script functions and the order of
// their families. A family adds its table by its getter here, in its chain's place; within a
// chain the earlier family serves a name that two families hold (see ScriptBuiltinChain.h).
#include "game/scriptfuncs/ScriptBuiltinChain.h"
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

const ScriptBuiltinChain& ScriptBuiltinChain::AtoG()
{
    static const ScriptBuiltinChain chain{ScriptFamilyLookups, ScriptFamilyPositions, ScriptFamilyItemsAtoG,
                                          ScriptFamilyCreaturesAtoG, ScriptFamilyWorldAtoG, ScriptFamilyGameAtoG};
    return chain;
}

const ScriptBuiltinChain& ScriptBuiltinChain::HtoZ()
{
    static const ScriptBuiltinChain chain{ScriptFamilyInventoryHtoZ,    ScriptFamilyCreaturesHtoZ,
                                          ScriptFamilyCreatureAIHtoZ,   ScriptFamilyElementStateHtoZ,
                                          ScriptFamilyElementLinksHtoZ, ScriptFamilyWallsLevelHtoZ,
                                          ScriptFamilyGameFlowHtoZ,     ScriptFamilyMediaHtoZ};
    return chain;
}
