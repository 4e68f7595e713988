// PauseMenuGui: the pause menu; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class PauseMenuGui : public GameGuiField {
public:
    explicit PauseMenuGui(bool createChildren = true) : GameGuiField("PauseMenuGui", createChildren) {}
};
