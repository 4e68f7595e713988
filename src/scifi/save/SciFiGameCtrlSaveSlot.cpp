// SciFiGameCtrl: the save a player continues from, chosen by the game time stored in the
// "character.sv" of each candidate slot.
#include "scifi/ctrl/SciFiGameCtrl.h"

int32_t SciFiGameCtrl::ChooseCharacterSaveSlot(bool multiplayer)
{
    if (multiplayer)
        return IsCharacterSaveValid(-3) ? -3 : -2;
    double times[3] = {-1.0, -1.0, -1.0};
    const bool valid1 = IsCharacterSaveValid(1, &times[1]);
    const bool valid2 = IsCharacterSaveValid(2, &times[2]);
    if (!valid1 && !valid2)
        return -2;
    if (!valid1)
        times[1] = -1.0;
    if (!valid2)
        times[2] = -1.0;
    return times[2] > times[1] ? 2 : 1;
}
