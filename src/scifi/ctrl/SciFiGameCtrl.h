// SciFiGameCtrl: the game's own controller: the rules of the sci-fi game on top of the engine's
// controller. It loads the game's item definitions ("cfg\items.cfg") and names its equipment
// slots; its item functions, treasure lists and own item keys come with the rest of the rules.
#pragma once
#include "game/ctrl/GameCtrl.h"

#include <cstdint>

class SciFiGameCtrl : public GameCtrl {
public:
    SciFiGameCtrl();
    ~SciFiGameCtrl() override;

    // "cfg\items.cfg" into the item reader and one item per entry; a file of the size last read
    // is not read again.
    void LoadGeneralItems() override;
    // "all" 100, "none" -1, "weapon" 0, "head" 1, "body" 2, "potion1" 102, "potion2" 103,
    // "weapon_socket" 200, "head_socket" 201, "body_socket" 202, "gold" 101, any letter case. An
    // unknown name is -1, and an error when report is set.
    int16_t GetEquipmentType(const String& name, bool report) override;

private:
    int64_t m_ItemsFileSize = -1;  // of the last complete load
};
