// TradeGui: the trade window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

#include <cstdint>

class TradeGui : public GameGuiField {
public:
    explicit TradeGui(bool createChildren = true) : GameGuiField("TradeGui", createChildren) {}

    // Ends a trade; the flag tells whether the goods on the table stay (the trade's contents come
    // with the window).
    void Close(int32_t keepGoods)
    {
        (void)keepGoods;
        SetOpenState(false);
    }
};
