// GameGuiField: the least form of a window of the game: a field made closed that remembers
// whether it was asked to build its child fields. Each game window derives from it until its own
// contents are built; the dedicated server never opens one.
#pragma once
#include "base/SmartPtr.h"
#include "engine/gui/DXC_GuiField.h"
#include "world/WorldElem.h"

class GameGuiField : public virtual DXC_GuiField {
public:
    explicit GameGuiField(const char* name, bool createChildren = true) : m_CreateChildren(createChildren)
    {
        SetName(name);
        SetOpenState(false);
    }

    bool CreatesChildren() const { return m_CreateChildren; }
    // The character a window shows (the controller hands the one it takes over); none at first.
    void SetCharacter(WorldElem* character) { m_Character = character; }
    WorldElem* GetCharacter() const { return m_Character.Get(); }

private:
    bool m_CreateChildren;
    SmartPtr<WorldElem> m_Character;
};
