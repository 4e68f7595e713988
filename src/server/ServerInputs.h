// ServerInputs: the input controllers that the server's game state sets up before the game
// starts: the AI's for the level's creatures and, for a local test run (--hero), a local input
// first, so that a level start makes a hero for it.
#pragma once

class GameCtrl;

namespace ServerInputs {

// "--hero" (any letter case).
bool IsHeroSwitch(const char* argument);

// Adds the local input (kind 1) when hero is set, then the AI's input (kind 3), logging
// "AI Input created".
void Register(GameCtrl& ctrl, bool hero);

}  // namespace ServerInputs
