// DXC_GuiTexButtonBase: a labelled button that draws one of three pictures for its normal,
// pressed and hover states, each with its tint. DXC_GuiTexButton: the same, taking the manager's
// default button skin for every picture it was not given.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiFontButton.h"

#include <cstdint>

class DXC_GuiTexButtonBase : public DXC_GuiFontButton, public virtual DXC_GuiField {
public:
    enum PictureState : int32_t { kNormal, kPressed, kHover, kStates };
    static constexpr uint32_t kDefaultTint = 0xFF000000u;

    DXC_GuiTexButtonBase();

    void Render() override;

    // A texture becomes the state's picture (with sizeToPicture the button takes its size);
    // without one the picture is cleared. The tint is stored either way.
    void SetNormalTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint);
    void SetPressedTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint);
    void SetHoverTexture(const DXC_Texture* texture, bool sizeToPicture, uint32_t tint);
    DXC_Texture& GetPicture(int32_t which) { return pictures[which]; }
    uint32_t GetTint(int32_t which) const { return tints[which]; }
    // The state whose picture is drawn now.
    int32_t GetShownState();

protected:
    void SetStateTexture(int32_t which, const DXC_Texture* texture, bool sizeToPicture, uint32_t tint);

    DXC_Texture pictures[kStates];  // normal, pressed, hover
    uint32_t tints[kStates] = {kDefaultTint, kDefaultTint, kDefaultTint};
};

class DXC_GuiTexButton : public DXC_GuiTexButtonBase, public virtual DXC_GuiField {
public:
    DXC_GuiTexButton() { SetName("DXC_GuiTexButton"); }

    void Render() override;
    // Each picture that is not loaded from the manager's skin for this kind of button, in white.
    void TakeDefaultSkin();
};
