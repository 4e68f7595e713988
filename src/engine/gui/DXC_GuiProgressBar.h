// DXC_GuiProgressBar: a picture field that draws a second picture, the bar, over a rectangle of
// its own, cropped (not squeezed) to a fraction of the bar's width.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <algorithm>
#include <cstdint>

class DXC_GuiProgressBar : public DXC_GuiTexField, public virtual DXC_GuiField {
public:
    DXC_GuiProgressBar() { SetName("DXC_GuiProgressBar"); }

    void Render() override;

    void SetBarTexture(const DXC_Texture* texture);
    // The rectangle the full bar covers, relative to the field.
    void SetBarInsets(int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        barLeft = left;
        barTop = top;
        barRight = right;
        barBottom = bottom;
    }
    void GetBarInsets(int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) const
    {
        left = barLeft;
        top = barTop;
        right = barRight;
        bottom = barBottom;
    }
    void SetFraction(float value) { fraction = std::clamp(value, 0.0f, 1.0f); }
    float GetFraction() const { return fraction; }
    DXC_Texture& GetBar() { return bar; }

protected:
    DXC_Texture bar;
    int32_t barLeft = 0;
    int32_t barTop = 0;
    int32_t barRight = 0;
    int32_t barBottom = 0;
    float fraction = 0.0f;
};
