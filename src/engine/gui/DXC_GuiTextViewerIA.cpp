// DXC_GuiTextViewerIA: the highlight, the selection by click and the markers.
#include "engine/gui/DXC_GuiTextViewerIA.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiFontScope.h"

#include <cmath>

DXC_GuiTextViewerIA::DXC_GuiTextViewerIA()
{
    hoverEnabled = 1;
    SetName("DXC_GuiTextViewerIA");
}

void DXC_GuiTextViewerIA::OnLayoutEntry(int32_t index)
{
    entryColour = index == hoveredEntry ? highlightColour : textColour;
}

DXC_GuiField* DXC_GuiTextViewerIA::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    if (button == 0 && event == kMouseClicked)
        selectedEntry = hoveredEntry;
    return DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>::OnMouse(button, event, x, y);
}

int32_t DXC_GuiTextViewerIA::TakeSelection()
{
    const int32_t taken = selectedEntry;
    selectedEntry = -1;
    return taken;
}

void DXC_GuiTextViewerIA::Render()
{
    // The highlight is a colour of the laid-out text: a new hovered entry lays it out again.
    if (hoveredEntry != lastHovered)
        layoutDirty = 1;
    lastHovered = hoveredEntry;
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx>::Render();
    if (marker < 1 || entries.GetSize() == 0 || !gfx || !gfx->HasDevice() || !IsOpen())
        return;
    DXC_GuiFontScope scope(gfx, ResolveFont(), 0.0f, textColour);
    if (!scope.CanDraw())
        return;
    int32_t l, t, r, b;
    GetTextArea(l, t, r, b);
    int32_t x, y;
    GetAbsPos(x, y);
    const float markerWidth = gfx->GetCharWidth(char16_t(marker));
    const float spaceWidth = gfx->GetCharWidth(u' ');
    const RECT clip{x + l - int32_t(std::ceil(markerWidth + spaceWidth)), y + t, x + r, y + b};
    for (int32_t i = 0; i < entries.GetSize(); ++i) {
        const TextEntry* entry = entries.GetAt(i);
        if (!entry)
            continue;
        const int32_t top = y + t + int32_t(std::lround(entry->top + textOffsetY)) - int32_t(std::trunc(scrollY));
        if (top + int32_t(entry->height) < y + t || top >= y + b)
            continue;  // not visible
        const POINT at{x + l - int32_t(std::lround(markerWidth + spaceWidth)), top};
        gfx->PrintfInRectW(at, clip, u"%c", marker);
    }
}
