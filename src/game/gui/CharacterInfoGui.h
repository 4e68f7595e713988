// CharacterInfoGui: the new-character screen in its least form: the index of the selected class,
// one creature per class (its configuration ID names the class), and the name input.
#pragma once
#include "base/DynaMem.h"
#include "base/SmartPtr.h"
#include "engine/gui/DXC_GuiInputText.h"
#include "game/gui/GameGuiField.h"
#include "game/objects/CreatureObj.h"

#include <cstdint>

class CharacterInfoGui : public GameGuiField {
public:
    explicit CharacterInfoGui(bool createChildren = true) : GameGuiField("CharacterInfoGui", createChildren) {}

    int32_t selectedClass = 0;
    DynaMem<SmartPtr<CreatureObj>, 4096, 0> classes;
    DXC_GuiInputText nameInput;
};
