// JoinGui: the screen that joins a multiplayer game; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class JoinGui : public GameGuiField {
public:
    explicit JoinGui(bool createChildren = true) : GameGuiField("JoinGui", createChildren) {}
};
