// DXC_GuiProgressBar: the bar picture and the cropped drawing.
#include "engine/gui/DXC_GuiProgressBar.h"

#include <cmath>

void DXC_GuiProgressBar::SetBarTexture(const DXC_Texture* texture)
{
    if (!texture || !texture->IsValid()) {
        bar.Release();
        return;
    }
    texture->Clone(bar, 1, -1);
}

void DXC_GuiProgressBar::Render()
{
    DXC_GuiTexField::Render();
    if (fraction <= 0.0f || !bar.IsValid())
        return;
    const int32_t filled = int32_t(std::lround(float(barRight - barLeft) * fraction));
    int32_t pictureWidth, pictureHeight;
    bar.GetSize(pictureWidth, pictureHeight);
    bar.SetSourceRect(0.0f, 0.0f, float(filled), float(pictureHeight), false, false);
    int32_t x, y;
    GetAbsPos(x, y);
    const int32_t rect[4] = {x + barLeft, y + barTop, x + barLeft + filled, y + barBottom};
    DrawStretched(gfx, bar, rect, kWhite);
}
