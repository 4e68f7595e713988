// DXC_GuiScaleableText: a framed text window that sizes itself to its text; the GUI manager's
// tooltip window is one, and its frame is the default frame of every other. So far the least the
// tooltip needs: the text with its changed flag, a size of the laid-out text plus the frame insets,
// and the text drawn at its corner over the frame; the text viewer comes with its own widget.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiTexFieldScaleable.h"

class DXC_GuiScaleableText : public DXC_GuiTexFieldScaleable, public virtual DXC_GuiField {
public:
    static constexpr int32_t kFrameInset = 16;  // on every side
    static constexpr int32_t kMaxSize = 512;

    DXC_GuiScaleableText() { SetName("DXC_GuiScaleableText"); }

    void SetText(const wString& text)
    {
        m_Text = text;
        m_Changed = 1;
    }
    const wString& GetText() const { return m_Text; }
    void MarkChanged() { m_Changed = 1; }
    bool IsChanged() const { return m_Changed != 0; }
    // Takes the size of the text (at most kMaxSize square) plus the frame when it changed.
    void FitToText();
    void Render() override;

private:
    wString m_Text;
    uint8_t m_Changed = 0;
};
