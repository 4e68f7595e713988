// HostGui: the screen that hosts a multiplayer game; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class HostGui : public GameGuiField {
public:
    explicit HostGui(bool createChildren = true) : GameGuiField("HostGui", createChildren) {}
};
