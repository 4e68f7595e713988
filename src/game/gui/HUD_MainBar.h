// HUD_MainBar: the main heads-up bar; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class HUD_MainBar : public GameGuiField {
public:
    explicit HUD_MainBar(bool createChildren = true) : GameGuiField("HUD_MainBar", createChildren) {}
};
