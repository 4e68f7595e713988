// DXC_GuiScrollBar: an integer range shown as a track with a thumb between two arrow buttons. The
// thumb follows the mouse inside Render while it is held; each arrow click moves the value by the
// step. Pictures it was not given come from the manager's default scroll-bar skin.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiTexButton.h"
#include "engine/gui/DXC_GuiTexField.h"

#include <cstdint>

class DXC_GuiScrollBar : public DXC_GuiTexField, public virtual DXC_GuiField {
public:
    static constexpr int32_t kHorizontal = 0;
    static constexpr int32_t kVertical = 1;

    DXC_GuiScrollBar();

    void OnOpenChanged(bool open) override;
    // The arrow buttons become squares of the bar's thickness at its two ends.
    void SetSize(int32_t width, int32_t height) override;
    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    void Render() override;
    void OnLostFocus() override;
    // The track between the centres of the two arrow buttons.
    void DrawPicture() override;

    int32_t GetValue() const;
    // The value's place in the range, 0 for an empty range.
    void SetValue(int32_t v);
    void SetPosition(float p);
    float GetPosition() const { return position; }
    // The present value is kept; ends given in reverse order are swapped.
    void SetRange(int32_t min, int32_t max);
    void GetRange(int32_t& min, int32_t& max) const
    {
        min = minValue;
        max = maxValue;
    }
    // The thumb and the three arrow pictures; the increase button's are mirrored.
    void SetSkin(const DXC_Texture* thumbPicture, const DXC_Texture* arrowNormal, const DXC_Texture* arrowPressed,
                 const DXC_Texture* arrowHover);
    void SetOrientation(int32_t value) { orientation = value; }
    int32_t GetOrientation() const { return orientation; }
    void SetStep(int32_t value) { step = value; }
    void SetThumbLength(int32_t pixels) { thumbLength = pixels; }
    bool IsThumbDragging() const { return thumbDragging != 0; }
    DXC_GuiTexButton& GetDecreaseButton() { return decreaseButton; }
    DXC_GuiTexButton& GetIncreaseButton() { return increaseButton; }
    DXC_Texture& GetThumb() { return thumb; }

    uint8_t hideWhenEmpty = 0;        // nothing is drawn while the range is empty
    uint8_t keepPositionOnClose = 1;  // clear: closing goes back to position 0

protected:
    // Pictures not loaded are taken from the manager's skin.
    void TakeDefaultSkin();
    void DragThumb();
    void DrawThumb();

    float position = 0.0f;
    int32_t step = 1;
    int32_t thumbLength = 16;
    DXC_Texture thumb;
    int32_t thumbDragging = 0;
    DXC_GuiTexButton decreaseButton;
    DXC_GuiTexButton increaseButton;
    int32_t orientation = kVertical;
    int32_t maxValue = 100;
    int32_t minValue = 0;
};
