// SkillTreeGui: the skill tree; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class SkillTreeGui : public GameGuiField {
public:
    explicit SkillTreeGui(bool createChildren = true) : GameGuiField("SkillTreeGui", createChildren) {}
};
