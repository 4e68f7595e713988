// DXC_GuiScrollBar: range and position, the arrow buttons' layout and clicks, the thumb's drag and
// the drawing of track and thumb.
#include "engine/gui/DXC_GuiScrollBar.h"

#include "engine/gui/DXC_GuiManager.h"

#include <algorithm>
#include <cmath>
#include <utility>

DXC_GuiScrollBar::DXC_GuiScrollBar()
{
    SetName("DXC_GuiScrollBar");
    for (DXC_GuiTexButton* arrow : {&decreaseButton, &increaseButton}) {
        arrow->SetPos(0, 0);
        AddChild(arrow);
    }
}

void DXC_GuiScrollBar::OnOpenChanged(bool open)
{
    if (!open && !keepPositionOnClose)
        position = 0.0f;
    DXC_GuiField::OnOpenChanged(open);
}

void DXC_GuiScrollBar::SetSize(int32_t width, int32_t height)
{
    DXC_GuiTexField::SetSize(width, height);
    if (orientation == kHorizontal) {
        decreaseButton.SetSize(height, height);
        increaseButton.SetSize(height, height);
        increaseButton.SetPos(width - height, 0);
    } else {
        decreaseButton.SetSize(width, width);
        increaseButton.SetSize(width, width);
        increaseButton.SetPos(0, height - width);
    }
    decreaseButton.SetPos(0, 0);
}

DXC_GuiField* DXC_GuiScrollBar::OnMouse(int32_t button, int32_t event, int32_t x, int32_t y)
{
    if (button == 0 && event == kMousePressed && !decreaseButton.IsPointInside(x, y) &&
        !increaseButton.IsPointInside(x, y))
        thumbDragging = 1;
    else if (button == 0 && event == kMouseReleased)
        thumbDragging = 0;
    DXC_GuiField* result = DXC_GuiField::OnMouse(button, event, x, y);
    for (int32_t clicks = decreaseButton.GetClicks(true); clicks > 0; --clicks)
        SetValue(GetValue() - step);
    for (int32_t clicks = increaseButton.GetClicks(true); clicks > 0; --clicks)
        SetValue(GetValue() + step);
    return result;
}

void DXC_GuiScrollBar::OnLostFocus()
{
    thumbDragging = 0;
    DXC_GuiField::OnLostFocus();
}

int32_t DXC_GuiScrollBar::GetValue() const
{
    return int32_t((double(maxValue) - double(minValue)) * double(position) + double(minValue) + 0.5);
}

void DXC_GuiScrollBar::SetValue(int32_t v)
{
    const double range = double(maxValue) - double(minValue);
    position = range == 0.0 ? 0.0f : float(std::clamp((double(v) - double(minValue)) / range, 0.0, 1.0));
}

void DXC_GuiScrollBar::SetPosition(float p) { position = std::clamp(p, 0.0f, 1.0f); }

void DXC_GuiScrollBar::SetRange(int32_t min, int32_t max)
{
    const int32_t kept = GetValue();
    if (min > max)
        std::swap(min, max);
    minValue = min;
    maxValue = max;
    SetValue(kept);
}

void DXC_GuiScrollBar::SetSkin(const DXC_Texture* thumbPicture, const DXC_Texture* arrowNormal,
                               const DXC_Texture* arrowPressed, const DXC_Texture* arrowHover)
{
    if (thumbPicture && thumbPicture->IsValid())
        thumbPicture->Clone(thumb, 1, -1);
    const DXC_Texture* arrows[3] = {arrowNormal, arrowPressed, arrowHover};
    for (DXC_GuiTexButton* arrow : {&decreaseButton, &increaseButton}) {
        arrow->SetNormalTexture(arrows[0], false, kWhite);
        arrow->SetPressedTexture(arrows[1], false, kWhite);
        arrow->SetHoverTexture(arrows[2], false, kWhite);
    }
    for (int32_t state = 0; state < DXC_GuiTexButtonBase::kStates; ++state) {
        DXC_Texture& mirrored = increaseButton.GetPicture(state);
        if (orientation == kVertical)
            mirrored.FlipVertical();
        else
            mirrored.FlipHorizontal();
    }
}

// The skin's arrows point up: the horizontal bar turns them a quarter each way.
void DXC_GuiScrollBar::TakeDefaultSkin()
{
    if (!manager)
        return;
    const int32_t track = orientation == kHorizontal ? DXC_GuiManager::kScrollTrackHorizontal
                                                     : DXC_GuiManager::kScrollTrackVertical;
    if (!picture.IsValid() && manager->GetScrollBarSkin(track).IsValid())
        manager->GetScrollBarSkin(track).Clone(picture, 1, -1);
    if (!thumb.IsValid() && manager->GetScrollBarSkin(DXC_GuiManager::kScrollThumb).IsValid())
        manager->GetScrollBarSkin(DXC_GuiManager::kScrollThumb).Clone(thumb, 1, -1);
    if (decreaseButton.GetPicture(DXC_GuiTexButtonBase::kNormal).IsValid() ||
        !manager->GetScrollBarSkin(DXC_GuiManager::kScrollArrowNormal).IsValid())
        return;
    for (int32_t state = 0; state < DXC_GuiTexButtonBase::kStates; ++state) {
        const DXC_Texture* source = &manager->GetScrollBarSkin(DXC_GuiManager::kScrollArrowNormal + state);
        if (state == DXC_GuiTexButtonBase::kNormal) {
            decreaseButton.SetNormalTexture(source, false, kWhite);
            increaseButton.SetNormalTexture(source, false, kWhite);
        } else if (state == DXC_GuiTexButtonBase::kPressed) {
            decreaseButton.SetPressedTexture(source, false, kWhite);
            increaseButton.SetPressedTexture(source, false, kWhite);
        } else {
            decreaseButton.SetHoverTexture(source, false, kWhite);
            increaseButton.SetHoverTexture(source, false, kWhite);
        }
        DXC_Texture& decrease = decreaseButton.GetPicture(state);
        DXC_Texture& increase = increaseButton.GetPicture(state);
        if (orientation == kHorizontal) {
            decrease.Rotate90(false);
            increase.Rotate90(true);
        } else {
            increase.FlipVertical();
        }
    }
}

void DXC_GuiScrollBar::DrawPicture()
{
    int32_t rect[4];
    GetAbsRect(rect[0], rect[1], rect[2], rect[3]);
    if (orientation == kHorizontal) {
        const int32_t half = (rect[3] - rect[1]) / 2;
        rect[0] += half;
        rect[2] -= half;
    } else {
        const int32_t half = (rect[2] - rect[0]) / 2;
        rect[1] += half;
        rect[3] -= half;
    }
    DrawStretched(gfx, picture, rect, kWhite);
}

// A bar too short for its two arrows and its thumb has no track to move along: the position stays.
void DXC_GuiScrollBar::DragThumb()
{
    int32_t mouseX, mouseY, w, h;
    GetMouseOffset(mouseX, mouseY);
    GetSize(w, h);
    const bool horizontal = orientation == kHorizontal;
    const int32_t track = horizontal ? w - 2 * h - thumbLength : h - 2 * w - thumbLength;
    if (track <= 0)
        return;
    const float mouse = float(horizontal ? mouseX - h : mouseY - w) - float(thumbLength) / 2.0f;
    position = std::clamp(mouse / float(track), 0.0f, 1.0f);
}

void DXC_GuiScrollBar::DrawThumb()
{
    int32_t x, y, w, h;
    GetAbsPos(x, y);
    GetSize(w, h);
    int32_t rect[4];
    if (orientation == kHorizontal) {
        rect[0] = x + h + int32_t(std::round(float(w - 2 * h - thumbLength) * position));
        rect[1] = y;
        rect[2] = rect[0] + thumbLength;
        rect[3] = y + h;
    } else {
        rect[0] = x;
        rect[1] = y + w + int32_t(std::round(float(h - 2 * w - thumbLength) * position));
        rect[2] = x + w;
        rect[3] = rect[1] + thumbLength;
    }
    DrawStretched(gfx, thumb, rect, kWhite);
}

void DXC_GuiScrollBar::Render()
{
    if (hideWhenEmpty && minValue == maxValue)
        return;
    TakeDefaultSkin();
    DXC_GuiTexField::Render();
    if (thumbDragging && manager)
        DragThumb();
    DrawThumb();
}
