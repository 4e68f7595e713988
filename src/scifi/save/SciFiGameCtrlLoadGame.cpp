// SciFiGameCtrl: the game's load operation. A new game starts on the controller's start level;
// the saved games are read by the save loaders.
#include "scifi/ctrl/SciFiGameCtrl.h"

int32_t SciFiGameCtrl::LoadGame(int32_t slot, int32_t a, int32_t b)
{
    (void)a;
    (void)b;
    if (slot != -1)
        return 0;
    StartNewGame(nullptr);
    return 1;
}
