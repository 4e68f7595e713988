// ObjectNameGui: a name label over a world object; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class ObjectNameGui : public GameGuiField {
public:
    explicit ObjectNameGui(bool createChildren = true) : GameGuiField("ObjectNameGui", createChildren) {}
};
