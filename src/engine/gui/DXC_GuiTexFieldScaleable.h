// DXC_GuiTexFieldScaleable: a field drawn as a frame of nine pictures, so that a window of any
// size gets a border of fixed thickness: the corners keep their size, the edges stretch between
// them, the middle fills the inside (tiled or stretched). A frame whose middle picture is not
// loaded copies the GUI manager's tooltip frame, the default frame, when it is drawn.
#pragma once
#include "engine/gfx/DXC_Texture.h"
#include "engine/gui/DXC_GuiField.h"
#include "engine/gui/ToolTipSkin.h"

#include <cstdint>

class DXC_GuiTexFieldScaleable : public virtual DXC_GuiField {
public:
    enum Piece : int32_t {
        kTopLeft,
        kTopRight,
        kBottomLeft,
        kBottomRight,
        kTopEdge,
        kRightEdge,
        kBottomEdge,
        kLeftEdge,
        kMiddle,
        kPieces
    };
    // The twelve offsets: x and y of each corner (how far it moves left or up of its anchor), then
    // one each for the top (y), right (x), bottom (y) and left (x) edge.
    static constexpr int32_t kOffsets = 12;
    enum Inset : int32_t { kInsetTop, kInsetRight, kInsetBottom, kInsetLeft, kInsets };

    DXC_GuiTexFieldScaleable() { SetName("DXC_GuiTexFieldScaleable"); }

    virtual void DrawFrame();
    // With the minimum-size flag, never smaller than the corners need to stay apart.
    void SetSize(int32_t width, int32_t height) override;
    void Render() override;

    // Pictures, offsets, middle mode and insets into the destination, when this frame's middle
    // picture is loaded; the flags, the margin and the alpha stay the destination's.
    void CopyFrame(DXC_GuiTexFieldScaleable& destination) const;
    // Each picture a shared copy of the given one (none clears it). The result of the last copy.
    int SetCorners(const DXC_Texture* topLeft, int32_t tlx, int32_t tly, const DXC_Texture* topRight, int32_t trx,
                   int32_t try_, const DXC_Texture* bottomLeft, int32_t blx, int32_t bly,
                   const DXC_Texture* bottomRight, int32_t brx, int32_t bry);
    int SetEdges(const DXC_Texture* topEdge, int32_t topOffset, const DXC_Texture* rightEdge, int32_t rightOffset,
                 const DXC_Texture* bottomEdge, int32_t bottomOffset, const DXC_Texture* leftEdge,
                 int32_t leftOffset);
    void SetFrame(const ToolTipSkin& skin);

    DXC_Texture& GetFramePicture(int32_t piece) { return framePictures[piece]; }
    int32_t GetOffset(int32_t which) const { return offsets[which]; }
    int32_t GetMiddleInset(int32_t which) const { return middleInsets[which]; }
    uint8_t GetMiddleMode() const { return middleMode; }
    void SetMinimumSize(bool flag) { minimumSize = flag ? 1 : 0; }
    void SetDrawFrame(bool flag) { drawFrame = flag ? 1 : 0; }
    void SetOuterMargin(int32_t x, int32_t y)
    {
        outerMargin[0] = x;
        outerMargin[1] = y;
    }
    void SetFrameAlpha(uint8_t value) { alpha = value; }

protected:
    void DrawMiddle(int32_t x, int32_t y, int32_t width, int32_t height);

    DXC_Texture framePictures[kPieces];
    int32_t offsets[kOffsets] = {};
    uint8_t middleMode = 0;
    uint8_t minimumSize = 0;
    uint8_t drawFrame = 1;
    int32_t outerMargin[2] = {0, 0};
    uint8_t alpha = 255;
    int32_t middleInsets[kInsets] = {};
};
