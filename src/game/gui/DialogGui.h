// DialogGui: the dialogue window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class DialogGui : public GameGuiField {
public:
    explicit DialogGui(bool createChildren = true) : GameGuiField("DialogGui", createChildren) {}
};
