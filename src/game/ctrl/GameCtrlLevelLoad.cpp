// GameCtrl: loading the binary level file of a level into the world.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"

void GameCtrl::LoadVsdFile(const char* fileName)
{
    LeaveGuiMode(1);
    Reset();
    ShowLoadingProgress(2.0f, 0, 1.0f, 1);
    m_World.LoadLevelData(fileName, 1, 0);
    ShowLoadingProgress(20.0f, 0, 1.0f, 1);
    Log::Write("VSD file '%s' loaded", fileName);
    m_VsdFile = fileName;
}
