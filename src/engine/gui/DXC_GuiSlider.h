// DXC_GuiSlider: a knob dragged along a track that gives a value between a minimum and a maximum,
// optionally in steps; the value follows the mouse inside Render while the knob is held.
// DXC_GuiSliderEx: the same with the toolkit's own slider pictures, loaded once it has a manager.
#pragma once
#include "engine/gui/DXC_GuiTexField.h"

#include <cstdint>

class DXC_Texture;

class DXC_GuiSlider : public DXC_GuiField {
public:
    // trackInsets
    enum TrackInset : int32_t { kThicknessVertical, kThicknessHorizontal, kInsetStart, kInsetEnd, kTrackInsets };

    DXC_GuiSlider();

    void OnOpenChanged(bool open) override;
    void SetSize(int32_t width, int32_t height) override;
    DXC_GuiField* OnMouse(int32_t button, int32_t event, int32_t x, int32_t y) override;
    void Render() override;

    // v clamped into the range, whichever way round its ends lie.
    void SetValue(float v);
    float GetValue() const { return value; }
    // The value is clamped into the new range.
    void SetMax(float v);
    float GetMax() const { return maxValue; }
    // Track and knob turn their width and height when the orientation changes.
    void SetVertical(bool flag);
    bool IsVertical() const { return vertical != 0; }
    // Without a size (0) the knob takes the picture's.
    void SetKnobTexture(const DXC_Texture* texture, int32_t width, int32_t height);
    // The track's thickness (0: the picture's, across the axis) and its two end insets.
    void SetTrackTexture(const DXC_Texture* texture, int32_t thickness, int32_t startInset, int32_t endInset);
    bool IsKnobDragging() const { return knobDragging != 0; }
    DXC_GuiTexField& GetKnob() { return knob; }
    DXC_GuiTexField& GetTrack() { return track; }

    float minValue = 0.0f;
    int32_t steps = 0;  // 2 or more: the value snaps to steps - 1 equal divisions
    int32_t startMargin = 0;  // track pixels at the two ends the knob does not enter
    int32_t endMargin = 0;

protected:
    // The knob's travel along the axis less the two margins.
    int32_t UsableLength() const;
    void PlaceKnob();
    void DragKnob();

    float maxValue = 1.0f;
    float value = 0.0f;
    uint8_t vertical = 0;
    int32_t knobDragging = 0;
    int32_t grabX = 0;  // where the knob was taken, relative to the knob
    int32_t grabY = 0;
    int32_t trackInsets[kTrackInsets] = {};
    DXC_GuiTexField track;
    DXC_GuiTexField knob;
};

class DXC_GuiSliderEx : public DXC_GuiSlider {
public:
    void SetManager(DXC_GuiManager* guiManager) override;
};
