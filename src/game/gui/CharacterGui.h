// CharacterGui: the character sheet; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class CharacterGui : public GameGuiField {
public:
    explicit CharacterGui(bool createChildren = true) : GameGuiField("CharacterGui", createChildren) {}
};
