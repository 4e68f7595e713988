// DXC_GuiFontScope: a widget's font made current for one drawing or measuring pass. Setting a
// font writes the widget's scale and colour into the font itself, and fonts are shared by every
// widget, so the scope puts the font's own scale and colour and the graphics object's previous
// font back when it ends.
#pragma once
#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"

#include <cstdint>

class DXC_GuiFontScope {
public:
    // Without a device, or with a font that is not loaded, only the font's scale changes (for
    // measuring) and nothing can be drawn.
    DXC_GuiFontScope(DXC_Gfx* graphics, DXC_Font* font, float scale, uint32_t colour)
    {
        if (!font)
            return;
        m_Font = font;
        m_Scale = font->GetScale();
        m_Colour = font->GetColor();
        if (graphics && graphics->HasDevice() && font->IsLoaded()) {
            m_Gfx = graphics;
            m_Previous = graphics->GetFont();
            graphics->SetFont(font, scale, colour);
        } else if (scale != 0.0f) {
            font->SetScale(scale);
        }
    }
    ~DXC_GuiFontScope()
    {
        if (!m_Font)
            return;
        m_Font->SetScale(m_Scale);
        m_Font->SetColor(m_Colour);
        if (m_Gfx && m_Previous && m_Previous != m_Font && m_Previous->IsLoaded())
            m_Gfx->SetFont(m_Previous, 0.0f, 0);
    }
    DXC_GuiFontScope(const DXC_GuiFontScope&) = delete;
    DXC_GuiFontScope& operator=(const DXC_GuiFontScope&) = delete;

    DXC_Font* Font() const { return m_Font; }
    // Whether text can be drawn: the font is the graphics object's current one.
    bool CanDraw() const { return m_Gfx != nullptr; }

private:
    DXC_Gfx* m_Gfx = nullptr;
    DXC_Font* m_Font = nullptr;
    DXC_Font* m_Previous = nullptr;
    float m_Scale = 1.0f;
    uint32_t m_Colour = 0;
};
