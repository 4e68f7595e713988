// DXC_GuiTextViewerIA: a text viewer as a selection list: the entry under the mouse is
// highlighted, a click selects it, and a marker character may stand before every entry.
#pragma once
#include "engine/gui/DXC_GuiTextViewerTmp.h"

#include <cstdint>

class DXC_GuiTextViewerIA : public DXC_GuiTextViewerTmp<DXC_GuiTexFieldEx> {
public:
    DXC_GuiTextViewerIA();

    void OnLayoutEntry(int32_t index) override;
    // A click of button 0 selects the hovered entry (-1 when the mouse is over none).
    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    void Render() override;

    // The selection, taken once: it goes back to -1.
    int32_t TakeSelection();
    int32_t GetSelectedEntry() const { return selectedEntry; }
    void SetHighlightColour(uint32_t colour) { highlightColour = colour; }
    // Below 1 no marker is drawn.
    void SetMarker(int32_t character) { marker = character; }

protected:
    int32_t selectedEntry = -1;
    uint32_t highlightColour = 0xFFFFFFFFu;
    int32_t marker = -1;
    int32_t lastHovered = -1;  // the hovered entry of the last layout
};
