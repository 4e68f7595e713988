// HUDSkills: the heads-up skill bar; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class HUDSkills : public GameGuiField {
public:
    explicit HUDSkills(bool createChildren = true) : GameGuiField("HUDSkills", createChildren) {}
};
