// ItemHolderGui: the item holder window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class ItemHolderGui : public GameGuiField {
public:
    explicit ItemHolderGui(bool createChildren = true) : GameGuiField("ItemHolderGui", createChildren) {}
};
