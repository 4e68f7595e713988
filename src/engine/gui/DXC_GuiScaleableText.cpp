// DXC_GuiScaleableText: fitting the window to its text and drawing the text.
#include "engine/gui/DXC_GuiScaleableText.h"

#include "engine/gfx/DXC_Gfx.h"

#include <algorithm>

void DXC_GuiScaleableText::FitToText()
{
    if (!m_Changed)
        return;
    m_Changed = 0;
    POINT extent{};
    if (gfx)
        gfx->GetTextExtentW(extent, kMaxSize - 2 * kFrameInset, u"%s", m_Text.c_str());
    SetSize(std::min(int32_t(extent.x) + 2 * kFrameInset, kMaxSize),
            std::min(int32_t(extent.y) + 2 * kFrameInset, kMaxSize));
}

void DXC_GuiScaleableText::Render()
{
    FitToText();
    if (drawFrame) {
        FollowDrag();
        DrawFrame();
    }
    if (gfx && gfx->HasDevice() && !m_Text.IsEmpty()) {
        int32_t x;
        int32_t y;
        GetAbsPos(x, y);
        gfx->PrintfW(x + kFrameInset, y + kFrameInset, u"%s", m_Text.c_str());
    }
    DXC_GuiField::Render();
}
