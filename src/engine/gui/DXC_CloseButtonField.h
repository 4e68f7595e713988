// DXC_CloseButtonField: a window's close button as a mixin: the button is a member, skinned from
// the manager's close-button (or push-button) pictures, and a click on it closes the window (or
// opens a closed one) at the window's next frame, after OnClose.
#pragma once
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/DXC_GuiTexButton.h"

#include <cstdint>

class DXC_Font;
class DXC_Texture;

class DXC_CloseButtonField : public virtual DXC_GuiField {
public:
    DXC_CloseButtonField() { SetName("DXC_CloseButtonField"); }

    void Render() override;
    // Told when the close button was clicked, before the window changes state.
    virtual void OnClose() {}

    // 1: the manager's close-button pictures, 0 its push-button pictures; used while the button
    // has no normal picture yet.
    void SetCloseSkin(bool flag) { closeSkin = flag ? 1 : 0; }
    // Places, labels and skins the button (missing pictures cleared, white tints), enables its
    // hovering and opens it.
    void SetCloseButton(int32_t x, int32_t y, int32_t width, int32_t height, const wString& label, DXC_Font* font,
                        const DXC_Texture* normal, const DXC_Texture* pressed, const DXC_Texture* hover);
    DXC_GuiTexButton& GetCloseButton() { return closeButton; }

protected:
    // Once a frame: the default skin while the button has none, then a click's effect.
    void UpdateCloseButton();

    uint8_t closeSkin = 1;
    DXC_GuiTexButton closeButton;
};
