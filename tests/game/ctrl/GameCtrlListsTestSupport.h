// GameCtrlListsTestSupport: the controller that the item list and treasure list tests load into:
// the items the lists name, a constant, and two treasure classes as a game's rules give them.
#pragma once
#include "game/ctrl/GameCtrl.h"

#include "GameCtrlTestSupport.h"

class ListTestCtrl : public GameCtrl {
public:
    explicit ListTestCtrl(const GameDir& dir)
    {
        CopyFixture(dir, "itemlist_items.cfg", "cfg/items.cfg");
        m_ItemReader.SetDescKey("desc");
        EXPECT_EQ(m_ItemReader.Load("cfg\\items.cfg"), 0);
        m_Constants.SetValue("Rare", 0.125);
    }
    int32_t GetTreasureClass(const String& name) override
    {
        if (name.EqualsNoCase("weapon"))
            return 0;
        return name.EqualsNoCase("gold") ? 101 : -1;
    }
};
