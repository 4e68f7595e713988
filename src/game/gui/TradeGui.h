// TradeGui: the trade window; so far a closed field with its children flag and its partner.
#pragma once
#include "game/gui/GameGuiField.h"

#include <cstdint>

class TradeGui : public GameGuiField {
public:
    explicit TradeGui(bool createChildren = true) : GameGuiField("TradeGui", createChildren) {}

    // Starts a trade with the partner (the merchant creature).
    void Open(WorldElem* partner)
    {
        m_Partner = partner;
        SetOpenState(true);
    }
    WorldElem* GetPartner() const { return m_Partner.Get(); }
    // Ends a trade; the flag tells whether the goods on the table stay (the trade's contents come
    // with the window).
    void Close(int32_t keepGoods)
    {
        (void)keepGoods;
        SetOpenState(false);
    }

private:
    SmartPtr<WorldElem> m_Partner;
};
