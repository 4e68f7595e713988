// DXC_GuiTextViewerScl: the window's set-up and drawing; the subtitle line.
#include "engine/gui/DXC_GuiTextViewerScl.h"

DXC_GuiTextViewerScl::DXC_GuiTextViewerScl()
{
    SetAutoSize(false, false);
    SetInsets(kFrameInset, kFrameInset, kFrameInset, kFrameInset);
    AddChild(&closeButton);
    SetName("DXC_GuiTextViewerScl");
}

DXC_GuiTextViewerScl::~DXC_GuiTextViewerScl() { RemoveChild(&closeButton); }

void DXC_GuiTextViewerScl::Render()
{
    UpdateCloseButton();
    DXC_GuiScaleableText::Render();
}

void SubTitleGui::ShowLine(const wString& line, float seconds)
{
    ClearFormattedText();
    AddFormattedLine(line);
    const int32_t count = GetTextCount();
    StartDisplay(seconds > 0.0f && count > 0 ? float(count) / seconds : 0.0f, kFadeWidth);
    m_DisplayTime = seconds;
}
