// DXC_GuiText: the label's font, side pictures, press count, measuring and drawing.
#include "engine/gui/DXC_GuiText.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiFontScope.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <cmath>

void DXC_GuiText::SetFont(DXC_Font* value, double fontScale, uint32_t fontColour)
{
    font = value;
    if (!value)
        return;
    scale = fontScale != 0.0 ? fontScale : double(value->GetScale());
    colour = fontColour;
}

void DXC_GuiText::SetSidePictures(const DXC_Texture* texture)
{
    if (!texture || !texture->IsValid()) {
        leftPicture.Release();
        rightPicture.Release();
        return;
    }
    texture->Clone(leftPicture, 1, -1);
    texture->Clone(rightPicture, 1, -1);
    rightPicture.FlipHorizontal();
}

DXC_GuiField* DXC_GuiText::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    if (event == kMousePressed)
        ++pressCount;
    return DXC_GuiField::OnMouse(button, event, x, y);
}

DXC_Font* DXC_GuiText::ResolveFont()
{
    if (font)
        return font;
    if (!manager)
        return nullptr;
    colour = manager->GetDefaultTextColour();
    return manager->GetDefaultFont();
}

void DXC_GuiText::GetTextExtent(int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    DXC_GuiFontScope scope(gfx, ResolveFont(), float(scale), colour);
    if (!scope.CanDraw())
        return;
    DXC_PrintfOptions options;
    options.wrap = textStyle;
    gfx->SavePrintfOptions();
    gfx->SetPrintfOptions(options);
    POINT size{};
    gfx->GetTextExtentW(size, right - left, u"%s", text.c_str());
    gfx->RestorePrintfOptions();
    width = int32_t(size.x);
    height = int32_t(size.y);
}

void DXC_GuiText::Render()
{
    DXC_GuiField::Render();  // the label lies over the children
    DrawLabel();
}

void DXC_GuiText::DrawLabel()
{
    DXC_GuiFontScope scope(gfx, ResolveFont(), float(scale), colour);
    if (!scope.CanDraw())
        return;
    int32_t textWidth, textHeight;
    GetTextExtent(textWidth, textHeight);
    int32_t x, y;
    GetAbsPos(x, y);
    x += offsetX;
    y += offsetY;
    const int32_t gap = int32_t(std::lround(gfx->GetCharWidth(u' ') * 0.5f));
    DXC_Texture* pictures[2] = {&leftPicture, &rightPicture};
    for (int32_t side = 0; side < 2; ++side) {
        int32_t* rect = m_PictureRects[side];
        rect[0] = rect[1] = rect[2] = rect[3] = 0;
        if (!pictures[side]->IsValid())
            continue;
        int32_t w, h;
        pictures[side]->GetDrawSizeInt(w, h);
        rect[0] = side == 0 ? x - w - gap : x + textWidth + gap;
        rect[1] = y + (textHeight - h) / 2 - int32_t(std::lround(double(h - textHeight) * pictureRaise));
        rect[2] = rect[0] + w;
        rect[3] = rect[1] + h;
    }
    int32_t width, height;
    GetSize(width, height);
    const int32_t dx = alignH == kAlignCentre ? (width - textWidth) / 2 : alignH == kAlignRight ? width - textWidth : 0;
    const int32_t dy = alignV == kAlignCentre ? (height - textHeight) / 2 : alignV == kAlignBottom ? height - textHeight : 0;
    for (int32_t side = 0; side < 2; ++side) {
        if (!pictures[side]->IsValid())
            continue;
        m_PictureRects[side][0] += dx;
        m_PictureRects[side][2] += dx;
        m_PictureRects[side][1] += dy;
        m_PictureRects[side][3] += dy;
    }
    m_TextPos[0] = x + dx;
    m_TextPos[1] = y + dy;

    DXC_PrintfOptions options;
    options.wrap = textStyle;
    gfx->SavePrintfOptions();
    gfx->SetPrintfOptions(options);
    int32_t l, t, r, b;
    GetAbsRect(l, t, r, b);
    const RECT clip{l, t, r, b};
    gfx->PrintfInRectW(POINT{m_TextPos[0], m_TextPos[1]}, clip, u"%s", text.c_str());
    gfx->RestorePrintfOptions();
    for (int32_t side = 0; side < 2; ++side) {
        DXC_GuiTexField::DrawStretched(gfx, *pictures[side], m_PictureRects[side], DXC_GuiTexField::kWhite);
    }
}
