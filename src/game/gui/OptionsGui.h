// OptionsGui: the options window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class OptionsGui : public GameGuiField {
public:
    explicit OptionsGui(bool createChildren = true) : GameGuiField("OptionsGui", createChildren) {}
};
