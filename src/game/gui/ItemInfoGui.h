// ItemInfoGui: an item information box; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class ItemInfoGui : public GameGuiField {
public:
    explicit ItemInfoGui(bool createChildren = true) : GameGuiField("ItemInfoGui", createChildren) {}
};
