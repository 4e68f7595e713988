// CConsoleGui: the console's layout, focus and drawing; the text bar's caption and drawing.
#include "engine/gui/CConsoleGui.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiFontScope.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <algorithm>
#include <cmath>

CConsoleGui::CConsoleGui()
{
    SetName("CConsoleGui");
    input.SetPos(kBorder, kBorder);
    input.SetDrawPicture(false);
    input.SetLayout(0, 0, 0, 0, 0, 0);
    AddChild(&input);
    Layout();
}

CConsoleGui::~CConsoleGui() { RemoveChild(&input); }

void CConsoleGui::GetScreen(int32_t& width, int32_t& height) const
{
    width = 0;
    height = 0;
    if (manager)
        manager->GetScreenSize(width, height);
    else if (g_Gfx)
        g_Gfx->GetScreenSize(width, height);
}

void CConsoleGui::Layout()
{
    int32_t screenWidth, screenHeight;
    GetScreen(screenWidth, screenHeight);
    int32_t height = kNoFontHeight;
    if (DXC_Font* font = input.GetFont()) {
        float measured = 0.0f;
        DXC_GuiFontScope scope(gfx, font, 0.0f, 0);
        if (scope.CanDraw()) {
            DXC_PrintfOptions options;
            options.wrap = 1;  // the text breaks into lines within the box
            gfx->SavePrintfOptions();
            gfx->SetPrintfOptions(options);
            POINT size{};
            gfx->GetTextExtentW(size, std::max(screenWidth - kMeasureMargin, 0), u"%s", input.GetText().c_str());
            gfx->RestorePrintfOptions();
            measured = float(size.y);
        }
        const float line = font->GetGlyphHeight(font->GlyphOf(u' ')) * float(input.GetScale());
        height = int32_t(measured < line ? line : measured);
    }
    if (top + height + kBottomMargin >= screenHeight)
        height = screenHeight - top - kBottomMargin;
    const int32_t width = std::max(screenWidth - kWidthMargin, 0);
    height = std::max(height, 0);
    SetSize(width, height + 2 * kBorder);
    input.SetSize(std::max(width - 2 * kBorder, 0), height);
}

void CConsoleGui::OnGotFocus()
{
    Layout();
    DXC_GuiTexFieldScaleable::OnGotFocus();
    input.SetFocus(true);
}

void CConsoleGui::Render()
{
    Layout();
    DXC_GuiTexFieldScaleable::Render();
}

BarGui::BarGui()
{
    SetName("BarGui");
    caption.SetPos(0, 0);
    caption.SetAlignment(DXC_GuiText::kAlignCentre, DXC_GuiText::kAlignCentre);
    caption.SetColour(kCaptionColour);
    AddChild(&caption);
    SetSize(kWidth, kHeight);
}

BarGui::~BarGui() { RemoveChild(&caption); }

void BarGui::SetManager(DXC_GuiManager* guiManager)
{
    DXC_GuiField::SetManager(guiManager);
    if (guiManager)
        caption.SetFont(guiManager->GetDefaultFont(), 1.0, captionColour);
}

void BarGui::SetSize(int32_t width, int32_t height)
{
    DXC_GuiField::SetSize(width, height);
    caption.SetSize(width, height);
}

void BarGui::Render()
{
    int32_t rect[4];
    GetAbsRect(rect[0], rect[1], rect[2], rect[3]);
    const uint32_t opaque = barColour | 0xFF000000u;
    DXC_GuiTexField::DrawStretched(gfx, background, rect, opaque);
    if (bar.IsValid()) {
        int32_t pictureWidth, pictureHeight;
        bar.GetSize(pictureWidth, pictureHeight);
        const int32_t filled = int32_t(std::lround(double(pictureWidth) * fill));
        bar.SetSourceRect(0.0f, 0.0f, float(filled), float(pictureHeight), false, false);
        int32_t barRect[4] = {rect[0], rect[1], rect[0] + filled, rect[3]};
        if (filled > 0)
            DXC_GuiTexField::DrawStretched(gfx, bar, barRect, barColour);
    }
    DXC_GuiField::Render();
}
