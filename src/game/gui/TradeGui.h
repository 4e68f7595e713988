// TradeGui: the trade window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

class TradeGui : public GameGuiField {
public:
    explicit TradeGui(bool createChildren = true) : GameGuiField("TradeGui", createChildren) {}
};
