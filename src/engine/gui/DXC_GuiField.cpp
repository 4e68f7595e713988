// DXC_GuiField: open state, rectangle and manager of a field.
#include "engine/gui/DXC_GuiField.h"

#include "engine/gui/DXC_GuiManager.h"

DXC_GuiField::DXC_GuiField() { SetName("DXC_GuiField"); }

DXC_GuiField::~DXC_GuiField() = default;

void DXC_GuiField::OnOpenChanged(bool open) { (void)open; }

void DXC_GuiField::SetManager(DXC_GuiManager* guiManager)
{
    manager = guiManager;
    gfx = guiManager ? guiManager->GetGfx() : nullptr;
}

// Opening does not give the focus; closing happens before the field hears of it.
void DXC_GuiField::SetOpenState(bool open)
{
    if (open && closed != 0) {
        OnOpenChanged(true);
        closed = 0;
    } else if (!open && closed == 0) {
        closed = 1;
        OnOpenChanged(false);
    }
}

void DXC_GuiField::SetPos(int32_t x, int32_t y)
{
    right = x + (right - left);
    bottom = y + (bottom - top);
    left = x;
    top = y;
}

void DXC_GuiField::SetSize(int32_t width, int32_t height)
{
    right = left + width;
    bottom = top + height;
}

DXC_GuiField* DXC_GuiField::OnChar(uint32_t code, int32_t repeat, uint32_t flags)
{
    (void)code;
    (void)repeat;
    (void)flags;
    return nullptr;
}

void DXC_GuiField::Render() {}

void DXC_GuiField::GetPos(int32_t& x, int32_t& y) const
{
    x = left;
    y = top;
}

void DXC_GuiField::GetSize(int32_t& width, int32_t& height) const
{
    width = right - left;
    height = bottom - top;
}
