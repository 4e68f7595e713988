// DXC_GuiScaleableText: a framed text window that sizes itself to its text; the GUI manager's
// tooltip window is one. So far the least the tooltip needs: the text with its changed flag, the
// frame description it is given, a size of the laid-out text plus the frame insets, and the text
// drawn at its corner; the scalable frame and the text viewer come with their own widgets.
#pragma once
#include "base/String.h"
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/ToolTipSkin.h"

class DXC_GuiScaleableText : public virtual DXC_GuiField {
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
    void SetFrame(const ToolTipSkin& skin) { m_Frame = skin; }
    const ToolTipSkin& GetFrame() const { return m_Frame; }
    // Takes the size of the text (at most kMaxSize square) plus the frame when it changed.
    void FitToText();
    void Render() override;

private:
    wString m_Text;
    uint8_t m_Changed = 0;
    ToolTipSkin m_Frame;
};
