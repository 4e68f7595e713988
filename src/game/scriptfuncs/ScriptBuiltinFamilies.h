// ScriptBuiltinFamilies: the tables of the built-in script function families, each defined in its
// own file of this folder and listed in its chain (ScriptBuiltinChains.cpp).
#pragma once
#include "game/scriptfuncs/ScriptBuiltinChain.h"

// Names before 'H'.
ScriptBuiltinFamily ScriptFamilyLookups();          // finding elements and reading their properties
ScriptBuiltinFamily ScriptFamilyPositions();        // positions, geometry and searches
ScriptBuiltinFamily ScriptFamilyItemsAtoG();        // inventory, items and gold
ScriptBuiltinFamily ScriptFamilyCreaturesAtoG();    // creatures, AI and combat
ScriptBuiltinFamily ScriptFamilyWorldAtoG();        // world creation, events and effects
ScriptBuiltinFamily ScriptFamilyGameAtoG();         // game state, time, input, camera and system

// Names from 'H' on.
ScriptBuiltinFamily ScriptFamilyInventoryHtoZ();    // inventory, items and use
ScriptBuiltinFamily ScriptFamilyCreaturesHtoZ();    // creatures: life, health, influences
ScriptBuiltinFamily ScriptFamilyCreatureAIHtoZ();   // creatures: AI, movement values, cycles
ScriptBuiltinFamily ScriptFamilyElementStateHtoZ(); // world element state
ScriptBuiltinFamily ScriptFamilyElementLinksHtoZ(); // element animation, paths, links and handlers
ScriptBuiltinFamily ScriptFamilyWallsLevelHtoZ();   // walls, lights and level
ScriptBuiltinFamily ScriptFamilyGameFlowHtoZ();     // game flow, scripts, camera and debugging
ScriptBuiltinFamily ScriptFamilyMediaHtoZ();        // sounds, music, speech, video, preloads
