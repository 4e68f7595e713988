// DXC_GuiTexFieldEx: the close button's set-up, its move on a resize and the window's drawing.
#include "engine/gui/DXC_GuiTexFieldEx.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// A coordinate scaled by a ratio, kept within what a coordinate can hold.
int32_t ScaleCoordinate(int32_t value, int32_t newSize, int32_t oldSize)
{
    const double scaled = std::round(double(value) * double(newSize) / double(oldSize));
    return int32_t(std::clamp(scaled, double(std::numeric_limits<int32_t>::min()),
                              double(std::numeric_limits<int32_t>::max())));
}

}  // namespace

DXC_GuiTexFieldEx::DXC_GuiTexFieldEx()
{
    SetName("DXC_GuiTexFieldEx");
    closeButton.SetPos(0, 0);
    closeButton.SetSize(kCloseButtonSize, kCloseButtonSize);
    closeButton.SetLabel("X");
    closeButton.SetOpenState(false);
    AddChild(&closeButton);
}

// A side of 0 has no ratio to scale by: the button stays where it is then, rather than being
// thrown to infinity.
void DXC_GuiTexFieldEx::SetSize(int32_t width, int32_t height)
{
    int32_t oldWidth, oldHeight;
    GetSize(oldWidth, oldHeight);
    if ((width != oldWidth || height != oldHeight) && oldWidth > 0 && oldHeight > 0 && width > 0 && height > 0) {
        int32_t x, y;
        closeButton.GetPos(x, y);
        closeButton.SetPos(ScaleCoordinate(x, width, oldWidth), ScaleCoordinate(y, height, oldHeight));
    }
    DXC_GuiTexField::SetSize(width, height);
}

void DXC_GuiTexFieldEx::Render()
{
    UpdateCloseButton();
    if (IsOpen())
        DXC_GuiTexField::Render();
}
