// SciFiGameCtrl: which character save a game on this machine continues from.
#include "scifi/ctrl/SciFiGameCtrl.h"

int32_t SciFiGameCtrl::ChooseCharacterSaveSlot(bool multiplayer)
{
    if (multiplayer)
        return IsCharacterSaveValid(-3) ? -3 : -2;  // -3: the save root itself
    double time2 = -1.0;
    double time1 = -1.0;
    const bool valid2 = IsCharacterSaveValid(2, &time2);
    const bool valid1 = IsCharacterSaveValid(1, &time1);
    if (!valid2 && !valid1)
        return -2;
    // Only one valid: that one, whatever its stamp (a stamp below the -1 of a missing save must
    // not send the game to the slot that does not load).
    if (!valid1)
        return 2;
    if (!valid2)
        return 1;
    return time2 > time1 ? 2 : 1;  // equal stamps continue from slot 1
}
