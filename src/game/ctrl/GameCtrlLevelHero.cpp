// GameCtrl: the hero's steps of a level start. A level creates a hero only when a local input
// controller (kind 1) exists: the dedicated server has none, since the players' creatures come with
// their clients, so its levels start without one unless it is started with a hero of its own.
#include "game/ctrl/GameCtrl.h"
#include "game/objects/EventObj.h"

bool GameCtrl::HasLocalInputForHero() { return m_LocalInputIndex != -1 && HasInputCtrl(m_LocalInputIndex); }

WorldElem* GameCtrl::FindLevelStartPosition(int32_t number) { return GetStartingPos(number, nullptr, false); }

// The hero goes to the local input, which makes it the main character; without one it is only
// remembered as the main character.
void GameCtrl::MakeLevelMainCharacter(CreatureObj* creature)
{
    if (creature && HasLocalInputForHero())
        AttachCreatureToInput(creature, m_LocalInputIndex);
    else
        SetMainCharReference(creature);
}

void GameCtrl::PlaceLevelCamera(CreatureObj* hero)
{
    if (!hero)
        return;
    CameraFollowMainChar();
    SnapCameraToTarget();
}

void GameCtrl::AddLevelWallObjects() { AddWallObjects(); }
