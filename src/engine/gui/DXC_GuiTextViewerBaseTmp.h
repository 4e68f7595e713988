// DXC_GuiTextViewerBaseTmp: the frame of the text viewer windows: the frame (a picture window with
// a close button, or a nine-piece frame) with a vertical scroll bar, the insets of the text area
// and mouse-wheel scrolling. The bar stays open only while the text is longer than the area; the
// viewer places it while it draws.
#pragma once
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiSlider.h"

#include <cstdint>

template <class Base>
class DXC_GuiTextViewerBaseTmp : public Base {
public:
    static constexpr int32_t kWheelStep = 35;  // pixels per wheel turn
    enum TextInset : int32_t { kInsetLeft, kInsetTop, kInsetRight, kInsetBottom, kInsets };

    DXC_GuiTextViewerBaseTmp()
    {
        this->SetName("DXC_GuiTextViewerBaseTmp");
        scrollBar.SetVertical(true);
        scrollBar.SetSize(16, 256);
        this->AddChild(&scrollBar);
        this->SetSize(300, 400);
    }
    ~DXC_GuiTextViewerBaseTmp() override { this->RemoveChild(&scrollBar); }

    // The frame takes the size; the bar runs the height of the text area.
    void SetSize(int32_t width, int32_t height) override
    {
        Base::SetSize(width, height);
        int32_t barW, barH;
        scrollBar.GetSize(barW, barH);
        scrollBar.SetSize(barW, height - insets[kInsetTop] - insets[kInsetBottom]);
    }

    // The bar is laid out again for the new text area.
    void SetInsets(int32_t left, int32_t top, int32_t right, int32_t bottom)
    {
        insets[kInsetLeft] = left;
        insets[kInsetTop] = top;
        insets[kInsetRight] = right;
        insets[kInsetBottom] = bottom;
        int32_t w, h;
        this->GetSize(w, h);
        SetSize(w, h);
    }

    void Render() override
    {
        if (this->manager && MouseOverFrame()) {
            const int32_t delta = this->manager->GetWheelDelta();
            if (delta != 0)
                scrollBar.SetValue(scrollBar.GetValue() + float(delta > 0 ? -kWheelStep : kWheelStep));
        }
        if (scrollBar.IsOpen() && scrollBar.GetMax() == scrollBar.minValue)
            scrollBar.SetOpenState(false);  // the text fits
        Base::Render();
    }

    DXC_GuiSliderEx& GetScrollBar() { return scrollBar; }
    int32_t GetInset(int32_t which) const { return insets[which]; }
    void SetTextColour(uint32_t colour) { textColour = colour; }
    uint32_t GetTextColour() const { return textColour; }
    void SetScrollBarWidth(int32_t width) { scrollBarWidth = width; }
    int32_t GetScrollBarWidth() const { return scrollBarWidth; }
    void SetScrollStep(float step) { scrollStep = step; }
    float GetScrollStep() const { return scrollStep; }

protected:
    bool MouseOverFrame()
    {
        int32_t x, y, w, h;
        this->GetMouseOffset(x, y);
        this->GetSize(w, h);
        return x >= 0 && y >= 0 && x < w && y < h;
    }

    DXC_GuiSliderEx scrollBar;
    int32_t insets[kInsets] = {16, 16, 16, 16};
    int32_t scrollBarWidth = 32;
    uint32_t textColour = 0xFF000000u;
    float scrollStep = 1.0f;
};
