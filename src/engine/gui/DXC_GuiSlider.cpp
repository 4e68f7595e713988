// DXC_GuiSlider: the knob's grab and drag, the value and its steps, the track's size and the
// slider pictures of DXC_GuiSliderEx.
#include "engine/gui/DXC_GuiSlider.h"

#include "base/File.h"
#include "engine/gfx/DXC_Gfx.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

const char* const kKnobPictures[2] = {"graphics\\gui\\ui_slider_bar_h.png", "graphics\\gui\\ui_slider_bar_v.png"};
const char* const kTrackPictures[2] = {"graphics\\gui\\ui_slider_bg_h.png", "graphics\\gui\\ui_slider_bg_v.png"};

}  // namespace

DXC_GuiSlider::DXC_GuiSlider()
{
    SetName("DXC_GuiSlider");
    // The slider takes every mouse event itself; the knob lies in front of the track.
    for (DXC_GuiTexField* part : {&knob, &track}) {
        part->SetMouseFlags(0);
        part->SetFixedOrder(true);
        AddChild(part);
    }
}

void DXC_GuiSlider::OnOpenChanged(bool open)
{
    if (!open)
        knobDragging = 0;
    DXC_GuiField::OnOpenChanged(open);
}

void DXC_GuiSlider::SetSize(int32_t width, int32_t height)
{
    DXC_GuiField::SetSize(width, height);
    const int32_t ends = trackInsets[kInsetStart] + trackInsets[kInsetEnd];
    if (vertical) {
        track.SetPos(0, trackInsets[kInsetStart]);
        track.SetSize(trackInsets[kThicknessVertical], height - ends);
    } else {
        track.SetPos(trackInsets[kInsetStart], 0);
        track.SetSize(width - ends, trackInsets[kThicknessHorizontal]);
    }
}

DXC_GuiField* DXC_GuiSlider::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    if (button == 0 && event == kMousePressed && knob.IsPointInside(x, y)) {
        int32_t knobX, knobY;
        knob.GetPos(knobX, knobY);
        knobDragging = 1;
        grabX = x - knobX;
        grabY = y - knobY;
    } else if (button == 0 && event == kMouseReleased) {
        knobDragging = 0;
    }
    return DXC_GuiField::OnMouse(button, event, x, y);
}

void DXC_GuiSlider::SetValue(float v)
{
    value = std::clamp(v, std::min(minValue, maxValue), std::max(minValue, maxValue));
}

void DXC_GuiSlider::SetMax(float v)
{
    maxValue = v;
    SetValue(value);
}

void DXC_GuiSlider::SetVertical(bool flag)
{
    if ((vertical != 0) == flag)
        return;
    vertical = flag ? 1 : 0;
    for (DXC_GuiTexField* part : {&knob, &track}) {
        int32_t w, h;
        part->GetSize(w, h);
        part->SetSize(h, w);
    }
}

void DXC_GuiSlider::SetKnobTexture(const DXC_Texture* texture, int32_t width, int32_t height)
{
    knob.SetTexture(texture, width <= 0 || height <= 0);
    if (width > 0 && height > 0)
        knob.SetSize(width, height);
}

void DXC_GuiSlider::SetTrackTexture(const DXC_Texture* texture, int32_t thickness, int32_t startInset,
                                    int32_t endInset)
{
    track.SetTexture(texture, false);
    int32_t pictureW = 0, pictureH = 0;
    if (texture && texture->IsValid())
        texture->GetDrawSizeInt(pictureW, pictureH);
    trackInsets[kThicknessVertical] = thickness > 0 ? thickness : pictureW;
    trackInsets[kThicknessHorizontal] = thickness > 0 ? thickness : pictureH;
    trackInsets[kInsetStart] = startInset;
    trackInsets[kInsetEnd] = endInset;
    int32_t w, h;
    GetSize(w, h);
    SetSize(w, h);
}

int32_t DXC_GuiSlider::UsableLength() const
{
    int32_t knobW, knobH;
    knob.GetSize(knobW, knobH);
    const int32_t travel = vertical ? (bottom - top) - knobH : (right - left) - knobW;
    return travel - startMargin - endMargin;
}

// A knob as long as the track (or longer) has no travel: the value stays as it was.
void DXC_GuiSlider::DragKnob()
{
    int32_t mouseX, mouseY;
    GetMouseOffset(mouseX, mouseY);
    const int32_t p = vertical ? mouseY - grabY : mouseX - grabX;
    const int32_t usable = UsableLength();
    if (usable <= 0)
        return;
    float t = std::clamp(float(p - startMargin) / float(usable), 0.0f, 1.0f);
    if (steps >= 2)
        t = std::round(t * float(steps - 1)) / float(steps - 1);
    value = maxValue == minValue ? minValue : minValue + t * (maxValue - minValue);
}

void DXC_GuiSlider::PlaceKnob()
{
    const float range = maxValue - minValue;
    const float t = range == 0.0f ? 0.0f : (value - minValue) / range;
    const int32_t along = startMargin + int32_t(float(UsableLength()) * t);
    int32_t x, y;
    knob.GetPos(x, y);
    if (vertical)
        knob.SetPos(x, along);
    else
        knob.SetPos(along, y);
}

void DXC_GuiSlider::Render()
{
    if (knobDragging && manager)
        DragKnob();
    PlaceKnob();
    DXC_GuiField::Render();
}

// Loaded once: a slider is attached again whenever its window is.
void DXC_GuiSliderEx::SetManager(DXC_GuiManager* guiManager)
{
    DXC_GuiSlider::SetManager(guiManager);
    if (!guiManager || !gfx || knob.GetPicture().IsValid())
        return;
    const int32_t form = vertical ? 1 : 0;
    DXC_Texture knobPicture, trackPicture;
    if (File::Exists(kKnobPictures[form]))
        gfx->LoadTexture(&knobPicture, kKnobPictures[form], 0, -1, 0, 1);
    if (File::Exists(kTrackPictures[form]))
        gfx->LoadTexture(&trackPicture, kTrackPictures[form], 0, -1, 0, 1);
    if (knobPicture.IsValid())
        SetKnobTexture(&knobPicture, 0, 0);
    if (trackPicture.IsValid())
        SetTrackTexture(&trackPicture, 0, trackInsets[kInsetStart], trackInsets[kInsetEnd]);
    int32_t knobX, knobY, knobW, knobH;
    knob.GetPos(knobX, knobY);
    knob.GetSize(knobW, knobH);
    if (vertical)
        knob.SetPos((trackInsets[kThicknessVertical] - knobW) / 2, knobY);
    else
        knob.SetPos(knobX, (trackInsets[kThicknessHorizontal] - knobH) / 2);
}
