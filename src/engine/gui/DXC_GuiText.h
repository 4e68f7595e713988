// DXC_GuiText: a label: its text in a font, scale and colour, aligned in the field, with an
// optional picture on each side, drawn over its children; it counts the presses it receives.
#pragma once
#include "base/String.h"
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiField.h"

#include <cstdint>

class DXC_Font;

class DXC_GuiText : public virtual DXC_GuiField {
public:
    // alignH values (alignV: 2 centres, 5 bottom, others top).
    static constexpr int32_t kAlignLeft = 1;
    static constexpr int32_t kAlignCentre = 2;
    static constexpr int32_t kAlignRight = 3;
    static constexpr int32_t kAlignTop = 4;
    static constexpr int32_t kAlignBottom = 5;
    static constexpr uint32_t kDefaultColour = 0xFFC8C8C8u;

    DXC_GuiText() { SetName("DXC_GuiText"); }

    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    void Render() override;
    // The label laid out with the field's width as its line width, in the current font and scale.
    virtual void GetTextExtent(int32_t& width, int32_t& height);

    void SetText(const wString& value) { text = value; }
    const wString& GetText() const { return text; }
    // A null font means the manager's default font and text colour; scale 0 the font's own.
    void SetFont(DXC_Font* value, double fontScale = 0.0, uint32_t fontColour = kDefaultColour);
    DXC_Font* GetFont() const { return font; }
    void SetColour(uint32_t value) { colour = value; }
    uint32_t GetColour() const { return colour; }
    void SetAlignment(int32_t horizontal, int32_t vertical)
    {
        alignH = horizontal;
        alignV = vertical;
    }
    void SetOffset(int32_t x, int32_t y)
    {
        offsetX = x;
        offsetY = y;
    }
    // The left picture is the texture, the right one the same mirrored; none clears both.
    void SetSidePictures(const DXC_Texture* texture);
    void SetPictureRaise(double fraction) { pictureRaise = fraction; }
    // 1 wraps the label at the field's width; 0 keeps it on its lines.
    void SetTextStyle(uint8_t style) { textStyle = style; }
    int32_t GetPressCount() const { return pressCount; }
    // Where the last drawing put the text and the side pictures (absolute; 0 0 0 0 for a missing
    // picture).
    void GetTextPos(int32_t& x, int32_t& y) const
    {
        x = m_TextPos[0];
        y = m_TextPos[1];
    }
    const int32_t* GetLeftPictureRect() const { return m_PictureRects[0]; }
    const int32_t* GetRightPictureRect() const { return m_PictureRects[1]; }

protected:
    // The font the label draws with: its own, else the manager's default (whose colour then
    // becomes the label's).
    DXC_Font* ResolveFont();

    wString text;
    DXC_Font* font = nullptr;
    uint32_t colour = kDefaultColour;
    DXC_Texture leftPicture;
    DXC_Texture rightPicture;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    double scale = 0.0;
    double pictureRaise = 0.5;  // of (picture height - text height)
    int32_t pressCount = 0;
    int32_t alignH = kAlignLeft;
    int32_t alignV = kAlignTop;
    uint8_t textStyle = 0;

private:
    void DrawLabel();

    int32_t m_TextPos[2] = {0, 0};
    int32_t m_PictureRects[2][4] = {};  // left, top, right, bottom
};
