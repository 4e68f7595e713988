// DXC_GuiInfoWindowBase: making, filling, placing and closing the info window.
#include "engine/gui/DXC_GuiInfoWindowBase.h"

#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTextViewerTmp.h"

DXC_GuiInfoWindowBase::~DXC_GuiInfoWindowBase() { delete infoWindow; }

void DXC_GuiInfoWindowBase::OnOpenChanged(bool open)
{
    DXC_GuiField::OnOpenChanged(open);
    if (!open && infoWindow)
        infoWindow->SetOpenState(false);
}

void DXC_GuiInfoWindowBase::CreateInfoWindow()
{
    delete infoWindow;
    infoWindow = new InfoWindow();
    infoWindow->SetSize(kInfoWidth, kInfoHeight);
    infoWindow->SetInsets(kInfoInset, kInfoInset, kInfoInset, kInfoInset);
    infoWindow->SetOpenState(false);
    if (manager)
        manager->AddWindow(infoWindow);
}

void DXC_GuiInfoWindowBase::SetInfoText(const wString& text)
{
    if (!infoWindow)
        CreateInfoWindow();
    infoWindow->SetText(text);
}

void DXC_GuiInfoWindowBase::FitInfoWindow()
{
    if (infoWindow)
        infoWindow->FitHeight(infoExtra, infoMinHeight, infoMaxHeight);
}

void DXC_GuiInfoWindowBase::GetScreenMouse(int32_t& x, int32_t& y) const
{
    x = 0;
    y = 0;
    if (manager)
        manager->GetMousePos(x, y);
}

void DXC_GuiInfoWindowBase::GetScreen(int32_t& width, int32_t& height) const
{
    width = 0;
    height = 0;
    if (manager)
        manager->GetScreenSize(width, height);
}

void DXC_GuiInfoWindowBase::ShowInfoAtMouse()
{
    if (!infoWindow)
        return;
    FitInfoWindow();
    int32_t mx, my, screenWidth, screenHeight, width, height, left, top;
    GetScreenMouse(mx, my);
    GetScreen(screenWidth, screenHeight);
    infoWindow->GetSize(width, height);
    GetAbsPos(left, top);
    const int32_t y = my < screenHeight / 2 ? my + kInfoGap : my - kInfoGap - height;
    infoWindow->SetPos(left + infoOffsetX, y);
    infoWindow->ClampToScreen();
}

void DXC_GuiInfoWindowBase::SetInfoWindowOpen(bool open)
{
    if (infoWindow)
        infoWindow->SetOpenState(open);
}
