// DXC_GuiFontButton: a button with a text label whose colour shows its state (normal, pressed,
// hovered) and can blink; colours never set take the manager's default button colours.
#pragma once
#include "base/SmartPtr.h"
#include "base/String.h"
#include "engine/gui/DXC_GuiButton.h"

#include <cstdint>

class DXC_Font;

class DXC_GuiFontButton : public DXC_GuiButton, public virtual DXC_GuiField {
public:
    static constexpr uint32_t kColourUnset = 0xFF010203u;  // all three still this: the manager's

    DXC_GuiFontButton() { SetName("DXC_GuiFontButton"); }

    void SetManager(DXC_GuiManager* guiManager) override;
    void Render() override;
    // The label's size as one line in its font and scale.
    virtual void GetTextExtent(int32_t& width, int32_t& height);

    // The font's own scale becomes the label's; null means the manager's default font.
    void SetFont(DXC_Font* value);
    DXC_Font* GetFont() const { return font; }
    void SetScale(double value) { scale = value; }
    void SetColours(uint32_t normal, uint32_t pressed, uint32_t hover)
    {
        colourNormal = normal;
        colourPressed = pressed;
        colourHover = hover;
    }
    uint32_t GetColourNormal() const { return colourNormal; }
    uint32_t GetColourPressed() const { return colourPressed; }
    uint32_t GetColourHover() const { return colourHover; }
    void SetBlink(uint32_t colour, double period)
    {
        colourBlink = colour;
        blinkPeriod = period;
    }
    // On starts a blink unless one runs; off stops it.
    void StartBlink(bool on);
    void SetLabelCentred(bool flag) { labelAlign = flag ? kAlignCentre : kAlignLeft; }
    void SetLabelAlign(int32_t align) { labelAlign = align; }
    void SetLabel(const wString& text) { label = text; }
    void SetLabel(const char* text) { label = wString(text); }
    const wString& GetLabel() const { return label; }
    void SetHoverEnabled(bool flag) { hoverEnabled = flag ? 1 : 0; }
    void SetLabelOffset(int32_t x, int32_t y)
    {
        labelOffsetX = x;
        labelOffsetY = y;
    }
    // Hovering over that field counts as hovering over the button.
    void SetHoverPartner(DXC_GuiField* partner) { hoverPartner = partner; }
    // The colour the label is drawn in now.
    uint32_t GetLabelColour();
    // Hovering is on and the button or its partner is the topmost field under the mouse.
    bool IsHovered();

protected:
    static constexpr int32_t kAlignLeft = 1;
    static constexpr int32_t kAlignCentre = 2;
    static constexpr int32_t kAlignRight = 3;

    DXC_Font* ResolveFont();

    DXC_Font* font = nullptr;
    uint32_t colourNormal = kColourUnset;
    uint32_t colourPressed = kColourUnset;
    uint32_t colourHover = kColourUnset;
    uint32_t colourBlink = 0xFF000000u;
    double blinkPeriod = -1.0;  // seconds
    double blinkStart = -1.0;   // GUI time; positive while blinking
    wString label;
    double scale = 1.0;
    int32_t hoverEnabled = 0;
    int32_t labelOffsetX = 0;
    int32_t labelOffsetY = 0;
    SmartPtr<DXC_GuiField> hoverPartner;
    int32_t labelAlign = kAlignLeft;
};
