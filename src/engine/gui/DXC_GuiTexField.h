// DXC_GuiTexField: a field that draws one picture stretched over its rectangle, under its
// children; the base of most windows and HUD parts. A dragged field follows the mouse here.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_Gfx;

class DXC_GuiTexField : public virtual DXC_GuiField {
public:
    static constexpr uint32_t kWhite = 0xFFFFFFFFu;

    DXC_GuiTexField() { SetName("DXC_GuiTexField"); }

    // A loaded picture stretched over the rectangle (left, top, right, bottom) in the colour: how
    // every widget draws its pictures.
    static void DrawStretched(DXC_Gfx* graphics, DXC_Texture& texture, const int32_t rect[4], uint32_t colour);

    void Render() override;
    // The picture over the absolute rectangle, in white; nothing without a graphics object.
    virtual void DrawPicture();

    // A loaded texture becomes the picture (with sizeToPicture the field takes its size); any
    // other clears the picture and keeps the size.
    void SetTexture(const DXC_Texture* texture, bool sizeToPicture);
    DXC_Texture& GetPicture() { return picture; }
    void SetDrawPicture(bool flag) { drawPicture = flag ? 1 : 0; }

protected:
    DXC_Texture picture;
    int32_t drawPicture = 1;
};
