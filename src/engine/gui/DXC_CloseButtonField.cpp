// DXC_CloseButtonField: the close button's skin, placement and the per-frame click check.
#include "engine/gui/DXC_CloseButtonField.h"

#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTexField.h"

void DXC_CloseButtonField::SetCloseButton(int32_t x, int32_t y, int32_t width, int32_t height, const wString& label,
                                          DXC_Font* font, const DXC_Texture* normal, const DXC_Texture* pressed,
                                          const DXC_Texture* hover)
{
    closeButton.SetPos(x, y);
    closeButton.SetSize(width, height);
    closeButton.SetLabel(label);
    closeButton.SetFont(font);
    closeButton.SetNormalTexture(normal, false, DXC_GuiTexField::kWhite);
    closeButton.SetPressedTexture(pressed, false, DXC_GuiTexField::kWhite);
    closeButton.SetHoverTexture(hover, false, DXC_GuiTexField::kWhite);
    closeButton.SetHoverEnabled(true);
    closeButton.SetOpenState(true);
}

void DXC_CloseButtonField::UpdateCloseButton()
{
    if (manager && !closeButton.GetPicture(DXC_GuiTexButtonBase::kNormal).IsValid() &&
        manager->IsSkinLoaded(DXC_GuiManager::kCloseSkin)) {
        const int32_t skin = closeSkin ? DXC_GuiManager::kCloseSkin : DXC_GuiManager::kPushSkin;
        {
            closeButton.SetNormalTexture(&manager->GetSkinPicture(skin, DXC_GuiTexButtonBase::kNormal), false, DXC_GuiTexField::kWhite);
            closeButton.SetPressedTexture(&manager->GetSkinPicture(skin, DXC_GuiTexButtonBase::kPressed), false,
                                          DXC_GuiTexField::kWhite);
            closeButton.SetHoverTexture(&manager->GetSkinPicture(skin, DXC_GuiTexButtonBase::kHover), false, DXC_GuiTexField::kWhite);
        }
    }
    if (closeButton.GetClicks(true) == 0)
        return;
    OnClose();
    if (IsOpen()) {
        SetOpenState(false);
    } else {
        SetOpenState(true);
        if (focusable && manager)
            manager->RequestFocus(this, true, false, true);
        else
            BringToFront(false);
    }
}

void DXC_CloseButtonField::Render()
{
    UpdateCloseButton();
    DXC_GuiField::Render();
}
