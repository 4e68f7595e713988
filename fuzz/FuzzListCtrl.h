// FuzzListCtrl: the controller that the item list and treasure list targets load into: a few
// items, a constant the lists may name, and two treasure classes as a game's rules give them.
#pragma once
#include "FuzzTarget.h"
#include "game/ctrl/GameCtrl.h"

#include <string>

class FuzzListCtrl : public GameCtrl {
public:
    FuzzListCtrl()
    {
        static const char kItems[] = "#1\ndesc = \"Rifle\"\n#2\ndesc = \"Medkit\"\n#3\ndesc = \"weapon\"\n";
        m_ItemReader.SetDescKey("desc");
        m_ItemReader.OpenMemory(kItems, int32_t(sizeof(kItems) - 1));
        m_Constants.SetValue("Rare", 0.125);
    }
    int32_t GetTreasureClass(const String& name) override
    {
        if (name.EqualsNoCase("weapon"))
            return 0;
        return name.EqualsNoCase("gold") ? 101 : -1;
    }

    // The load of the bytes as a file through the loader; false when it ended in an error.
    template <class Load> bool LoadBytes(const uint8_t* data, size_t size, Load load)
    {
        const std::string file = Fuzz::WriteScratchFile(data, size);
        try {
            load(file.c_str());
        } catch (const ErrorMsg&) {
            return false;
        }
        return true;
    }
};
