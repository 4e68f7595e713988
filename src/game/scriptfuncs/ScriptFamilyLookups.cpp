// ScriptFamilyLookups: the built-ins before 'H' that find world elements, walls and lights and read
// the properties of one element.
#include "game/scriptfuncs/ScriptBuiltinFamilies.h"

ScriptBuiltinFamily ScriptFamilyLookups() { return {}; }
