// MonsterHealthBarGui: the targeted monster's health bar; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class MonsterHealthBarGui : public GameGuiField {
public:
    explicit MonsterHealthBarGui(bool createChildren = true) : GameGuiField("MonsterHealthBarGui", createChildren) {}
};
