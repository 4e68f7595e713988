// CConsoleGui: the console's framed one-field input window, which grows with the text typed into
// it and spans the width of the screen less a fixed margin; with it the text bar (BarGui), a bar
// showing a fill fraction under a centred caption, and the frame an interactive scene runs in.
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiInputText.h"
#include "engine/gui/DXC_GuiTexFieldScaleable.h"
#include "engine/gui/DXC_GuiText.h"

#include <algorithm>
#include <cstdint>

class CConsoleGui : public DXC_GuiTexFieldScaleable {
public:
    static constexpr int32_t kMeasureMargin = 327;  // the screen's width less this: the text's box
    static constexpr int32_t kWidthMargin = 307;    // the screen's width less this: the window's
    static constexpr int32_t kBottomMargin = 30;    // kept free below the window
    static constexpr int32_t kBorder = 10;          // around the input
    static constexpr int32_t kNoFontHeight = 100;

    CConsoleGui();
    ~CConsoleGui() override;

    void Render() override;
    void OnGotFocus() override;
    // Height by the input's text, at most down to kBottomMargin above the screen's bottom; width
    // by the screen.
    void Layout();

    void SetInputText(const wString& value) { input.SetText(value); }
    void SetText(const wString& value) { m_Text = value; }
    const wString& GetText() const { return m_Text; }
    DXC_GuiInputText& GetInput() { return input; }

private:
    void GetScreen(int32_t& width, int32_t& height) const;

    DXC_GuiInputText input;
    wString m_Text;
};

class BarGui : public virtual DXC_GuiField {
public:
    static constexpr uint32_t kCaptionColour = 0xFFD7CEB4u;
    static constexpr int32_t kWidth = 528;
    static constexpr int32_t kHeight = 30;

    BarGui();
    ~BarGui() override;

    // The caption takes the manager's default font.
    void SetManager(DXC_GuiManager* guiManager) override;
    void Render() override;
    void SetSize(int32_t width, int32_t height) override;

    // Kept within 0 to 1.
    void SetFill(float fraction) { fill = std::clamp(double(fraction), 0.0, 1.0); }
    float GetFill() const { return float(fill); }
    void SetBarColour(uint32_t colour) { barColour = colour; }
    // The caption takes the colour at once.
    void SetCaptionColour(uint32_t colour)
    {
        captionColour = colour;
        caption.SetColour(colour);
    }
    void SetCaption(const wString& text) { caption.SetText(text); }
    const wString& GetCaption() const { return caption.GetText(); }
    DXC_Texture& GetBackground() { return background; }
    DXC_Texture& GetBar() { return bar; }

private:
    DXC_Texture background;
    DXC_Texture bar;
    DXC_GuiText caption;
    double fill = 0.0;
    uint32_t barColour = 0xFFFFFFFFu;
    uint32_t captionColour = kCaptionColour;
};

// The frame an interactive scene runs in; it has no behaviour of its own.
class InteractiveRTXGui : public DXC_GuiTexFieldScaleable {
public:
    InteractiveRTXGui() { SetName("InteractiveRTXGui"); }
};
