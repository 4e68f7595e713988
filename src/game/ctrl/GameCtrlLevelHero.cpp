// GameCtrl: the hero's steps of a level start that the input controllers and the camera complete.
// A level creates a hero only when a local input controller (kind 1) exists: the dedicated server
// has none, since the players' creatures come with their clients, so its levels start without one.
// Until the input controllers and the camera stand, these steps answer that no hero is wanted,
// find no starting position, only keep the main character reference, make no wall objects and
// leave the camera alone.
#include "game/ctrl/GameCtrl.h"

bool GameCtrl::HasLocalInputForHero() { return false; }

WorldElem* GameCtrl::FindLevelStartPosition(int32_t number)
{
    (void)number;
    return nullptr;
}

void GameCtrl::MakeLevelMainCharacter(CreatureObj* creature) { SetMainCharReference(creature); }

void GameCtrl::PlaceLevelCamera(CreatureObj* hero) { (void)hero; }

void GameCtrl::AddLevelWallObjects() {}
