// DXC_GuiScrollFieldTmp: a field whose children live on an inner content field that a horizontal
// and a vertical bar move under a clipping viewport; the bars open only while the content is
// larger than the field. Instantiated over DXC_GuiField as DXC_GuiScrollField.
#pragma once
#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiSlider.h"

#include <algorithm>
#include <cstdint>

template <class Base>
class DXC_GuiScrollFieldTmp : public Base {
public:
    static constexpr int32_t kBarThickness = 24;
    static constexpr int32_t kWheelStep = 35;  // pixels per wheel turn

    DXC_GuiScrollFieldTmp()
    {
        this->SetName("DXC_GuiScrollField");
        bars[0].SetSize(0, kBarThickness);
        bars[1].SetVertical(true);
        bars[1].SetSize(kBarThickness, 0);
        for (DXC_GuiField* part : {static_cast<DXC_GuiField*>(&bars[0]), static_cast<DXC_GuiField*>(&bars[1]),
                                   &content}) {
            part->SetFixedOrder(true);
            Base::AddChild(part);
        }
    }
    ~DXC_GuiScrollFieldTmp() override
    {
        for (DXC_GuiField* part : {static_cast<DXC_GuiField*>(&bars[0]), static_cast<DXC_GuiField*>(&bars[1]),
                                   &content})
            this->RemoveChild(part);
    }

    // Children go to the content, which is measured again at the next drawing.
    int32_t AddChild(DXC_GuiField* child) override
    {
        layoutDirty = 1;
        return content.AddChild(child);
    }

    void SetSize(int32_t width, int32_t height) override
    {
        Base::SetSize(width, height);
        int32_t w, h;
        content.GetSize(w, h);
        LayoutBars(w - (bars[1].IsOpen() ? BarWidth(1) : 0), h - (bars[0].IsOpen() ? BarHeight(0) : 0));
    }

    // Opens the bars the content (w x h) needs, gives them their ranges and places, and sizes the
    // content to the area the bars scroll over.
    void LayoutBars(int32_t w, int32_t h)
    {
        layoutDirty = 0;
        int32_t fieldW, fieldH;
        this->GetSize(fieldW, fieldH);
        const bool horizontalOpen = w > fieldW;
        const bool verticalOpen = h > fieldH;
        bars[0].SetOpenState(horizontalOpen);
        bars[1].SetOpenState(verticalOpen);
        if (!horizontalOpen)
            w = fieldW;
        if (!verticalOpen)
            h = fieldH;
        const int32_t barH = BarHeight(0), barW = BarWidth(1);
        bars[0].SetMax(float(w - fieldW + (verticalOpen ? barW : 0)));
        bars[1].SetMax(float(h - fieldH + (horizontalOpen ? barH : 0)));
        bars[0].SetPos(0, fieldH - barH);
        bars[1].SetPos(fieldW - barW, 0);
        if (horizontalOpen) {
            bars[0].SetSize(fieldW - (verticalOpen ? barW + extraInsets[0] : 0), barH);
            h += barH;
        }
        if (verticalOpen) {
            bars[1].SetSize(barW, fieldH - (horizontalOpen ? barH + extraInsets[1] : 0));
            w += barW;
        }
        content.SetSize(w, h);
    }

    void Render() override
    {
        if (layoutDirty)
            MeasureContent();
        if (this->manager && MouseOverField()) {
            const int32_t delta = this->manager->GetWheelDelta();
            if (delta != 0)
                bars[1].SetValue(bars[1].GetValue() + float(delta > 0 ? -kWheelStep : kWheelStep));
        }
        DXC_Gfx* graphics = this->gfx;
        if (graphics && graphics->HasDevice())
            DrawContent(*graphics);
        for (DXC_GuiSliderEx& bar : bars)
            if (bar.IsOpen())
                bar.Render();
    }

    void SetExtraInsets(int32_t horizontal, int32_t vertical)
    {
        extraInsets[0] = horizontal;
        extraInsets[1] = vertical;
    }
    DXC_GuiSliderEx& GetBar(int32_t which) { return bars[which]; }  // 0 horizontal, 1 vertical
    DXC_GuiField& GetContent() { return content; }

protected:
    int32_t BarWidth(int32_t which)
    {
        int32_t w, h;
        bars[which].GetSize(w, h);
        return w;
    }
    int32_t BarHeight(int32_t which)
    {
        int32_t w, h;
        bars[which].GetSize(w, h);
        return h;
    }
    bool MouseOverField()
    {
        int32_t x, y, w, h;
        this->GetMouseOffset(x, y);
        this->GetSize(w, h);
        return x >= 0 && y >= 0 && x < w && y < h;
    }
    // The bounding box of the content's children, from the content's corner.
    void MeasureContent()
    {
        int32_t w = 0, h = 0;
        for (int32_t i = 0; i < content.GetChildCount(); ++i) {
            if (DXC_GuiField* child = content.GetChild(i)) {
                int32_t l, t, r, b;
                child->GetRect(l, t, r, b);
                w = std::max(w, r);
                h = std::max(h, b);
            }
        }
        LayoutBars(w, h);
    }
    // The content under a viewport clipped to the visible part of the field; the previous
    // viewport comes back.
    void DrawContent(DXC_Gfx& graphics)
    {
        int32_t visible[4];
        this->GetAbsRect(visible[0], visible[1], visible[2], visible[3]);
        if (bars[0].IsOpen())
            visible[3] -= BarHeight(0) + extraInsets[1];
        if (bars[1].IsOpen())
            visible[2] -= BarWidth(1) + extraInsets[0];
        int32_t previous[4];
        float depth[2];
        graphics.GetViewportRect(previous);
        graphics.GetViewportDepthRange(depth);
        visible[0] = std::max(visible[0], previous[0]);
        visible[1] = std::max(visible[1], previous[1]);
        visible[2] = std::min(visible[2], previous[2]);
        visible[3] = std::min(visible[3], previous[3]);
        content.SetPos(-int32_t(bars[0].GetValue()), -int32_t(bars[1].GetValue()));
        if (visible[2] <= visible[0] || visible[3] <= visible[1] || !content.IsOpen())
            return;  // nothing of the content shows
        graphics.SetViewPort(visible[0], visible[1], visible[2], visible[3], 0.0f, 1.0f);
        content.Render();
        graphics.SetViewPort(previous[0], previous[1], previous[2], previous[3], depth[0], depth[1]);
    }

    DXC_GuiSliderEx bars[2];
    DXC_GuiField content;
    int32_t extraInsets[2] = {0, 0};
    uint8_t layoutDirty = 1;
};

using DXC_GuiScrollField = DXC_GuiScrollFieldTmp<DXC_GuiField>;
