// HUDSkillsRollup: a skill roll-up of the heads-up bar; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class HUDSkillsRollup : public GameGuiField {
public:
    explicit HUDSkillsRollup(bool createChildren = true) : GameGuiField("HUDSkillsRollup", createChildren) {}
};
