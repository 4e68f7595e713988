// GameCtrl: loading the binary level file of a level into the world, with its placed objects.
#include "game/ctrl/GameCtrl.h"

#include "base/Log.h"

void GameCtrl::LoadVsdFile(const char* fileName, bool addObjects)
{
    LeaveGuiMode(1);
    Reset();
    ShowLoadingProgress(2.0f, 0, 1.0f, 1);
    // A level whose stored state follows gets its walls back from that state.
    m_World.LoadLevelData(fileName, addObjects ? 1 : 0, 0);
    ShowLoadingProgress(20.0f, 0, 1.0f, 1);
    Log::Write("VSD file '%s' loaded", fileName);
    m_VsdFile = fileName;
    if (addObjects) {
        LoadLevelObjects(false);
        Log::Write("Vsd objects added");
    }
}
