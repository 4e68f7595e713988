// DXC_GuiProgressBar: a picture field with a bar cropped to a fraction of its width. So far the
// fraction; its pictures come with its drawing.
#pragma once
#include "engine/gui/DXC_GuiField.h"

#include <algorithm>

class DXC_GuiProgressBar : public virtual DXC_GuiField {
public:
    DXC_GuiProgressBar() { SetName("DXC_GuiProgressBar"); }

    void SetFraction(float value) { fraction = std::clamp(value, 0.0f, 1.0f); }
    float GetFraction() const { return fraction; }

protected:
    float fraction = 0.0f;
};
