// DXC_GuiScaleableText: fitting the window to its text and drawing it.
#include "engine/gui/DXC_GuiScaleableText.h"

#include <algorithm>
#include <cmath>

DXC_GuiScaleableText::DXC_GuiScaleableText()
{
    SetInsets(kFrameInset, kFrameInset, kFrameInset, kFrameInset);
    SetName("DXC_GuiScaleableText");
}

void DXC_GuiScaleableText::FitToText()
{
    if (!layoutDirty || (!autoWidth && !autoHeight))
        return;
    if (autoHeight)
        SetSize(maxWidth, maxHeight);  // the text laid out in the largest area
    Layout();
    if (layoutDirty)
        return;  // nothing to measure with
    int32_t width, height;
    GetSize(width, height);
    const int32_t textW = int32_t(std::ceil(textWidth));
    const int32_t textH = int32_t(std::ceil(textHeight));
    if (autoWidth)
        width = textW + insets[kInsetLeft] + insets[kInsetRight];
    if (autoHeight)
        height = std::min(textH + insets[kInsetTop] + insets[kInsetBottom], maxHeight);
    SetSize(width, height);
    Layout();  // the new size is the area the text is drawn in
    const int32_t inner = height - insets[kInsetTop] - insets[kInsetBottom];
    textOffsetY = centreVertically && textH < inner ? float(inner - textH) * 0.5f : 0.0f;
}

void DXC_GuiScaleableText::Render()
{
    FitToText();
    DXC_GuiTextViewerTmp<DXC_GuiTexFieldScaleable>::Render();
}
