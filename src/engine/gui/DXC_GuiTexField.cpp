// DXC_GuiTexField: the picture, its size, the drag follow and the drawing.
#include "engine/gui/DXC_GuiTexField.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"

namespace {

constexpr float kPictureDepth = 1.0f;

}  // namespace

void DXC_GuiTexField::DrawStretched(DXC_Gfx* graphics, DXC_Texture& texture, const int32_t rect[4], uint32_t colour)
{
    if (!graphics || !graphics->HasDevice() || !texture.IsValid())
        return;
    graphics->SetMaterialStages(&texture, -1);
    graphics->DrawTextureUniform(rect, colour, kPictureDepth);
}

void DXC_GuiTexField::SetTexture(const DXC_Texture* texture, bool sizeToPicture)
{
    if (!texture || !texture->IsValid()) {
        picture.Release();
        return;
    }
    texture->Clone(picture, 1, -1);
    if (!sizeToPicture)
        return;
    float width, height;
    picture.GetDrawSize(width, height);
    SetSize(int32_t(width), int32_t(height));
}

void DXC_GuiTexField::DrawPicture()
{
    int32_t rect[4];
    GetAbsRect(rect[0], rect[1], rect[2], rect[3]);
    DrawStretched(gfx, picture, rect, kWhite);
}

void DXC_GuiTexField::Render()
{
    if (drawPicture) {
        FollowDrag();
        DrawPicture();
    }
    DXC_GuiField::Render();
}
