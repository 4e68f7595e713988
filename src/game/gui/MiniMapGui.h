// MiniMapGui: the mini map; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class MiniMapGui : public GameGuiField {
public:
    explicit MiniMapGui(bool createChildren = true) : GameGuiField("MiniMapGui", createChildren) {}
};
