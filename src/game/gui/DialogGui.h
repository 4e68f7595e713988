// DialogGui: the dialogue window; so far a closed field with its children flag.
#pragma once
#include "game/gui/GameGuiField.h"

#include <cstdint>

class DialogGui : public GameGuiField {
public:
    explicit DialogGui(bool createChildren = true) : GameGuiField("DialogGui", createChildren) {}

    // Opens the window; the flag asks for its opening fade, which comes with its drawing.
    void Open(int32_t fade)
    {
        (void)fade;
        SetOpenState(true);
    }
};
