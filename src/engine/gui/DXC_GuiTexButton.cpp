// DXC_GuiTexButtonBase and DXC_GuiTexButton: the state pictures, the default skin and the drawing.
#include "engine/gui/DXC_GuiTexButton.h"

#include "engine/gfx/DXC_Gfx.h"
#include "engine/gui/DXC_GuiManager.h"
#include "engine/gui/DXC_GuiTexField.h"

DXC_GuiTexButtonBase::DXC_GuiTexButtonBase()
{
    SetName("DXC_GuiTexButton");
    hoverEnabled = 1;
    labelAlign = kAlignCentre;
}

void DXC_GuiTexButtonBase::SetStateTexture(int32_t which, const DXC_Texture* texture, bool sizeToPicture,
                                           uint32_t tint)
{
    tints[which] = tint;
    if (!texture || !texture->IsValid()) {
        pictures[which].Release();
        return;
    }
    texture->Clone(pictures[which], 1, -1);
    if (!sizeToPicture)
        return;
    float width, height;
    pictures[which].GetDrawSize(width, height);
    SetSize(int32_t(width), int32_t(height));
}

void DXC_GuiTexButtonBase::SetNormalTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint)
{
    SetStateTexture(kNormal, texture, sizeToPicture, tint);
}

void DXC_GuiTexButtonBase::SetPressedTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint)
{
    SetStateTexture(kPressed, texture, sizeToPicture, tint);
}

void DXC_GuiTexButtonBase::SetHoverTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint)
{
    SetStateTexture(kHover, texture, sizeToPicture, tint);
}

int32_t DXC_GuiTexButtonBase::GetShownState()
{
    if (state == 0 && IsHovered())
        return kHover;
    return state == 1 ? kPressed : kNormal;
}

void DXC_GuiTexButtonBase::Render()
{
    const int32_t shown = GetShownState();
    int32_t rect[4];
    GetAbsRect(rect[0], rect[1], rect[2], rect[3]);
    DXC_GuiTexField::DrawStretched(gfx, pictures[shown], rect, tints[shown]);
    DXC_GuiFontButton::Render();
}

void DXC_GuiTexButton::TakeDefaultSkin()
{
    if (!manager)
        return;
    int32_t skin = DXC_GuiManager::kPushSkin;
    if (toggleMode && manager->IsSkinLoaded(DXC_GuiManager::kToggleSkin))
        skin = DXC_GuiManager::kToggleSkin;
    for (int32_t which = 0; which < kStates; ++which) {
        if (pictures[which].IsValid())
            continue;
        const DXC_Texture& source = manager->GetSkinPicture(skin, which);
        if (!source.IsValid())
            continue;
        source.Clone(pictures[which], 1, -1);
        tints[which] = DXC_GuiTexField::kWhite;
    }
}

void DXC_GuiTexButton::Render()
{
    TakeDefaultSkin();
    DXC_GuiTexButtonBase::Render();
}
