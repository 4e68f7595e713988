// TenPixelFont: a font of the printable ASCII characters, every glyph 10 x 10 pixels with no
// extra spacing, so that every character advances 10 pixels; on a one-colour texture (the
// device's where there is one), set as the graphics object's current font.
#pragma once
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"

#include <string>

inline void MakeTenPixelFont(DXC_Gfx& gfx, DXC_Font& font)
{
    std::u16string set;
    for (char16_t c = 32; c < 127; c++)
        set += c;
    font.AllocateGlyphs(0, int32_t(set.size()) - 1, 0);
    font.SetCharacters(set.c_str(), int32_t(set.size()));
    for (int32_t i = 0; i < font.GetGlyphCount(); i++)
        font.m_Rects[i] = {0, 0, 10, 10};
    font.m_BaseSpacing = 0.0f;
    font.m_ExtraHeight = 0.0f;
    gfx.CreateSolidTexture(font.MakeTexture(), 64, 0xFFFFFFFFu);
    gfx.SetFont(&font, 0.0f, 0);
}
