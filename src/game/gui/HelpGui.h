// HelpGui: the help window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class HelpGui : public GameGuiField {
public:
    explicit HelpGui(bool createChildren = true) : GameGuiField("HelpGui", createChildren) {}
};
