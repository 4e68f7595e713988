// DXC_GuiScaleableText: a text viewer in a nine-piece frame that sizes itself to its text; the
// GUI manager's tooltip window is one, and its frame is the default frame of every other.
#pragma once
#include "engine/gui/DXC_GuiTextViewerTmp.h"

#include <cstdint>

class DXC_GuiScaleableText : public DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable> {
public:
    static constexpr int32_t kFrameInset = 16;  // on every side
    static constexpr int32_t kMaxSize = 512;

    DXC_GuiScaleableText();

    void Render() override;
    // Before its size is read: with a changed text and autoWidth or autoHeight, the window takes
    // the size of its text plus the frame (the height at most maxHeight); a text shorter than
    // the window sits in the middle when it centres vertically.
    void FitToText();
    void SetMaxSize(int32_t width, int32_t height)
    {
        maxWidth = width;
        maxHeight = height;
    }
    void SetAutoSize(bool width, bool height)
    {
        autoWidth = width ? 1 : 0;
        autoHeight = height ? 1 : 0;
    }

protected:
    uint8_t autoWidth = 1;
    uint8_t autoHeight = 1;
    int32_t maxWidth = kMaxSize;
    int32_t maxHeight = kMaxSize;
};
