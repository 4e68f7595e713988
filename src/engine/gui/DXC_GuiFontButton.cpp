// DXC_GuiFontButton: the default colours, hovering, blinking and the label's drawing.
#include "engine/gui/DXC_GuiFontButton.h"

#include "engine/gfx/DXC_Font.h"
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gfx/DXC_PrintfContainer.h"
#include "engine/gui/DXC_GuiFontScope.h"
#include "engine/gui/DXC_GuiManager.h"

#include <cmath>

void DXC_GuiFontButton::SetManager(DXC_GuiManager* guiManager)
{
    DXC_GuiButton::SetManager(guiManager);
    if (guiManager && colourNormal == kColourUnset && colourPressed == kColourUnset && colourHover == kColourUnset)
        guiManager->GetDefaultButtonColours(colourNormal, colourPressed, colourHover);
}

void DXC_GuiFontButton::SetFont(DXC_Font* value)
{
    font = value;
    if (value)
        scale = double(value->GetScale());
}

void DXC_GuiFontButton::StartBlink(bool on)
{
    if (!on) {
        blinkStart = -1.0;
        return;
    }
    if (blinkStart > 0.0)
        return;
    blinkStart = manager ? manager->GetTime() : -1.0;
}

bool DXC_GuiFontButton::IsHovered()
{
    if (!hoverEnabled || !manager)
        return false;
    if (IsOpen() && manager->IsTopmostUnderMouse(this, false))
        return true;
    DXC_GuiField* partner = hoverPartner.Get();
    return partner && partner->IsOpen() && manager->IsTopmostUnderMouse(partner, false);
}

uint32_t DXC_GuiFontButton::GetLabelColour()
{
    if (state == 0 && IsHovered())
        return colourHover;
    if (state == 1)
        return colourPressed;
    if (blinkStart > 0.0 && blinkPeriod > 0.0 && manager) {
        const double phase = (manager->GetTime() - blinkStart) / blinkPeriod;
        return phase - std::floor(phase) <= 0.5 ? colourBlink : colourNormal;
    }
    return colourNormal;
}

DXC_Font* DXC_GuiFontButton::ResolveFont()
{
    if (font)
        return font;
    return manager ? manager->GetDefaultFont() : nullptr;
}

void DXC_GuiFontButton::GetTextExtent(int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    DXC_GuiFontScope scope(gfx, ResolveFont(), float(scale), 0);
    if (!scope.CanDraw())
        return;
    DXC_PrintfOptions options;
    gfx->SavePrintfOptions();
    gfx->SetPrintfOptions(options);
    POINT size{};
    gfx->GetTextExtentW(size, 0, u"%s", label.c_str());
    gfx->RestorePrintfOptions();
    width = int32_t(size.x);
    height = int32_t(size.y);
}

void DXC_GuiFontButton::Render()
{
    if (!label.IsEmpty()) {
        DXC_GuiFontScope scope(gfx, ResolveFont(), float(scale), GetLabelColour());
        if (scope.CanDraw()) {
            int32_t w, h;
            GetTextExtent(w, h);
            int32_t x, y, width, height;
            GetAbsPos(x, y);
            GetSize(width, height);
            if (labelAlign == kAlignCentre)
                x += (width - w) / 2;
            else if (labelAlign == kAlignRight)
                x += width - w;
            y += (height - h) / 2;
            DXC_PrintfOptions options;
            gfx->SavePrintfOptions();
            gfx->SetPrintfOptions(options);
            gfx->PrintfW(x + labelOffsetX, y + labelOffsetY, u"%s", label.c_str());
            gfx->RestorePrintfOptions();
        }
    }
    DXC_GuiButton::Render();
}
