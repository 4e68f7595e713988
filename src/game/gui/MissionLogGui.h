// MissionLogGui: the mission log; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class MissionLogGui : public GameGuiField {
public:
    explicit MissionLogGui(bool createChildren = true) : GameGuiField("MissionLogGui", createChildren) {}
};
