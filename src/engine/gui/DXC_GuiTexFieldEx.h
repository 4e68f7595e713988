// DXC_GuiTexFieldEx: a picture window with a close button, the base of the game's larger windows.
// The button (32 x 32, labelled "X") starts closed; a window that wants it opens it. On a resize
// the button keeps its relative place: its position is scaled by the ratios of the new to the old
// width and height.
#pragma once
#include "engine/gui/DXC_CloseButtonField.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <cstdint>

class DXC_GuiTexFieldEx : public DXC_GuiTexField, public virtual DXC_CloseButtonField {
public:
    static constexpr int32_t kCloseButtonSize = 32;

    DXC_GuiTexFieldEx();

    void Render() override;
    void SetSize(int32_t width, int32_t height) override;
};
